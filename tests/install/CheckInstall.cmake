# Installs the build into a fresh prefix and checks what a desktop finds there: the desktop
# entry, and the icon in the hicolor folder of its own size. cmake -DBUILD=... -DPREFIX=... -P
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX} RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()

set(desktop ${PREFIX}/share/applications/dovrelplinvara.desktop)
if(NOT EXISTS ${desktop})
  message(FATAL_ERROR "no desktop entry at ${desktop}")
endif()
file(STRINGS ${desktop} icon_line REGEX "^Icon=")
if(NOT icon_line STREQUAL "Icon=dovrelplinvara")
  message(FATAL_ERROR "the desktop entry names the icon '${icon_line}'")
endif()

file(GLOB icons RELATIVE ${PREFIX}/share/icons/hicolor ${PREFIX}/share/icons/hicolor/*/apps/dovrelplinvara.png)
if(NOT icons STREQUAL "128x128/apps/dovrelplinvara.png")
  message(FATAL_ERROR "the icon is installed as '${icons}', not 128x128/apps/dovrelplinvara.png")
endif()
# A PNG's width and height: big-endian words after the signature and the IHDR header.
file(READ ${PREFIX}/share/icons/hicolor/${icons} size HEX OFFSET 16 LIMIT 8)
if(NOT size STREQUAL "0000008000000080")
  message(FATAL_ERROR "the icon in 128x128 is not 128 x 128 pixels (IHDR ${size})")
endif()
file(REMOVE_RECURSE ${PREFIX})
