# ioplay_bench: Play's speed with the I/O unit window open while the program
# writes the output register every 100 instructions, against the window closed.
if(ZELK_BUILD_GUI)
  add_executable(ioplay_bench ${CMAKE_CURRENT_LIST_DIR}/ioplay_bench.cpp)
  target_link_libraries(ioplay_bench PRIVATE zelkui)
endif()
