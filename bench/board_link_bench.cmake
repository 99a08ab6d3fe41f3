# board_link_bench: the IDE's board link over a pseudo-terminal against
# zelk-board at 38400 baud: download speed next to the protocol's bound, and
# the CPU time the IDE spends while a silent board lets a 100 ms window pass.
if(ZELK_BUILD_GUI AND TARGET zelkboard_testsupport)
  add_executable(board_link_bench ${CMAKE_CURRENT_LIST_DIR}/board_link_bench.cpp)
  target_link_libraries(board_link_bench PRIVATE zelkui as11core zelkboard_testsupport)
endif()
