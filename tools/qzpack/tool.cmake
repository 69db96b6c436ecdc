# The host packer for the "QZ" image container. Its logic is a library so the
# native tests and the benchmark can call it.
add_library(qzpack_lib STATIC
  ${CMAKE_SOURCE_DIR}/tools/qzpack/match_finder.cpp
  ${CMAKE_SOURCE_DIR}/tools/qzpack/packer.cpp
  ${CMAKE_SOURCE_DIR}/tools/qzpack/stream_writer.cpp
  ${CMAKE_SOURCE_DIR}/tools/qzpack/synthetic_picture.cpp
  ${CMAKE_SOURCE_DIR}/tools/qzpack/unpack_check.cpp)
target_link_libraries(qzpack_lib PUBLIC azm_core)

add_executable(qzpack ${CMAKE_SOURCE_DIR}/tools/qzpack/qzpack_main.cpp)
target_link_libraries(qzpack PRIVATE qzpack_lib)
set_target_properties(qzpack PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

if(TARGET native_tests)
  target_link_libraries(native_tests PRIVATE qzpack_lib)
else()
  list(APPEND AZM_TEST_EXTRA_LIBS qzpack_lib)
endif()
