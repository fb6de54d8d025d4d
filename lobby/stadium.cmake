# Stadium list, match entry and game launch, preview playback.
target_sources(turfwing_models PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/stadium_row.cpp ${CMAKE_CURRENT_LIST_DIR}/stadium_row.h
  ${CMAKE_CURRENT_LIST_DIR}/stadium_list.cpp ${CMAKE_CURRENT_LIST_DIR}/stadium_list.h
  ${CMAKE_CURRENT_LIST_DIR}/stadium_waiting.cpp ${CMAKE_CURRENT_LIST_DIR}/stadium_waiting.h
  ${CMAKE_CURRENT_LIST_DIR}/stadium_command_line.cpp ${CMAKE_CURRENT_LIST_DIR}/stadium_command_line.h)
if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/stadium_table_model.cpp ${CMAKE_CURRENT_LIST_DIR}/stadium_table_model.h
    ${CMAKE_CURRENT_LIST_DIR}/game_launch.cpp ${CMAKE_CURRENT_LIST_DIR}/game_launch.h
    ${CMAKE_CURRENT_LIST_DIR}/game_list_panel.cpp ${CMAKE_CURRENT_LIST_DIR}/game_list_panel.h
    ${CMAKE_CURRENT_LIST_DIR}/preview.cpp ${CMAKE_CURRENT_LIST_DIR}/preview.h)
endif()
