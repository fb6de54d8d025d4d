# Start-up time of the real client to its login dialog, and log-in time of a
# real main window against a turfwing-lobbyd process.
if(TURFWING_GUI AND TARGET turfwing-lobbyd)
  add_executable(bench_session ${CMAKE_CURRENT_LIST_DIR}/session_timing.cpp)
  target_link_libraries(bench_session PRIVATE turfwing_ui)
  target_include_directories(bench_session PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(bench_session PRIVATE TURFWING_CLIENT_PATH="$<TARGET_FILE:turfwing>"
                             TURFWING_LOBBYD_PATH="$<TARGET_FILE:turfwing-lobbyd>")
  add_dependencies(bench_session turfwing turfwing-lobbyd)
endif()
