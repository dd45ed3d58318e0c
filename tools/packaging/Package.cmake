# Two Debian packages from one build with CPack: zarvok (the game) and zarvok-score-server.
# Their dependencies come from dpkg-shlibdeps, never from a hand-written list.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zarvok)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zarvok developers")
set(CPACK_PACKAGE_CONTACT "${ZARVOK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game server)
set(CPACK_COMPONENTS_GROUPING IGNORE)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE ZARVOK_DEB_ARCH
  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ZARVOK_DEB_ARCH)
  set(ZARVOK_DEB_ARCH amd64)
endif()

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARVOK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE zarvok)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZARVOK_SITE_URL}/")
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${ZARVOK_DEB_ARCH})

set(CPACK_DEBIAN_GAME_PACKAGE_NAME zarvok)
set(CPACK_DEBIAN_GAME_FILE_NAME zarvok_${PROJECT_VERSION}_${ZARVOK_DEB_ARCH}.deb)
set(CPACK_COMPONENT_GAME_DESCRIPTION "mouse-aimed shooting gallery in the desert
Zarvok is a shooting gallery for one player. Aim the sight with the mouse
over one of four desert battlefields: fighters on foot walk, take cover and
shoot back, while tanks, trucks and a helicopter cross the field. Timed
levels bring more and tougher enemies; bonus balloons give health, lives,
air strikes and burst fire. A local table keeps the ten best scores, and an
optional online table is kept by zarvok-score-server.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME zarvok-score-server)
set(CPACK_DEBIAN_SERVER_FILE_NAME zarvok-score-server_${PROJECT_VERSION}_${ZARVOK_DEB_ARCH}.deb)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION games)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "online score table and web site for Zarvok
The score server keeps the online table of the best Zarvok scores in an
SQLite database and serves the game's web site. It comes with a systemd
unit that runs it as a dynamic user with its database in
/var/lib/zarvok-score-server.")

include(CPack)
