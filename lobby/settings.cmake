# The settings files in memory and the rooms to enter after login.
target_sources(turfwing_models PRIVATE ${CMAKE_CURRENT_LIST_DIR}/settings.cpp ${CMAKE_CURRENT_LIST_DIR}/settings.h
                                       ${CMAKE_CURRENT_LIST_DIR}/remembered_rooms.cpp
                                       ${CMAKE_CURRENT_LIST_DIR}/remembered_rooms.h)
