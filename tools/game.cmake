# turfwing-game: the stand-in for the separate game program.
add_executable(turfwing-game ${CMAKE_CURRENT_LIST_DIR}/turfwing_game.cpp)
target_link_libraries(turfwing-game PRIVATE Qt6::Widgets turfwing_warnings)
target_compile_definitions(turfwing-game PRIVATE ${TURFWING_QT_DEFINITIONS})
set_target_properties(turfwing-game PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
