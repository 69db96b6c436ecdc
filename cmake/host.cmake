# Native build of the platform-neutral code: unit tests under sanitizers,
# host tools, fuzz targets and benchmarks.
option(AZM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
option(AZM_BENCH "Build the benchmarks" OFF)
# A warning never lands. clang's -Wconversion also warns of every signed
# index or count handed to the standard containers; that alone stays off,
# as the MinGW compiler has it, and value-changing conversions are errors.
set(AZM_HOST_FLAGS -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion -Werror -g)
if(AZM_SANITIZE)
  set(AZM_SAN -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${AZM_SAN})
  add_link_options(${AZM_SAN})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # coverage for the fuzz targets, which link the same core library
    add_compile_options(-fsanitize=fuzzer-no-link)
  endif()
endif()
add_compile_options(${AZM_HOST_FLAGS})
include_directories(${CMAKE_SOURCE_DIR})

# The section builder serves simulators and tests only: no card links it.
add_library(azm_core STATIC ${AZM_CORE_SOURCES} ${AZM_CARD_CORE_SOURCES} ${AZM_PHONE_CORE_SOURCES}
  ${AZM_SKY_SOURCES} ${AZM_ARC_SOURCES} ${AZM_SIM_CORE_SOURCES} ${AZM_RECORD_POSIX_SOURCES} ${CMAKE_SOURCE_DIR}/cardbase/network/psi_build.cpp)

# Host tools: each tools/<name>/tool.cmake adds its own targets.
file(GLOB AZM_TOOL_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*/tool.cmake)
foreach(f ${AZM_TOOL_FILES})
  include(${f})
endforeach()

# Card substitutes' native parts: each folder's card.cmake (read by both builds).
file(GLOB AZM_CARD_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/*/card.cmake)
foreach(f ${AZM_CARD_FILES})
  include(${f})
endforeach()

find_package(GTest REQUIRED)
file(GLOB NATIVE_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/native/*.cpp)
add_executable(native_tests ${NATIVE_TEST_SOURCES})
target_link_libraries(native_tests PRIVATE azm_core ${AZM_TEST_EXTRA_LIBS} GTest::gtest_main)
target_compile_definitions(native_tests PRIVATE AZM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")

# The real-kernel stage's driver: azimora-dvb in a QEMU guest, reached
# through forwarded ports (tools/scripts/kernel_stage.sh runs it).
file(GLOB KERNEL_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/kernel/*.cpp)
add_executable(kernel_tests ${KERNEL_TEST_SOURCES})
target_link_libraries(kernel_tests PRIVATE azm_core GTest::gtest_main)

# libFuzzer targets (clang only): tests/fuzz/<name>_fuzz.cpp
if(AZM_SANITIZE AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB FUZZ_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(src ${FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE azm_core)
  endforeach()
endif()

if(AZM_BENCH)
  file(GLOB BENCH_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/bench/bench.cmake)
  foreach(f ${BENCH_FILES})
    include(${f})
  endforeach()
endif()
