# Debian packages of the system layout (scripts/package):
#   turfwing_<version>_amd64.deb         the client
#   turfwing-lobbyd_<version>_amd64.deb  the development server and the stand-in game
# Their dependencies come from the binaries (dpkg-shlibdeps), not from a list.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME turfwing)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Turfwing developers")
set(CPACK_PACKAGE_CONTACT "The Turfwing developers <dev@turfwing.org>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client lobbyd)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A lobby and chat client, not the game itself (that would live in /usr/games).
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://turfwing.org/)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME turfwing)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION net)
# Japanese captions need a Japanese font and Qt's own texts their translation;
# the window still opens without them.
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "fonts-noto-cjk | fonts-ipafont-gothic, qt6-translations-l10n")
set(CPACK_DEBIAN_CLIENT_DESCRIPTION
    "lobby client of the Turfwing online football game
Turfwing is where players of the online football game meet before a match:
log in to the lobby server, watch the live list of stadiums, wait for a
place in a match or enter one at once, and the game program starts when the
match is ready. Chat rooms open as tabs, with private talk and a searchable
log, and a team's formation is edited on a pitch shared with the room.")

set(CPACK_DEBIAN_LOBBYD_PACKAGE_NAME turfwing-lobbyd)
set(CPACK_DEBIAN_LOBBYD_PACKAGE_SECTION net)
set(CPACK_DEBIAN_LOBBYD_DESCRIPTION
    "development lobby server for the Turfwing client
turfwing-lobbyd speaks the lobby protocol of the Turfwing client, with a
small demo world of rooms, chatting members and simulated matches, so that
the client can be tried and tested on one machine. A stand-in for the game
program, which records the command line it was started with, comes with it.")

include(CPack)
