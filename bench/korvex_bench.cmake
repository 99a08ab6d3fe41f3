# Korvex throughput: instructions per second through the C interface, with a
# host answering every memory event from a 64 KB array.
add_executable(korvex_bench ${CMAKE_CURRENT_LIST_DIR}/korvex_bench.cpp)
target_link_libraries(korvex_bench PRIVATE korvex benchmark::benchmark)
