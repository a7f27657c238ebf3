# SPDX-License-Identifier: GPL-3.0-or-later
# The installed layout: the programs and the engine library together in lib/wavpress (they
# load lame_enc.so from their own folder and nowhere else), links to the programs in bin,
# and the desktop's entry, icons and AppStream data under share.
set(WP_APP_ID ${WAVPRESS_APP_ID})
set(WP_PROGRAM_DIR lib/wavpress)

set(WP_PROGRAMS wavpress-cli)
if(TARGET wavpress)
  list(APPEND WP_PROGRAMS wavpress)
endif()
install(TARGETS ${WP_PROGRAMS} lame_enc
        RUNTIME DESTINATION ${WP_PROGRAM_DIR}
        LIBRARY DESTINATION ${WP_PROGRAM_DIR})
# Its presence moves the settings of the installed programs into the user's configuration
# folder.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/wavpress.installed DESTINATION ${WP_PROGRAM_DIR})
# The licence in Debian's machine-readable form, where the package's users look for it.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION share/doc/wavpress)

# Relative links, made in the build tree and installed as links, so that they hold under any
# prefix and inside the package.
foreach(program IN LISTS WP_PROGRAMS)
  set(link ${CMAKE_BINARY_DIR}/bin-links/${program})
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin-links)
  file(CREATE_LINK ../${WP_PROGRAM_DIR}/${program} ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION bin)
endforeach()

# The metainfo is made in every build so that it can be validated before the window exists.
configure_file(${CMAKE_CURRENT_LIST_DIR}/${WP_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/${WP_APP_ID}.metainfo.xml @ONLY)
if(TARGET wavpress)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/${WP_APP_ID}.desktop DESTINATION share/applications)
  install(FILES ${CMAKE_BINARY_DIR}/${WP_APP_ID}.metainfo.xml DESTINATION share/metainfo)

  # The window's own drawing, and the fixed sizes that menus and docks without SVG support
  # look for, made from it.
  set(WP_ICON_SVG ${PROJECT_SOURCE_DIR}/src/ui/icons/wavpress.svg)
  install(FILES ${WP_ICON_SVG} DESTINATION share/icons/hicolor/scalable/apps
          RENAME ${WP_APP_ID}.svg)
  if(TARGET render-icon)
    set(WP_ICON_PNGS)
    foreach(size 48 256)
      set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${WP_APP_ID}.png)
      add_custom_command(OUTPUT ${png}
                         COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
                         COMMAND render-icon ${WP_ICON_SVG} ${size} ${png}
                         DEPENDS render-icon ${WP_ICON_SVG}
                         VERBATIM)
      list(APPEND WP_ICON_PNGS ${png})
      install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(program_icons ALL DEPENDS ${WP_ICON_PNGS})
  endif()
endif()

set(CPACK_PACKAGE_NAME wavpress)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "wavPress")
set(CPACK_PACKAGE_CONTACT "wavPress maintainers <maintainers@users.noreply.c-seed-78456799.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "WAVE to MP3 and Ogg Vorbis converter with tags")
set(CPACK_PACKAGE_DESCRIPTION
    "wavPress converts lists of PCM and float WAVE files into MP3 or Ogg Vorbis, with ID3v1
tags or Vorbis comments, from a Japanese-language window (wavpress) or a terminal
(wavpress-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the scan of the binaries cannot see: Qt loads its platform plugins and its own
# translations at run time, and the dialogs ask for the Japanese font by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n, fonts-ipafont-gothic")
include(CPack)
