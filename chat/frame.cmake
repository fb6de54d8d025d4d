# Chat room frame: link detection and the log's line heights (plain C++), the log control (line store, view,
# find bar, accessible view), the frame and its pictures.
target_sources(turfwing_models PRIVATE ${CMAKE_CURRENT_LIST_DIR}/link_scan.cpp ${CMAKE_CURRENT_LIST_DIR}/link_scan.h
  ${CMAKE_CURRENT_LIST_DIR}/log_heights.cpp ${CMAKE_CURRENT_LIST_DIR}/log_heights.h)
if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/rich_edit_ex.cpp ${CMAKE_CURRENT_LIST_DIR}/rich_edit_ex.h
    ${CMAKE_CURRENT_LIST_DIR}/rich_edit_ex_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/log_store.cpp ${CMAKE_CURRENT_LIST_DIR}/log_store.h
    ${CMAKE_CURRENT_LIST_DIR}/log_find_bar.cpp ${CMAKE_CURRENT_LIST_DIR}/log_find_bar.h
    ${CMAKE_CURRENT_LIST_DIR}/log_accessible.cpp ${CMAKE_CURRENT_LIST_DIR}/log_accessible.h
    ${CMAKE_CURRENT_LIST_DIR}/frame_chat_room.cpp ${CMAKE_CURRENT_LIST_DIR}/frame_chat_room.h
    ${CMAKE_CURRENT_LIST_DIR}/icons.cpp ${CMAKE_CURRENT_LIST_DIR}/icons.h)
endif()
