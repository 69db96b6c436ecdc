# The bridge to BDA tuners (paths relative to the project root): bdacard.dll
# in the Windows build, with the simulated BDA tuner and the system objects
# Wine lacks as test support; natively, its deciding rules join the core
# library that the native tests link.
set(AZM_BDA_CORE_SOURCES bda/bda_tuning.cpp bda/bda_settings.cpp bda/bda_statistics.cpp bda/bda_search.cpp
  bda/bda_sections.cpp bda/bda_start_steps.cpp bda/bda_modcod.cpp bda/bda_makers.cpp bda/bda_single_cable.cpp
  bda/bda_route_trial.cpp bda/bda_motor.cpp)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  azm_card_dll(bdacard ${AZM_BDA_CORE_SOURCES} bda/bdacard.cpp bda/bda_session.cpp bda/bda_session_work.cpp
    bda/bda_log.cpp bda/bda_driver_thread.cpp
    bda/bda_graph.cpp bda/bda_tune.cpp bda/bda_readings.cpp bda/bda_diseqc.cpp bda/bda_maker_set.cpp
    bda/bda_section_route.cpp bda/bda_section_sink.cpp bda/bda_enumerators.cpp bda/bda_section_reader.cpp
    app/whole_file.cpp app/host_text.cpp)
  include(${CMAKE_SOURCE_DIR}/tests/support/bda/bdasim.cmake)
else()
  target_sources(azm_core PRIVATE ${AZM_BDA_CORE_SOURCES})
endif()
