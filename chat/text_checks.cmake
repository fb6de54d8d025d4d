target_sources(turfwing_models PRIVATE ${CMAKE_CURRENT_LIST_DIR}/text_checks.cpp ${CMAKE_CURRENT_LIST_DIR}/text_checks.h)
