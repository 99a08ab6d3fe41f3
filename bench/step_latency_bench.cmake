# Latency of Step Into as the user sees it: the command, the refresh cycle and
# the repaint of the open debugger windows (offscreen platform); and the
# disassembler's keyboard paging. Needs the Qt program's objects.
if(ZELK_BUILD_GUI)
  add_executable(step_latency_bench ${CMAKE_CURRENT_LIST_DIR}/step_latency_bench.cpp)
  target_link_libraries(step_latency_bench PRIVATE zelkui benchmark::benchmark)
endif()
