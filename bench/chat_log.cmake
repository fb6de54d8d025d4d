# The chat log filled with 100,000 linked lines on the offscreen platform.
if(TURFWING_GUI)
  add_executable(bench_chat_log ${CMAKE_CURRENT_LIST_DIR}/chat_log_bench.cpp)
  target_link_libraries(bench_chat_log PRIVATE turfwing_ui Qt6::Test benchmark::benchmark)
endif()
