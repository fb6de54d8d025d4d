target_sources(turfwing_models PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/main_window_rules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/main_window_rules.h)
