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
# Desktop entry and icon for Linux desktops. The entry names the folder it was
# installed to, so it is written at install time, when --prefix is known;
# copying it to ~/.local/share/applications puts Turfwing in the menu.
install(FILES ${PROJECT_SOURCE_DIR}/assets/turfwing.svg DESTINATION .)
install(CODE "
  set(FOLDER \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/assets/turfwing.desktop.in\"
                 \"\$ENV{DESTDIR}\${FOLDER}/turfwing.desktop\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${FOLDER}/turfwing.desktop\")
")
