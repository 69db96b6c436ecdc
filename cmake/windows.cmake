# The Windows program, the simulated card and the Windows test driver.
enable_language(RC)
# A warning never lands.
set(AZM_WIN_FLAGS -Wall -Wextra -Wshadow -Wconversion -Werror -ffunction-sections -fdata-sections)
# One self-contained file each, without timestamps or debug symbols, so that
# two builds of the same sources are byte-identical.
set(AZM_WIN_LINK -static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp -Wl,--gc-sections -s)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501 WINVER=0x0501)

function(azm_program name)
  add_executable(${name} WIN32 ${AZM_CORE_SOURCES} ${AZM_WIN_SOURCES} resources/azimora.rc)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${AZM_WIN_FLAGS})
  target_link_options(${name} PRIVATE ${AZM_WIN_LINK} -mwindows)
  # shell32 and winmm are loaded when first used (app/late_libraries.cpp).
  target_link_libraries(${name} PRIVATE ole32 uuid strmiids gdi32 comctl32 user32 kernel32)
endfunction()
azm_program(Azimora)
# The same program with its test hooks (the start of a worker thread can be
# refused), run only by the Windows tests.
azm_program(AzimoraTest)
target_compile_definitions(AzimoraTest PRIVATE AZM_TEST_HOOKS)
file(GLOB AZM_SOUND_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/sounds/*.wav)
set_source_files_properties(resources/azimora.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/skin.qz;${CMAKE_SOURCE_DIR}/resources/satellite.ini;${CMAKE_SOURCE_DIR}/resources/trp.txt;${CMAKE_SOURCE_DIR}/resources/azimora.ico;${AZM_SOUND_FILES}")
add_custom_command(TARGET Azimora POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/ReadMe.txt $<TARGET_FILE_DIR:Azimora>/ReadMe.txt)

# A card substitute: an in-process COM server with the card's identifiers.
#   azm_card_dll(NAME SOURCE...)
function(azm_card_dll name)
  add_library(${name} SHARED ${ARGN} ${AZM_CARD_CORE_SOURCES} ${AZM_PHONE_CORE_SOURCES} ${AZM_CARD_WIN_SOURCES}
    cardbase/card_server.def)
  set_target_properties(${name} PROPERTIES PREFIX "")
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${AZM_WIN_FLAGS})
  target_link_options(${name} PRIVATE ${AZM_WIN_LINK} -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  target_link_libraries(${name} PRIVATE ole32 oleaut32 uuid strmiids advapi32 user32 gdi32 ws2_32 kernel32)
endfunction()

azm_card_dll(simcard ${AZM_SKY_SOURCES} ${AZM_SIM_CORE_SOURCES} ${AZM_SIM_SOURCES})

# Further card substitutes: each folder's card.cmake adds its own targets
# (it is read by both builds; CMAKE_SYSTEM_NAME tells which).
file(GLOB AZM_CARD_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/card.cmake)
foreach(f ${AZM_CARD_FILES})
  include(${f})
endforeach()

# GoogleTest from the Debian source package, built for Windows.
set(GTEST_SRC /usr/src/googletest/googletest)
add_library(wingtest STATIC ${GTEST_SRC}/src/gtest-all.cc)
target_include_directories(wingtest PUBLIC ${GTEST_SRC}/include PRIVATE ${GTEST_SRC})

target_compile_options(wingtest PRIVATE -w)

# Driving the real program from a second process: the Windows tests and the
# measurement tool share it.
add_library(wintest_support STATIC tests/support/driver.cpp tests/support/driver_input.cpp
  tests/support/driver_screen.cpp app/whole_file.cpp app/host_text.cpp app/resource_data.cpp)
target_include_directories(wintest_support PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(wintest_support PRIVATE ${AZM_WIN_FLAGS})
target_link_libraries(wintest_support PUBLIC gdi32 user32 psapi kernel32)

file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
# The phone page's server and window run inside the test program too
# (tests/win/phone_service_test.cpp stands in for the COM server).
set(AZM_PHONE_WIN_SOURCES cardbase/phone/phone_service.cpp cardbase/phone/phone_sockets.cpp
  cardbase/phone/phone_window.cpp cardbase/module_thread.cpp cardbase/sent_messages.cpp cardbase/thread_name.cpp
  app/wall_clock_win.cpp)
add_executable(wintests ${WIN_TEST_SOURCES} tests/win/wintests.rc
  image/packed_image.cpp image/skin_pixels.cpp ui/skin_layout.cpp tuner/readout_text.cpp
  sim/dish/sky_chart.cpp sim/dish/dish_layout.cpp sim/dish/signal_history.cpp ${AZM_SKY_SOURCES}
  dvb/card/helper_link.cpp dvb/protocol/line_protocol.cpp dvb/protocol/shared_secret.cpp
  ${AZM_PHONE_WIN_SOURCES} ${AZM_PHONE_CORE_SOURCES} ${AZM_CARD_CORE_SOURCES} cardbase/record/record_files_win.cpp)
set_source_files_properties(tests/win/wintests.rc PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/skin.qz;${CMAKE_SOURCE_DIR}/resources/satellite.ini")
target_include_directories(wintests PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(wintests PRIVATE ${AZM_WIN_FLAGS})
target_link_options(wintests PRIVATE ${AZM_WIN_LINK})
target_link_libraries(wintests PRIVATE wintest_support wingtest ole32 uuid gdi32 user32 psapi shell32 ws2_32 kernel32)

# The release as a user meets it: the unzipped package driven from a second
# process (tools/scripts/release_step.sh).
add_executable(releasetests tests/release/release_test.cpp tests/release/release.rc tests/win/dish_support.cpp)
set_source_files_properties(tests/release/release.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/resources/satellite.ini)
target_include_directories(releasetests PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(releasetests PRIVATE ${AZM_WIN_FLAGS})
target_link_options(releasetests PRIVATE ${AZM_WIN_LINK})
target_link_libraries(releasetests PRIVATE wintest_support wingtest ole32 advapi32 user32 kernel32)

# A remote control for scripts and demos.
add_executable(azmctl tools/azmctl/azmctl.cpp app/wall_clock_win.cpp)
target_include_directories(azmctl PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(azmctl PRIVATE ${AZM_WIN_FLAGS})
target_link_options(azmctl PRIVATE ${AZM_WIN_LINK})
target_link_libraries(azmctl PRIVATE user32 kernel32)

# Measurements (figures for the record, not tests).
add_executable(bare_popup WIN32 tools/measure/bare_popup.cpp)
target_compile_options(bare_popup PRIVATE ${AZM_WIN_FLAGS})
target_link_options(bare_popup PRIVATE ${AZM_WIN_LINK} -mwindows)
add_executable(azmmeasure tools/measure/azmmeasure.cpp)
target_include_directories(azmmeasure PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(azmmeasure PRIVATE ${AZM_WIN_FLAGS})
target_link_options(azmmeasure PRIVATE ${AZM_WIN_LINK})
target_link_libraries(azmmeasure PRIVATE wintest_support)
