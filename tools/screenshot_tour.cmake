# turfwing-screenshot-tour: logs in to a running lobby server with the real main
# window and saves a picture of every window (scripts/screenshots runs it). A
# development tool: not installed into the portable folder.
add_executable(turfwing-screenshot-tour ${CMAKE_CURRENT_LIST_DIR}/screenshot_tour.cpp)
target_link_libraries(turfwing-screenshot-tour PRIVATE turfwing_ui)
set_target_properties(turfwing-screenshot-tour PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

# The end-to-end suite runs the tour against its own server: build the tour with
# it and tell it where the program is (the suite is defined after this folder).
function(turfwing_tour_for_e2e_tests)
  if(TARGET e2e_tests)
    add_dependencies(e2e_tests turfwing-screenshot-tour)
    set_property(SOURCE ${PROJECT_SOURCE_DIR}/tests/e2e/screenshots_tour_test.cpp TARGET_DIRECTORY e2e_tests APPEND
                 PROPERTY COMPILE_DEFINITIONS TURFWING_TOUR_PROGRAM="$<TARGET_FILE:turfwing-screenshot-tour>")
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL turfwing_tour_for_e2e_tests)
