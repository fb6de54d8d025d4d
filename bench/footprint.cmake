# The client's resting footprint beside a bare Qt window of the same fonts:
# start-up to the first dialog, and proportional memory after a standard
# session (needs an X server: xvfb-run -a build/default/bench/bench_footprint).
if(TURFWING_GUI AND TARGET turfwing)
  add_executable(bench_bare_window ${CMAKE_CURRENT_LIST_DIR}/bare_window.cpp)
  target_link_libraries(bench_bare_window PRIVATE Qt6::Widgets)
  target_compile_definitions(bench_bare_window PRIVATE ${TURFWING_QT_DEFINITIONS})
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(XCB_BENCH REQUIRED IMPORTED_TARGET xcb xcb-xtest)
  add_executable(bench_footprint ${CMAKE_CURRENT_LIST_DIR}/footprint.cpp)
  target_link_libraries(bench_footprint PRIVATE turfwing_net Qt6::Network PkgConfig::XCB_BENCH)
  target_compile_definitions(bench_footprint PRIVATE ${TURFWING_QT_DEFINITIONS}
                             TURFWING_CLIENT_PATH="$<TARGET_FILE:turfwing>"
                             TURFWING_BARE_PATH="$<TARGET_FILE:bench_bare_window>")
  add_dependencies(bench_footprint turfwing bench_bare_window)
endif()
