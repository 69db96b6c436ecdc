# Real cards on Linux: azimora-dvb (a native program on libdvbv5), the
# simulated kernel frontend it can run on, and dvbcard.dll, the card
# substitute that forwards the program's calls to azimora-dvb.
set(AZM_DVB_PROTOCOL_SOURCES dvb/protocol/line_protocol.cpp dvb/protocol/shared_secret.cpp
  dvb/protocol/network_answer.cpp dvb/protocol/start_bound.cpp
  dvb/protocol/modcod_answer.cpp dvb/protocol/reading_words.cpp dvb/protocol/level_answer.cpp
  dvb/protocol/sweep_answer.cpp dvb/protocol/single_cable_words.cpp dvb/protocol/skew_answer.cpp
  dvb/protocol/lnb_answer.cpp dvb/protocol/motor_words.cpp)
list(TRANSFORM AZM_DVB_PROTOCOL_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  azm_card_dll(dvbcard dvb/card/dvbcard.cpp dvb/card/helper_link.cpp dvb/card/helper_words.cpp dvb/card/dvb_motor.cpp
    ${AZM_DVB_PROTOCOL_SOURCES} app/whole_file.cpp app/host_text.cpp)
else()
  find_library(AZM_DVBV5 dvbv5 REQUIRED)
  # What decides, platform-neutral: in the core library for the native
  # tests and the fuzz targets, sanitized like everything there.
  set(AZM_DVB_LOGIC_SOURCES dvb/protocol/session.cpp dvb/card/dvb_motor.cpp
    dvb/helper/helper_options.cpp dvb/helper/typed_tuning.cpp dvb/helper/point_report.cpp dvb/helper/point_time.cpp
    dvb/helper/helper_record.cpp
    dvb/helper/serve/connection_rules.cpp
    dvb/helper/frontend/frontend_worker.cpp dvb/helper/frontend/worker_tuning.cpp
    dvb/helper/frontend/worker_reading.cpp dvb/helper/frontend/worker_single_cable.cpp
    dvb/helper/frontend/tuning_sequence.cpp dvb/helper/frontend/delivery_search.cpp
    dvb/helper/frontend/remote_tuning.cpp dvb/helper/frontend/start_shape.cpp
    dvb/helper/frontend/frontend_traits.cpp dvb/helper/frontend/known_frontends.cpp
    dvb/helper/frontend/figure_scales.cpp dvb/helper/frontend/signal_figures.cpp
    dvb/helper/frontend/level_watch.cpp dvb/helper/frontend/known_frontend_levels.cpp
    dvb/helper/frontend/locked_modcod.cpp dvb/helper/frontend/helper_margin.cpp dvb/helper/frontend/found_lnb_error.cpp
    dvb/helper/frontend/frontend_log.cpp dvb/helper/frontend/frontend_report.cpp dvb/helper/frontend/tuned_report.cpp
    dvb/helper/frontend/network_reader.cpp dvb/helper/frontend/network_lists.cpp
    dvb/helper/survey/survey_plan.cpp dvb/helper/survey/survey_result.cpp dvb/helper/survey/survey_judge.cpp
    dvb/helper/survey/survey_report.cpp dvb/helper/survey/survey_run.cpp dvb/helper/survey/catalogue_update.cpp
    dvb/helper/sweep/worker_sweep.cpp dvb/helper/sweep/sweep_options.cpp dvb/helper/sweep/sweep_report.cpp
    dvb/helper/sweep/user_band_find.cpp dvb/helper/motor/motor_options.cpp dvb/helper/motor/motor_sequence.cpp
    dvb/helper/motor/worker_motor.cpp dvb/helper/motor/motor_order.cpp dvb/helper/motor/simulated_reference.cpp dvb/helper/motor/arc_csv.cpp
    dvb/common/regular_file.cpp dvb/common/simulation.cpp dvb/common/simulated_installation.cpp
    dvb/common/driver_statistics.cpp dvb/common/driver_strength.cpp dvb/common/frontend_name.cpp
    dvb/common/found_frequency.cpp cardbase/sky/lnb_drift.cpp dvb/common/simulated_sky.cpp
    dvb/simulated/simulated_lnb.cpp dvb/simulated/band_level.cpp dvb/simulated/frontend_statistics.cpp
    dvb/simulated/kernel_frontend.cpp dvb/simulated/frontend_lock.cpp dvb/simulated/kernel_demux.cpp
    dvb/simulated/simulated_cable.cpp dvb/simulated/sky_frontend.cpp
    app/wall_clock_posix.cpp)
  list(TRANSFORM AZM_DVB_LOGIC_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
  # Sections read with libdvbv5's parsers: linked into the core library too,
  # so that the native tests read sections built for them.
  set(AZM_DVB_LIBRARY_SOURCES ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/stream_sections.cpp)
  target_sources(azm_core PRIVATE ${AZM_DVB_PROTOCOL_SOURCES} ${AZM_DVB_LOGIC_SOURCES} ${AZM_DVB_LIBRARY_SOURCES})
  target_link_libraries(azm_core PUBLIC ${AZM_DVBV5})
  # The program's own reading of a typed entry and its plan of the six calls.
  set(AZM_DVB_ENTRY_SOURCES catalogue/typed_entry.cpp catalogue/decimal_value.cpp tuner/tuning_plan.cpp
    catalogue/catalogue_entry.cpp catalogue/catalogue_list.cpp)
  list(TRANSFORM AZM_DVB_ENTRY_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)

  # The catalogue Azimora ships, for --point's names.
  set(AZM_DVB_CATALOGUE ${CMAKE_BINARY_DIR}/generated/built_in_catalogue.cpp)
  add_custom_command(OUTPUT ${AZM_DVB_CATALOGUE}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/resources/satellite.ini -DOUTPUT=${AZM_DVB_CATALOGUE}
      -DNAME=builtInCatalogue -P ${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/satellite.ini ${CMAKE_SOURCE_DIR}/cmake/embed_text.cmake)

  # The helper and the simulated frontend are programs people run: built
  # optimised and without the sanitizers of the test build.
  set(AZM_DVB_PROGRAM_FLAGS -O2 -fno-sanitize=all)
  add_executable(azimora-dvb ${CMAKE_SOURCE_DIR}/dvb/helper/main.cpp ${AZM_DVB_CATALOGUE}
    ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/dvb_frontend.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/dvb_frontend_tune.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/dvb_frontend_figures.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/dvb_remote_link.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/frontend/dvb_demux.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/serve/tcp_listener.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/serve/tcp_server.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/serve/served_connection.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/serve/request_answering.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/serve/worker_frontend.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/survey/survey_command.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/sweep/sweep_command.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/motor/motor_command.cpp
    ${CMAKE_SOURCE_DIR}/dvb/helper/motor/arc_command.cpp ${CMAKE_SOURCE_DIR}/dvb/helper/helper_output.cpp
    ${AZM_DVB_PROTOCOL_SOURCES} ${AZM_DVB_LOGIC_SOURCES} ${AZM_DVB_LIBRARY_SOURCES} ${AZM_DVB_ENTRY_SOURCES}
    ${AZM_CARD_CORE_SOURCES} ${AZM_RECORD_POSIX_SOURCES} ${CMAKE_SOURCE_DIR}/cardbase/network/psi_build.cpp
    ${AZM_SKY_SOURCES} ${AZM_ARC_SOURCES})
  target_compile_options(azimora-dvb PRIVATE ${AZM_DVB_PROGRAM_FLAGS})
  target_compile_definitions(azimora-dvb PRIVATE HAVE_DVBV5_REMOTE)
  target_link_options(azimora-dvb PRIVATE -fno-sanitize=all)
  find_package(Threads REQUIRED)
  target_link_libraries(azimora-dvb PRIVATE ${AZM_DVBV5} Threads::Threads)

  # The sky a motor line sets, for the simulated frontend and the helper that knows it.
  set(AZM_DVB_SIM_SKY_SOURCES cardbase/motor/polar_mount.cpp cardbase/motor/motor_commands.cpp
    cardbase/pointing/look_angles.cpp)
  list(TRANSFORM AZM_DVB_SIM_SKY_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
  list(APPEND AZM_DVB_SIM_SKY_SOURCES ${AZM_SKY_SOURCES})
  add_library(azimora-dvb-sim SHARED ${CMAKE_SOURCE_DIR}/dvb/simulated/device_shim.cpp ${AZM_DVB_CATALOGUE}
    ${CMAKE_SOURCE_DIR}/dvb/common/simulated_sky.cpp ${CMAKE_SOURCE_DIR}/dvb/simulated/sky_frontend.cpp
    ${AZM_DVB_SIM_SKY_SOURCES}
    ${CMAKE_SOURCE_DIR}/dvb/common/simulation.cpp ${CMAKE_SOURCE_DIR}/dvb/simulated/kernel_frontend.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/frontend_lock.cpp
    ${CMAKE_SOURCE_DIR}/dvb/common/driver_statistics.cpp ${CMAKE_SOURCE_DIR}/dvb/common/driver_strength.cpp
    ${CMAKE_SOURCE_DIR}/dvb/common/frontend_name.cpp ${CMAKE_SOURCE_DIR}/dvb/common/found_frequency.cpp
    ${CMAKE_SOURCE_DIR}/cardbase/sky/lnb_drift.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/frontend_statistics.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/kernel_demux.cpp ${CMAKE_SOURCE_DIR}/dvb/common/simulated_installation.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/simulated_lnb.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/band_level.cpp ${CMAKE_SOURCE_DIR}/cardbase/sweep/carrier_spectrum.cpp
    ${CMAKE_SOURCE_DIR}/dvb/simulated/simulated_cable.cpp ${CMAKE_SOURCE_DIR}/cardbase/single_cable_device.cpp
    ${CMAKE_SOURCE_DIR}/cardbase/single_cable.cpp ${CMAKE_SOURCE_DIR}/cardbase/settings_line.cpp
    ${CMAKE_SOURCE_DIR}/dvb/common/regular_file.cpp ${CMAKE_SOURCE_DIR}/cardbase/catalogue_lines.cpp
    ${CMAKE_SOURCE_DIR}/cardbase/frontend_plan.cpp ${CMAKE_SOURCE_DIR}/cardbase/card_tuning.cpp
    ${CMAKE_SOURCE_DIR}/cardbase/network/psi_build.cpp ${CMAKE_SOURCE_DIR}/cardbase/network/psi_sections.cpp
    ${CMAKE_SOURCE_DIR}/cardbase/margin/modcod.cpp ${CMAKE_SOURCE_DIR}/cardbase/margin/link_margin.cpp
    ${CMAKE_SOURCE_DIR}/app/number_text.cpp)
  set_target_properties(azimora-dvb-sim PROPERTIES PREFIX "lib")
  target_compile_options(azimora-dvb-sim PRIVATE ${AZM_DVB_PROGRAM_FLAGS} -fPIC -U_FORTIFY_SOURCE)
  target_link_options(azimora-dvb-sim PRIVATE -fno-sanitize=all)
  target_link_libraries(azimora-dvb-sim PRIVATE ${CMAKE_DL_LIBS})

  # The native tests run the helper itself as well.
  target_compile_definitions(azm_core INTERFACE AZM_DVB_HELPER="$<TARGET_FILE:azimora-dvb>")
  add_dependencies(azm_core azimora-dvb azimora-dvb-sim)
endif()
