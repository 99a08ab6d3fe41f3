# play_bench: Play in the main window (offscreen) on a loop-heavy program:
# instructions per second and the latency of a Pause posted to the event queue.
if(ZELK_BUILD_GUI)
  add_executable(play_bench ${CMAKE_CURRENT_LIST_DIR}/play_bench.cpp)
  target_link_libraries(play_bench PRIVATE zelkui)
endif()
