# Chat tabs, the routing of room and talk messages, and the room list window.
target_sources(turfwing_models PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/chat_user_list.cpp ${CMAKE_CURRENT_LIST_DIR}/chat_user_list.h
  ${CMAKE_CURRENT_LIST_DIR}/chat_line.cpp ${CMAKE_CURRENT_LIST_DIR}/chat_line.h
  ${CMAKE_CURRENT_LIST_DIR}/room_list_model.cpp ${CMAKE_CURRENT_LIST_DIR}/room_list_model.h
  ${CMAKE_CURRENT_LIST_DIR}/talk_route.cpp ${CMAKE_CURRENT_LIST_DIR}/talk_route.h)
if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/chat_host.h
    ${CMAKE_CURRENT_LIST_DIR}/chat_sheet.cpp ${CMAKE_CURRENT_LIST_DIR}/chat_sheet.h
    ${CMAKE_CURRENT_LIST_DIR}/chat_tabs.cpp ${CMAKE_CURRENT_LIST_DIR}/chat_tabs.h
    ${CMAKE_CURRENT_LIST_DIR}/form_room_list.cpp ${CMAKE_CURRENT_LIST_DIR}/form_room_list.h)
endif()
