# find_bench: Find Next and Replace All on a 200 000-line source in a real
# editor, offscreen, and the undo of a Replace All; the search rules alone on
# the same text. Needs the Qt program's objects.
if(TARGET zelkui)
  add_executable(find_bench ${CMAKE_CURRENT_LIST_DIR}/find_bench.cpp)
  target_link_libraries(find_bench PRIVATE zelkui benchmark::benchmark)
endif()
