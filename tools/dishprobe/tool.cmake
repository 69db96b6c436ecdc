# azimora-dish-probe: the practice dish's model answering a script's
# questions in simulated time (the aligner measurement of the phone page's
# search sound, tests/browser/aligner.js).
add_executable(azimora-dish-probe ${CMAKE_SOURCE_DIR}/tools/dishprobe/dish_probe.cpp)
target_link_libraries(azimora-dish-probe PRIVATE azm_core)
