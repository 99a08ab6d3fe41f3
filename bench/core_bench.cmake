# core_bench: Step Into throughput through the whole IDE core in simulator
# mode (prediction, IDE-side branches and calls, Korvex, register save area),
# and the download of an 8 KB S-record program.
add_executable(core_bench ${CMAKE_CURRENT_LIST_DIR}/core_bench.cpp)
target_link_libraries(core_bench PRIVATE zelkcore benchmark::benchmark benchmark::benchmark_main)
