# Code analysis per simulated step: CycleCount and PredictNext; decoding.
add_executable(bench_code ${CMAKE_CURRENT_LIST_DIR}/code.cpp)
target_link_libraries(bench_code PRIVATE zelkcore benchmark::benchmark benchmark::benchmark_main)
