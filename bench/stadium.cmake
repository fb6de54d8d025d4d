# The stadium list under a stream of state updates, painted on the offscreen platform.
if(TURFWING_GUI)
  add_executable(bench_stadium ${CMAKE_CURRENT_LIST_DIR}/stadium_bench.cpp)
  target_link_libraries(bench_stadium PRIVATE turfwing_ui benchmark::benchmark)
  # The session double the GUI tests use.
  target_include_directories(bench_stadium PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
endif()
