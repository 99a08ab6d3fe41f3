# periph_bench: the run path with the on-chip peripherals on against off:
# headless Play, Play with view hooks, Step Into in the core, an interrupt-
# driven program, and zelk-sim as a process on loop100m.s19.
if(TARGET as11 AND TARGET zelk-sim)
  # loop100m_s19 is declared by sim_bench.cmake.
  add_executable(periph_bench ${CMAKE_CURRENT_LIST_DIR}/periph_bench.cpp)
  target_link_libraries(periph_bench PRIVATE zelkcore)
  target_compile_definitions(periph_bench PRIVATE ZELK_SIM_PATH="$<TARGET_FILE:zelk-sim>"
                             LOOP_S19="${CMAKE_CURRENT_BINARY_DIR}/loop100m.s19")
  add_dependencies(periph_bench loop100m_s19 zelk-sim)
endif()
