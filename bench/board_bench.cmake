# Virtual board throughput: request/reply frames per second through the
# real zelk-board on its pty, unpaced and at 38400 baud.
if(TARGET zelkboard_testsupport)
  add_executable(board_bench ${CMAKE_CURRENT_LIST_DIR}/board_bench.cpp)
  target_link_libraries(board_bench PRIVATE zelkboard_testsupport benchmark::benchmark)
endif()
