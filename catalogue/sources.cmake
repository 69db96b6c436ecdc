# Sources of catalogue/ (paths relative to the project root).
list(APPEND AZM_CORE_SOURCES
  catalogue/decimal_value.cpp
  catalogue/catalogue_list.cpp
  catalogue/catalogue_entry.cpp
  catalogue/typed_entry.cpp
)
list(APPEND AZM_WIN_SOURCES catalogue/catalogue_file.cpp catalogue/measurement_start.cpp catalogue/worker_threads.cpp)
