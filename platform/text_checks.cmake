# The room-name and letters-and-digits checks on code page 932 bytes: plain C++,
# shared by the client's dialogs and the development server.
target_sources(turfwing_sys PRIVATE ${CMAKE_CURRENT_LIST_DIR}/text_checks.cpp ${CMAKE_CURRENT_LIST_DIR}/text_checks.h)
