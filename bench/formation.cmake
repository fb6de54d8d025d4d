# Formation board: check, relayed changes, and the repaint of one drag step.
if(TARGET turfwing_ui)
  add_executable(bench_formation ${CMAKE_CURRENT_LIST_DIR}/formation_bench.cpp)
  target_link_libraries(bench_formation PRIVATE turfwing_ui benchmark::benchmark)
endif()
