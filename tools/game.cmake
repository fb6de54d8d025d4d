# turfwing-game: the stand-in for the separate game program. With Qt it shows
# the command line in a small window; a Windows build without Qt is a console
# program that only logs it (the one Wine starts in the tests).
if(TURFWING_GUI)
  add_executable(turfwing-game ${CMAKE_CURRENT_LIST_DIR}/turfwing_game.cpp)
  target_link_libraries(turfwing-game PRIVATE Qt6::Widgets turfwing_warnings)
  target_compile_definitions(turfwing-game PRIVATE ${TURFWING_QT_DEFINITIONS})
  set_target_properties(turfwing-game PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
elseif(WIN32)
  add_executable(turfwing-game ${CMAKE_CURRENT_LIST_DIR}/turfwing_game_console.cpp)
  target_link_libraries(turfwing-game PRIVATE turfwing_warnings)
  # wmain: the arguments arrive as UTF-16.
  target_link_options(turfwing-game PRIVATE -municode)
  set_target_properties(turfwing-game PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endif()
