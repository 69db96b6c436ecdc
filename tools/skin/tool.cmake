# skinconv: rendered artwork -> skin payload and icon file (driven by make_skin.sh).
add_library(azm_skin_convert STATIC ${CMAKE_SOURCE_DIR}/tools/skin/skin_convert.cpp)
add_executable(skinconv ${CMAKE_SOURCE_DIR}/tools/skin/skinconv.cpp)
target_link_libraries(skinconv PRIVATE azm_skin_convert)
target_link_libraries(azm_skin_convert PUBLIC azm_core)
set_target_properties(skinconv PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
list(APPEND AZM_TEST_EXTRA_LIBS azm_skin_convert)
