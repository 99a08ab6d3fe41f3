# terminal_bench: the serial terminal window fed at 38400 baud (3 840 bytes/s)
# for a simulated minute, ASCII and Hex: time taken against the minute, the
# slowest block, and the line count under the scrollback cap.
if(ZELK_BUILD_GUI)
  add_executable(terminal_bench ${CMAKE_CURRENT_LIST_DIR}/terminal_bench.cpp)
  target_link_libraries(terminal_bench PRIVATE zelkui)
endif()
