target_sources(turfwing_models PRIVATE ${CMAKE_CURRENT_LIST_DIR}/entry_checks.cpp ${CMAKE_CURRENT_LIST_DIR}/entry_checks.h)
if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/dialog_frame.cpp ${CMAKE_CURRENT_LIST_DIR}/dialog_frame.h
    ${CMAKE_CURRENT_LIST_DIR}/form_login.cpp ${CMAKE_CURRENT_LIST_DIR}/form_login.h
    ${CMAKE_CURRENT_LIST_DIR}/form_game_option.cpp ${CMAKE_CURRENT_LIST_DIR}/form_game_option.h
    ${CMAKE_CURRENT_LIST_DIR}/form_ping.cpp ${CMAKE_CURRENT_LIST_DIR}/form_ping.h
    ${CMAKE_CURRENT_LIST_DIR}/form_update.cpp ${CMAKE_CURRENT_LIST_DIR}/form_update.h
    ${CMAKE_CURRENT_LIST_DIR}/debug_form.cpp ${CMAKE_CURRENT_LIST_DIR}/debug_form.h)
endif()
