# turfwing-screenshot-tour: logs in to a running lobby server with the real main
# window and saves a picture of every window (scripts/screenshots runs it). A
# development tool: not installed into the portable folder.
if(TARGET turfwing_ui)
  add_executable(turfwing-screenshot-tour ${CMAKE_CURRENT_LIST_DIR}/screenshot_tour.cpp)
  target_link_libraries(turfwing-screenshot-tour PRIVATE turfwing_ui)
  # Finds the main window's parts by name, as the tests do.
  target_include_directories(turfwing-screenshot-tour PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  set_target_properties(turfwing-screenshot-tour PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
