# register_latency_bench: what the user waits for in the debugger windows,
# offscreen: Step Into from the command to the repainted windows with all
# nine register windows and the memory window open, and paging the memory
# window through the whole 64 KB. Needs the Qt program's objects.
if(TARGET zelkui)
  add_executable(register_latency_bench ${CMAKE_CURRENT_LIST_DIR}/register_latency_bench.cpp)
  target_link_libraries(register_latency_bench PRIVATE zelkui benchmark::benchmark)
endif()
