# rundebug_bench: Play through the window-side loop (hooks attached) with
# no data breakpoint, with data breakpoints set that the program never
# touches, with the step history on, and paced to the E clock at several
# rates (the achieved rate over a second against the target).
add_executable(rundebug_bench ${CMAKE_CURRENT_LIST_DIR}/rundebug_bench.cpp)
target_link_libraries(rundebug_bench PRIVATE zelkcore)
