target_sources(turfwing_models PRIVATE ${CMAKE_CURRENT_LIST_DIR}/game_options.h)
