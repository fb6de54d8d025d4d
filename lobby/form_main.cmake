if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/form_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_main.h
    ${CMAKE_CURRENT_LIST_DIR}/form_main_menus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/form_main_session.cpp)
endif()
