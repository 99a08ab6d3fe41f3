# sim_bench: the whole run path on loop100m.asm (assembled here by as11):
# zelk-sim as a process (instructions per second from wall time), Step Into
# through the core in-process, and, when valgrind is installed, callgrind's
# count of x86 instructions per 68HC11 instruction for both.
if(TARGET as11 AND TARGET zelk-sim)
  set(LOOP_S19 ${CMAKE_CURRENT_BINARY_DIR}/loop100m.s19)
  add_custom_command(
    OUTPUT ${LOOP_S19}
    COMMAND $<TARGET_FILE:as11> -q -l ${CMAKE_CURRENT_BINARY_DIR}/loop100m.lst -s ${LOOP_S19}
            -e ${CMAKE_CURRENT_BINARY_DIR}/loop100m.err ${CMAKE_CURRENT_LIST_DIR}/loop100m.asm
    DEPENDS as11 ${CMAKE_CURRENT_LIST_DIR}/loop100m.asm
    COMMENT "Assembling bench/loop100m.asm")
  add_custom_target(loop100m_s19 DEPENDS ${LOOP_S19})
  add_executable(sim_bench ${CMAKE_CURRENT_LIST_DIR}/sim_bench.cpp)
  target_link_libraries(sim_bench PRIVATE zelkcore)
  target_compile_definitions(sim_bench PRIVATE ZELK_SIM_PATH="$<TARGET_FILE:zelk-sim>"
                             LOOP_S19="${LOOP_S19}")
  add_dependencies(sim_bench loop100m_s19 zelk-sim)
endif()
