# What `cmake --install` and the Debian package lay out: the programs, the samples, the desktop
# entry with its icons, the AppStream metainfo and the manual pages.
install(TARGETS dovrelplinvara dovrelplinvara-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${DP_SAMPLE_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/dovrelplinvara)

foreach(size 16 24 32 48 64 128 256)
  install(FILES resources/icon-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME dovrelplinvara.png)
endforeach()

# The desktop entry names the installed program and folder, so it is made when installing: the
# package installs into /usr whatever prefix the build was configured with.
# The desktop entry and the metainfo share the one id AppStream asks for: a reversed domain.
set(DP_APP_ID org.dovrelplinvara.DovrelPlinvara)
set(DP_DESKTOP_IN ${CMAKE_CURRENT_SOURCE_DIR}/resources/${DP_APP_ID}.desktop.in)
set(DP_DESKTOP ${CMAKE_BINARY_DIR}/install/${DP_APP_ID}.desktop)
install(CODE "
  set(DP_DESKTOP_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/dovrelplinvara\")
  set(DP_DESKTOP_EXEC \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/dovrelplinvara\")
  configure_file(\"${DP_DESKTOP_IN}\" \"${DP_DESKTOP}\" @ONLY)
")
install(FILES ${DP_DESKTOP} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/${DP_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages, compressed as the distribution keeps them (-n: the same bytes every build).
find_program(DP_GZIP gzip REQUIRED)
set(DP_MAN_PAGES)
foreach(page dovrelplinvara dovrelplinvara-render)
  set(src ${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${page}.1)
  set(out ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${DP_GZIP} -9nc ${src} > ${out}
    DEPENDS ${src} COMMENT "Compressing the manual page ${page}.1")
  list(APPEND DP_MAN_PAGES ${out})
endforeach()
add_custom_target(manpages ALL DEPENDS ${DP_MAN_PAGES})
install(FILES ${DP_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# cmake --build build --target package: a Debian package installing into /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dovrelplinvara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "DovrelPlinvara developers <dovrelplinvara@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "graphical scores for the lap harp")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "graphical scores for the lap harp
 DovrelPlinvara draws a picture that lies under the strings of a lap harp: every string a
 line, every note a circle on the string that sounds it. It reads its own song files,
 MusicXML scores, ABC tunes and MIDI files, prints the sheet at the harp's scale and plays
 the tune with a harp sound. dovrelplinvara-render makes the same pictures, sheets and
 sound files from the command line. The interface is Japanese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The harp's sound: the smaller General MIDI soundfont the program falls back to, or the larger
# one it prefers.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont | fluid-soundfont-gm")
set(CPACK_STRIP_FILES ON)
include(CPack)
