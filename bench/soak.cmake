# soak: Play for a billion instructions in the main window (offscreen) with
# every debugger window open, printing the resident memory as it goes. Not a
# test: scripts/soak.sh runs it, and a shorter run under valgrind.
if(ZELK_BUILD_GUI)
  add_executable(soak ${CMAKE_CURRENT_LIST_DIR}/soak.cpp)
  target_link_libraries(soak PRIVATE zelkui as11core)
endif()
