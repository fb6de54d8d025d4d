# The INI file editor and the paths of the two INI files: plain C++, shared by
# the client and the development server.
target_sources(turfwing_sys PRIVATE ${CMAKE_CURRENT_LIST_DIR}/ini_file.cpp ${CMAKE_CURRENT_LIST_DIR}/ini_file.h
                                    ${CMAKE_CURRENT_LIST_DIR}/paths.cpp ${CMAKE_CURRENT_LIST_DIR}/paths.h
                                    ${CMAKE_CURRENT_LIST_DIR}/file_places.cpp ${CMAKE_CURRENT_LIST_DIR}/file_places.h)
