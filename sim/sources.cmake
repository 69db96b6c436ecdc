# Sources of the simulated receiver card (paths relative to the project root).
list(APPEND AZM_SIM_CORE_SOURCES sim/scenario.cpp sim/call_log.cpp)
list(APPEND AZM_SIM_SOURCES sim/simcard.cpp sim/registration.cpp)
