# Formation data and check, board arithmetic and the window's rules: plain C++.
target_sources(turfwing_models PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/team_formation.cpp ${CMAKE_CURRENT_LIST_DIR}/team_formation.h
  ${CMAKE_CURRENT_LIST_DIR}/board_transform.cpp ${CMAKE_CURRENT_LIST_DIR}/board_transform.h
  ${CMAKE_CURRENT_LIST_DIR}/formation_sync.cpp ${CMAKE_CURRENT_LIST_DIR}/formation_sync.h)
