# `cmake --install` lays out the portable folder: the client with access.ini and
# sound/ beside it, and the stand-in game under game/.
include(GNUInstallDirs)
install(TARGETS turfwing RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/assets/access.ini DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/sound/ DESTINATION sound FILES_MATCHING PATTERN "*.wav")
if(TARGET turfwing-game)
  install(TARGETS turfwing-game RUNTIME DESTINATION game)
endif()
if(TARGET turfwing-lobbyd)
  install(TARGETS turfwing-lobbyd RUNTIME DESTINATION server)
endif()
# Desktop entry and icon for Linux desktops.
install(FILES ${PROJECT_SOURCE_DIR}/assets/turfwing.desktop ${PROJECT_SOURCE_DIR}/assets/turfwing.svg DESTINATION .)
