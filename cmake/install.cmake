# Two ways to install.
#
# `cmake --install` lays out the portable folder: the client with access.ini and
# sound/ beside it, the stand-in game under game/, the development server under
# server/, the icon and a desktop entry written for the folder.
#
# scripts/package (CPack, cmake/package.cmake) builds Debian packages in the
# system layout: components `client` and `lobbyd`, left out of a plain
# `cmake --install` and installed only when a package asks for them.
include(GNUInstallDirs)

# --- The portable folder
install(TARGETS turfwing RUNTIME DESTINATION . COMPONENT portable)
install(TARGETS turfwing-sound LIBRARY DESTINATION . COMPONENT portable)
install(FILES ${PROJECT_SOURCE_DIR}/assets/access.ini DESTINATION . COMPONENT portable)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/sound/ DESTINATION sound COMPONENT portable FILES_MATCHING PATTERN "*.wav")
if(TARGET turfwing-game)
  install(TARGETS turfwing-game RUNTIME DESTINATION game COMPONENT portable)
endif()
if(TARGET turfwing-lobbyd)
  install(TARGETS turfwing-lobbyd RUNTIME DESTINATION server COMPONENT portable)
endif()
# The entry names the folder it was installed to, so it is written at install
# time, when --prefix is known; copying it to ~/.local/share/applications puts
# Turfwing in the menu.
install(FILES ${PROJECT_SOURCE_DIR}/assets/turfwing.svg DESTINATION . COMPONENT portable)
install(CODE "
  set(folder \"\${CMAKE_INSTALL_PREFIX}\")
  set(EXEC \"\\\"\${folder}/turfwing\\\"\")
  set(PATH_LINE \"Path=\${folder}\n\")
  set(ICON \"\${folder}/turfwing.svg\")
  configure_file(\"${PROJECT_SOURCE_DIR}/assets/package/turfwing.desktop.in\"
                 \"\$ENV{DESTDIR}\${folder}/${TURFWING_APP_ID}.desktop\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${folder}/${TURFWING_APP_ID}.desktop\")
" COMPONENT portable)

# --- The system layout of the packages (Linux only)
if(NOT UNIX OR APPLE)
  return()
endif()
set(generated ${CMAKE_BINARY_DIR}/package-files)
set(libexec_game ${CMAKE_INSTALL_LIBEXECDIR}/turfwing-lobbyd)

# The template access.ini that an installed client falls back to: the demo
# server on this machine, and the stand-in game when turfwing-lobbyd's package
# is installed beside it.
file(READ ${PROJECT_SOURCE_DIR}/assets/access.ini access)
string(REPLACE "; scripts/run lays this file beside the client with the demo server's port."
               "; The installed template: copy it to ~/.config/turfwing/access.ini (one user)\n; or /etc/xdg/turfwing/access.ini (everyone) and edit the copy."
               access "${access}")
string(REPLACE "game\\turfwing-game" "/usr/${libexec_game}/turfwing-game" access "${access}")
file(CONFIGURE OUTPUT ${generated}/access.ini CONTENT "${access}")

set(EXEC turfwing)
set(PATH_LINE "")
set(ICON ${TURFWING_APP_ID})
configure_file(${PROJECT_SOURCE_DIR}/assets/package/turfwing.desktop.in ${generated}/${TURFWING_APP_ID}.desktop @ONLY)
set(APP_ID ${TURFWING_APP_ID})
set(VERSION ${PROJECT_VERSION})
configure_file(${PROJECT_SOURCE_DIR}/assets/package/turfwing.metainfo.xml.in
               ${generated}/${TURFWING_APP_ID}.metainfo.xml @ONLY)

# Manual pages and changelogs go compressed, reproducibly (no name or time in
# the gzip header).
set(compressed)
foreach(page turfwing.1 turfwing-lobbyd.1)
  add_custom_command(OUTPUT ${generated}/${page}.gz
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/assets/package/${page} > ${generated}/${page}.gz
                     DEPENDS ${PROJECT_SOURCE_DIR}/assets/package/${page} VERBATIM)
  list(APPEND compressed ${generated}/${page}.gz)
endforeach()
foreach(PACKAGE turfwing turfwing-lobbyd)
  configure_file(${PROJECT_SOURCE_DIR}/assets/package/changelog.in ${generated}/${PACKAGE}/changelog @ONLY)
  add_custom_command(OUTPUT ${generated}/${PACKAGE}/changelog.gz
                     COMMAND gzip -9nc ${generated}/${PACKAGE}/changelog > ${generated}/${PACKAGE}/changelog.gz
                     DEPENDS ${generated}/${PACKAGE}/changelog VERBATIM)
  list(APPEND compressed ${generated}/${PACKAGE}/changelog.gz)
endforeach()
add_custom_target(turfwing_package_files ALL DEPENDS ${compressed})

# The client: turfwing.
set(client COMPONENT client EXCLUDE_FROM_ALL)
install(TARGETS turfwing RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ${client})
install(TARGETS turfwing-sound LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/turfwing ${client})
install(FILES ${generated}/access.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/turfwing ${client})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/sound/ DESTINATION ${CMAKE_INSTALL_DATADIR}/turfwing/sound ${client}
        FILES_MATCHING PATTERN "*.wav")
install(FILES ${generated}/${TURFWING_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications ${client})
install(FILES ${generated}/${TURFWING_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo ${client})
install(FILES ${PROJECT_SOURCE_DIR}/assets/turfwing.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${TURFWING_APP_ID}.svg ${client})
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/turfwing-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${TURFWING_APP_ID}.png ${client})
endforeach()
install(FILES ${generated}/turfwing.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 ${client})
install(FILES ${PROJECT_SOURCE_DIR}/assets/package/copyright ${generated}/turfwing/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/turfwing ${client})

# The development server and the stand-in game: turfwing-lobbyd.
set(lobbyd COMPONENT lobbyd EXCLUDE_FROM_ALL)
install(TARGETS turfwing-lobbyd RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} ${lobbyd})
install(TARGETS turfwing-game RUNTIME DESTINATION ${libexec_game} ${lobbyd})
install(FILES ${generated}/turfwing-lobbyd.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 ${lobbyd})
install(FILES ${PROJECT_SOURCE_DIR}/assets/package/copyright ${generated}/turfwing-lobbyd/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/turfwing-lobbyd ${lobbyd})

include(${CMAKE_CURRENT_LIST_DIR}/package.cmake)
