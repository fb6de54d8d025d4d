# A room of 900 members arriving in GmUserEnter messages of 40, listed in a shown tab.
if(TURFWING_GUI)
  add_executable(bench_chat_members ${CMAKE_CURRENT_LIST_DIR}/chat_members_bench.cpp)
  target_link_libraries(bench_chat_members PRIVATE turfwing_ui benchmark::benchmark)
  # The session double the GUI tests use.
  target_include_directories(bench_chat_members PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
endif()
