if(TURFWING_GUI)
  target_sources(turfwing_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/form_create_room.cpp ${CMAKE_CURRENT_LIST_DIR}/form_create_room.h
               ${CMAKE_CURRENT_LIST_DIR}/form_password.cpp ${CMAKE_CURRENT_LIST_DIR}/form_password.h)
endif()
