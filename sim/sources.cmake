# Sources of the simulated receiver card (paths relative to the project root):
# card/ the COM object with its scenario and call log, dish/ the practice
# dish and its steering window.
list(APPEND AZM_SIM_CORE_SOURCES sim/card/scenario.cpp sim/card/call_log.cpp sim/card/sim_cable.cpp sim/card/sim_motor.cpp
  sim/dish/dish_cable.cpp sim/dish/dish_leakage.cpp sim/dish/dish_hand.cpp sim/dish/dish_level.cpp sim/dish/dish_sweep.cpp
  sim/dish/dish_network.cpp sim/dish/dish_model.cpp sim/dish/dish_view.cpp
  sim/dish/sky_chart.cpp sim/dish/signal_history.cpp sim/dish/rough_aim.cpp sim/dish/dish_layout.cpp sim/dish/dish_picture.cpp
  sim/dish/dish_pointing.cpp sim/dish/dish_motor_picture.cpp sim/dish/dish_lnb.cpp)
list(APPEND AZM_SIM_SOURCES app/resource_data.cpp app/whole_file.cpp app/host_text.cpp sim/card/simcard.cpp sim/card/sim_settings.cpp sim/card/sim_motor_card.cpp sim/card/process_resources.cpp
  sim/dish/dish_window.cpp sim/dish/dish_paint.cpp sim/card/simcard.rc)
set_source_files_properties(sim/card/simcard.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/satellite.ini)
