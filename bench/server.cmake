# Load on the development lobby server: many loopback clients against a real
# turfwing-lobbyd process (so its memory is measured alone).
if(TARGET turfwing-lobbyd)
  add_executable(bench_server_load ${CMAKE_CURRENT_LIST_DIR}/server_load.cpp)
  target_link_libraries(bench_server_load PRIVATE turfwing_net Qt6::Core Qt6::Network turfwing_warnings)
  target_compile_definitions(bench_server_load PRIVATE ${TURFWING_QT_DEFINITIONS}
                             TURFWING_LOBBYD_PATH="$<TARGET_FILE:turfwing-lobbyd>")
  add_dependencies(bench_server_load turfwing-lobbyd)
endif()
