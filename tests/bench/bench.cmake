# Benchmarks (configure with -DAZM_BENCH=ON -DAZM_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release).
find_package(benchmark REQUIRED)
find_package(ZLIB REQUIRED)

add_executable(unpack_bench ${CMAKE_SOURCE_DIR}/tests/bench/unpack_bench.cpp)
target_link_libraries(unpack_bench PRIVATE qzpack_lib azm_core benchmark::benchmark ZLIB::ZLIB)
target_compile_definitions(unpack_bench PRIVATE AZM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
