# Sources of tuner/ (paths relative to the project root).
list(APPEND AZM_CORE_SOURCES tuner/tuning_plan.cpp)
list(APPEND AZM_WIN_SOURCES tuner/tuner.cpp)
list(APPEND AZM_WIN_SOURCES tuner/monitor_thread.cpp)
list(APPEND AZM_CORE_SOURCES tuner/readout_text.cpp)
