# azimora-point: the phone page's pointing answers for queries on stdin (the
# reference tests compare them with other people's libraries).
add_executable(azimora-point ${CMAKE_SOURCE_DIR}/tools/pointing/point_answers.cpp)
target_link_libraries(azimora-point PRIVATE azm_core)
