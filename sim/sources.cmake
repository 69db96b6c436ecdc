# Sources of the simulated receiver card (paths relative to the project root).
list(APPEND AZM_SIM_CORE_SOURCES sim/scenario.cpp sim/call_log.cpp sim/dish_geometry.cpp sim/dish_link.cpp
  sim/dish_sky.cpp sim/dish_model.cpp sim/dish_view.cpp)
list(APPEND AZM_SIM_SOURCES sim/simcard.cpp sim/registration.cpp sim/dish_window.cpp sim/process_resources.cpp sim/simcard.rc)
set_source_files_properties(sim/simcard.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/satellite.ini)
