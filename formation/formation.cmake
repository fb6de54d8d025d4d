# Formation data and check, board arithmetic and the window's rules: plain C++.
target_sources(turfwing_models PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/team_formation.cpp ${CMAKE_CURRENT_LIST_DIR}/team_formation.h
  ${CMAKE_CURRENT_LIST_DIR}/board_transform.cpp ${CMAKE_CURRENT_LIST_DIR}/board_transform.h
  ${CMAKE_CURRENT_LIST_DIR}/formation_sync.cpp ${CMAKE_CURRENT_LIST_DIR}/formation_sync.h)

# The board control, the player-name dialog and the window.
if(TARGET turfwing_ui)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/my_control.cpp ${CMAKE_CURRENT_LIST_DIR}/my_control.h
    ${CMAKE_CURRENT_LIST_DIR}/formation_image.cpp ${CMAKE_CURRENT_LIST_DIR}/formation_image.h
    ${CMAKE_CURRENT_LIST_DIR}/form_board_name.cpp ${CMAKE_CURRENT_LIST_DIR}/form_board_name.h
    ${CMAKE_CURRENT_LIST_DIR}/form_formation.cpp ${CMAKE_CURRENT_LIST_DIR}/form_formation.h)
endif()
