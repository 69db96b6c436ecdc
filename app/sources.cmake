# Sources of app/ (paths relative to the project root).
list(APPEND AZM_CORE_SOURCES app/module_directory.cpp app/number_text.cpp)
list(APPEND AZM_WIN_SOURCES app/app_state.cpp app/resource_data.cpp app/whole_file.cpp app/late_libraries.cpp app/winmain.cpp app/startup.cpp app/main_window.cpp)
