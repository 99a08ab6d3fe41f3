# profile_bench: the cost of the cycle profile in the headless Play loop,
# profile off and on, on the loop program of core_bench.
add_executable(profile_bench ${CMAKE_CURRENT_LIST_DIR}/profile_bench.cpp)
target_link_libraries(profile_bench PRIVATE zelkcore benchmark::benchmark benchmark::benchmark_main)
