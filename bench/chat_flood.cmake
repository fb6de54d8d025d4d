# The real client flooded with talk from a scripted lobby on loopback, under X.
if(TURFWING_GUI)
  add_executable(bench_chat_flood ${CMAKE_CURRENT_LIST_DIR}/chat_flood.cpp)
  # The scripted lobby and the message builders of the tests.
  target_link_libraries(bench_chat_flood PRIVATE turfwing_test_support)
  target_include_directories(bench_chat_flood PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(bench_chat_flood PRIVATE TURFWING_CLIENT_PATH="$<TARGET_FILE:turfwing>")
  add_dependencies(bench_chat_flood turfwing)
endif()
