# The simulated BDA stack for the Windows tests (read by bda/card.cmake in
# the Windows build); never packaged, registered only in the test prefix.
#   bdasim_system.dll  Windows' network providers, DVB-S tuning space and locator, which Wine lacks
#   bdasim_tuner.dll   tuners of several kinds of driver and a capture filter in the BDA device categories,
#                      and the MPEG-2 demultiplexer that Wine lacks
add_library(bdasim_common STATIC tests/support/bda/bdasim_scenario.cpp tests/support/bda/bdasim_support.cpp
  tests/support/bda/bdasim_filter.cpp tests/support/bda/bdasim_stream.cpp app/whole_file.cpp app/host_text.cpp
  cardbase/reading_pace.cpp cardbase/network/psi_build.cpp cardbase/network/psi_sections.cpp
  cardbase/single_cable.cpp cardbase/single_cable_device.cpp cardbase/settings_line.cpp
  cardbase/sky/motor_mount.cpp cardbase/motor/polar_mount.cpp cardbase/motor/motor_commands.cpp
  cardbase/pointing/look_angles.cpp app/number_text.cpp)
foreach(name system tuner)
  if(name STREQUAL "system")
    set(sources tests/support/bda/bdasim_system.cpp tests/support/bda/bdasim_provider.cpp
      tests/support/bda/bdasim_tuning_model.cpp)
  else()
    set(sources tests/support/bda/bdasim_devices.cpp tests/support/bda/bdasim_tuner.cpp
      tests/support/bda/bdasim_tuner_bus.cpp tests/support/bda/bdasim_nodes.cpp tests/support/bda/bdasim_reception.cpp tests/support/bda/bdasim_demux.cpp
      tests/support/bda/bdasim_tables.cpp tests/support/bda/bdasim_maker.cpp)
  endif()
  add_library(bdasim_${name} SHARED ${sources} tests/support/bda/bdasim.def)
  set_target_properties(bdasim_${name} PROPERTIES PREFIX "")
  target_link_libraries(bdasim_${name} PRIVATE bdasim_common ole32 oleaut32 uuid strmiids advapi32 kernel32)
  target_link_options(bdasim_${name} PRIVATE ${AZM_WIN_LINK} -Wl,--kill-at -Wl,--enable-stdcall-fixup)
endforeach()
foreach(target bdasim_common bdasim_system bdasim_tuner)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${target} PRIVATE ${AZM_WIN_FLAGS})
endforeach()
