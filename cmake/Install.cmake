# Installs the game like a desktop program (GNUInstallDirs): the programs in
# bin/, the game's data in share/kesto/{dat,cg} (the program finds it as
# ../share/kesto from its own folder, so any prefix works), the menu entry,
# the icons in the hicolor theme, the AppStream metainfo, the manual pages
# and the package's documents; then CPack makes a .deb of everything
# installed (scripts/package-deb).
include(GNUInstallDirs)

set(KESTO_VERSION ${PROJECT_VERSION})
set(KESTO_APP_ID org.kesto.Kesto)
set(KESTO_HOMEPAGE "https://kesto.example.org" CACHE STRING
    "Where the project's pages are published; the metainfo links its screenshot docs/play.png there")
set(KESTO_MAINTAINER "kesto developers <maintainers@users.noreply.c-seed-f672cee2.example>")
set(kesto_data ${CMAKE_INSTALL_DATADIR}/kesto)
set(linux ${PROJECT_SOURCE_DIR}/packaging/linux)
set(generated ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS kesto wavemix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/assets/dat ${PROJECT_SOURCE_DIR}/assets/cg DESTINATION ${kesto_data})
# The mixer's settings the game ships with (44100 Hz, short blocks): without
# them the effects would run on the mixer's defaults, half a second behind.
install(FILES ${PROJECT_SOURCE_DIR}/assets/WAVEMIX.INI DESTINATION ${kesto_data})

install(FILES ${linux}/${KESTO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${linux}/${KESTO_APP_ID}.metainfo.xml.in ${generated}/${KESTO_APP_ID}.metainfo.xml @ONLY)
install(FILES ${generated}/${KESTO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icons ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/kesto.svg DESTINATION ${icons}/scalable/apps)
foreach(size 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/assets/icons/kesto-${size}.png DESTINATION ${icons}/${size}x${size}/apps
          RENAME kesto.png)
endforeach()

# Manual pages and the changelog go in compressed, as Debian keeps them.
configure_file(${linux}/changelog.in ${generated}/changelog @ONLY)
set(compressed "")
foreach(pair "kesto.6:${linux}/kesto.6" "wavemix.1:${linux}/wavemix.1" "changelog:${generated}/changelog")
  string(REPLACE ":" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 source)
  add_custom_command(OUTPUT ${generated}/${name}.gz
    COMMAND gzip -9nc ${source} > ${generated}/${name}.gz
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${generated}/${name}.gz)
endforeach()
add_custom_target(install_documents ALL DEPENDS ${compressed})
install(FILES ${generated}/kesto.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${generated}/wavemix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${generated}/changelog.gz ${linux}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kesto)
set(CPACK_PACKAGE_VERSION ${KESTO_VERSION})
set(CPACK_PACKAGE_CONTACT "${KESTO_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "quick-comparison game for children (ミルタスチャレンジ)")
set(CPACK_PACKAGE_DESCRIPTION "Two numbers appear over Mirutas-chan, one on each side; click the side\nwhose value is bigger before the 50-second clock runs out. From level 2\non the numbers are sums, from level 3 on differences. The game comes with\nits own software wave mixer and the wavemix tool that drives it.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Education, not games: Debian keeps that section for programs in /usr/games.
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTO_HOMEPAGE}")
# The libraries come from the binaries (dpkg-shlibdeps); the font draws
# every text and the soundfont plays the music.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "timgm6mb-soundfont")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
