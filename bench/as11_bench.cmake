# as11_bench: assembles a generated 200 000-line source in-process (and with
# the as11 program), and times the GNU 68HC11 assembler on the same program
# when it is installed.
if(TARGET as11core)
  add_executable(as11_bench ${CMAKE_CURRENT_LIST_DIR}/as11_bench.cpp)
  target_link_libraries(as11_bench PRIVATE as11core benchmark::benchmark)
  target_compile_definitions(as11_bench PRIVATE AS11_PROGRAM="$<TARGET_FILE:as11>")
  add_dependencies(as11_bench as11)
endif()
