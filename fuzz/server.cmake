# The lobby server's receive path (needs the Qt parts, which hold the server library).
if(TARGET turfwing_server)
  turfwing_add_fuzzer(fuzz_server ${CMAKE_CURRENT_LIST_DIR}/server_fuzz.cpp turfwing_server)
endif()
