# Where `cmake --install build --prefix P` puts the game and the score server. The game finds its
# data at <program>/../share/zarvok, so the program's folder must be one level under the prefix.
include(GNUInstallDirs)

set(ZARVOK_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE STRING
  "Folder of the game's program under the prefix: bin, or games as Debian's policy prefers")
set(ZARVOK_SITE_URL "https://zarvok.example.org" CACHE STRING "The project's web site (no trailing slash)")
set(ZARVOK_APP_ID "org.example.zarvok" CACHE STRING "Reverse-DNS id of the game in software centres")
set(ZARVOK_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX expression of the game's licence")
set(ZARVOK_MAINTAINER "Zarvok developers <zarvok@example.org>" CACHE STRING "Maintainer of the packages")

set(ZARVOK_DATADIR "${CMAKE_INSTALL_DATADIR}/zarvok")
set(ZARVOK_SERVER_STATIC "${CMAKE_INSTALL_DATADIR}/zarvok-score-server/static")
set(ZARVOK_SYSTEMD_UNITDIR "lib/systemd/system" CACHE STRING "Folder of systemd units under the prefix")
if(ZARVOK_INSTALL_BINDIR MATCHES "/" OR IS_ABSOLUTE "${ZARVOK_INSTALL_BINDIR}")
  message(FATAL_ERROR "ZARVOK_INSTALL_BINDIR must be one folder under the prefix (bin or games)")
endif()

# The release date comes from the last commit, so that a rebuild gives the same files.
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%cs
  OUTPUT_VARIABLE ZARVOK_RELEASE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%cD
  OUTPUT_VARIABLE ZARVOK_CHANGELOG_DATE OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT ZARVOK_RELEASE_DATE)
  string(TIMESTAMP ZARVOK_RELEASE_DATE "%Y-%m-%d" UTC)
  string(TIMESTAMP ZARVOK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
endif()

set(ZARVOK_DESKTOP_OUT ${CMAKE_BINARY_DIR}/desktop)
configure_file(${CMAKE_SOURCE_DIR}/assets/desktop/zarvok.metainfo.xml.in
  ${ZARVOK_DESKTOP_OUT}/${ZARVOK_APP_ID}.metainfo.xml @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/assets/desktop/zarvok.desktop ${ZARVOK_DESKTOP_OUT}/zarvok.desktop COPYONLY)

# Man pages and Debian changelogs go in gzipped without a time stamp (gzip -9n), as Debian wants.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(ZARVOK_GZIPPED)
function(zarvok_gzip source name)
  set(plain ${ZARVOK_DESKTOP_OUT}/${name})
  configure_file(${source} ${plain} @ONLY)
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${GZIP_EXECUTABLE} -9nkf ${plain}
    DEPENDS ${plain} ${source}
    VERBATIM)
  set(ZARVOK_GZIPPED ${ZARVOK_GZIPPED} ${plain}.gz PARENT_SCOPE)
endfunction()
zarvok_gzip(${CMAKE_SOURCE_DIR}/docs/man/zarvok.6.in zarvok.6)
zarvok_gzip(${CMAKE_SOURCE_DIR}/docs/man/zarvok-score-server.8.in zarvok-score-server.8)
zarvok_gzip(${CMAKE_SOURCE_DIR}/tools/packaging/changelog.in changelog.Debian)

# The icons, drawn by assetgen from the title's emblem.
set(ZARVOK_ICON_DIR ${CMAKE_BINARY_DIR}/icons/hicolor)
add_custom_command(
  OUTPUT ${ZARVOK_ICON_DIR}/scalable/apps/zarvok.svg ${ZARVOK_ICON_DIR}/512x512/apps/zarvok.png
  COMMAND assetgen --assets ${CMAKE_SOURCE_DIR}/assets --icons ${ZARVOK_ICON_DIR}
  DEPENDS assetgen ${CMAKE_SOURCE_DIR}/assets/pictures/svg/emblem.svg ${CMAKE_SOURCE_DIR}/assets/pictures/art.txt
  COMMENT "Drawing the desktop icons"
  VERBATIM)
add_custom_target(zarvok_desktop_files ALL
  DEPENDS ${ZARVOK_GZIPPED} ${ZARVOK_ICON_DIR}/scalable/apps/zarvok.svg ${ZARVOK_ICON_DIR}/512x512/apps/zarvok.png)

# --- The game ---
install(TARGETS zarvok RUNTIME DESTINATION ${ZARVOK_INSTALL_BINDIR} COMPONENT game)
# Relocations read-only and bound at start, as Debian builds programs.
target_link_options(zarvok PRIVATE -Wl,-z,relro,-z,now)
install(DIRECTORY ${ZARVOK_GAME_DIR}/Data ${ZARVOK_GAME_DIR}/Music DESTINATION ${ZARVOK_DATADIR} COMPONENT game)
install(FILES ${ZARVOK_DESKTOP_OUT}/zarvok.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT game)
install(FILES ${ZARVOK_DESKTOP_OUT}/${ZARVOK_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT game)
install(DIRECTORY ${ZARVOK_ICON_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons COMPONENT game)
install(FILES ${ZARVOK_DESKTOP_OUT}/zarvok.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
install(FILES ${CMAKE_SOURCE_DIR}/tools/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zarvok
  COMPONENT game)
install(FILES ${ZARVOK_DESKTOP_OUT}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zarvok
  RENAME changelog.gz COMPONENT game)

# --- The score server ---
if(TARGET zarvok-score-server)
  install(TARGETS zarvok-score-server RUNTIME DESTINATION ${CMAKE_INSTALL_SBINDIR} COMPONENT server)
  target_link_options(zarvok-score-server PRIVATE -Wl,-z,relro,-z,now)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/server/static/ DESTINATION ${ZARVOK_SERVER_STATIC} COMPONENT server)
  # The unit names the installed program and site, so it is written when the prefix is known:
  # cpack installs under /usr whatever the build was configured with.
  install(CODE "
    set(ZARVOK_FULL_SBINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_SBINDIR}\")
    set(ZARVOK_FULL_SERVER_STATIC \"\${CMAKE_INSTALL_PREFIX}/${ZARVOK_SERVER_STATIC}\")
    set(unit_dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZARVOK_SYSTEMD_UNITDIR}\")
    message(STATUS \"Installing: \${unit_dir}/zarvok-score-server.service\")
    configure_file(${CMAKE_SOURCE_DIR}/server/systemd/zarvok-score-server.service.in
      \"\${unit_dir}/zarvok-score-server.service\" @ONLY)
    file(CHMOD \"\${unit_dir}/zarvok-score-server.service\"
      PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  " COMPONENT server)
  install(FILES ${ZARVOK_DESKTOP_OUT}/zarvok-score-server.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8
    COMPONENT server)
  install(FILES ${CMAKE_SOURCE_DIR}/tools/packaging/copyright
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zarvok-score-server COMPONENT server)
  install(FILES ${ZARVOK_DESKTOP_OUT}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zarvok-score-server RENAME changelog.gz COMPONENT server)
endif()

# The installed and the portable game started under Xvfb; skipped until ./package.sh has made the
# package (tools/ci/package.sh runs it after building the packages).
add_test(NAME InstalledGame COMMAND ${CMAKE_SOURCE_DIR}/tools/ci/installed-game.sh ${CMAKE_BINARY_DIR})
set_tests_properties(InstalledGame PROPERTIES LABELS package SKIP_RETURN_CODE 77 RUN_SERIAL TRUE TIMEOUT 300)
