# turfwing-lobbyd: the development lobby server (library for in-process tests + main).
add_library(turfwing_server STATIC
  ${CMAKE_CURRENT_LIST_DIR}/accounts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/accounts.h
  ${CMAKE_CURRENT_LIST_DIR}/demo_world.cpp
  ${CMAKE_CURRENT_LIST_DIR}/demo_world.h
  ${CMAKE_CURRENT_LIST_DIR}/lobby_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lobby_server.h
  ${CMAKE_CURRENT_LIST_DIR}/lobby_world.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lobby_world.h
  ${CMAKE_CURRENT_LIST_DIR}/lobby_world_match.cpp
  ${CMAKE_CURRENT_LIST_DIR}/lobby_world_rooms.cpp
  ${CMAKE_CURRENT_LIST_DIR}/world_text.h
  ${CMAKE_CURRENT_LIST_DIR}/probe_client.cpp
  ${CMAKE_CURRENT_LIST_DIR}/probe_client.h
  ${CMAKE_CURRENT_LIST_DIR}/qt_server_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/qt_server_clock.h
  ${CMAKE_CURRENT_LIST_DIR}/server_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/server_clock.h
  ${CMAKE_CURRENT_LIST_DIR}/team_board.cpp
  ${CMAKE_CURRENT_LIST_DIR}/team_board.h
  ${CMAKE_CURRENT_LIST_DIR}/text_cut.h)
target_link_libraries(turfwing_server PUBLIC turfwing_models turfwing_net turfwing_sys Qt6::Core Qt6::Network turfwing_warnings)
target_compile_definitions(turfwing_server PUBLIC ${TURFWING_QT_DEFINITIONS})
target_include_directories(turfwing_server PUBLIC ${PROJECT_SOURCE_DIR})
set_target_properties(turfwing_server PROPERTIES AUTOMOC ON)

add_executable(turfwing-lobbyd ${CMAKE_CURRENT_LIST_DIR}/main.cpp)
target_link_libraries(turfwing-lobbyd PRIVATE turfwing_server)
set_target_properties(turfwing-lobbyd PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
