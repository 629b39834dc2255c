# Installation into the usual places of a Linux desktop and a Debian package
# built with CPack: the program, its desktop entry, its icon in the hicolor
# theme (the SVG and PNG sizes rendered from it at build time), the AppStream
# metainfo and the translations.
include(GNUInstallDirs)

install(TARGETS orvane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/orvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/orvane.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME org.orvane_tessaly.Orvane.metainfo.xml)

set(ORVANE_ICON_SVG ${PROJECT_SOURCE_DIR}/resources/art/orvane.svg)
install(FILES ${ORVANE_ICON_SVG}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(ORVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
set(icon_pngs)
foreach(size ${ORVANE_ICON_SIZES})
  set(png ${PROJECT_BINARY_DIR}/icons/${size}x${size}/orvane.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${ORVANE_ICON_SVG} -o ${png}
    DEPENDS ${ORVANE_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} program icon" VERBATIM)
  list(APPEND icon_pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(orvane_icons ALL DEPENDS ${icon_pngs})

# The Debian package: its dependencies come from the libraries the program
# links (dpkg-shlibdeps), plus what it loads at run time without linking.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvane)
set(CPACK_PACKAGE_VENDOR "The Orvane Tessaly authors")
set(CPACK_PACKAGE_CONTACT "The Orvane Tessaly authors <maintainers@orvane-tessaly.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture markup tool that lives in the notification area")
set(CPACK_PACKAGE_DESCRIPTION
  "Marks up pictures with distance markers, colour markers and notes; opens\n files, the clipboard, PSD files and still copies of the screen.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://orvane-tessaly.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Plugins Qt loads by name: the X11 platform (in libqt6gui6), the SVG icon
# engine (in libqt6svg6), the image formats; a font with the CJK characters
# of the tooltips and the Chinese translation; a metric-compatible Arial.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libqt6svg6, qt6-image-formats-plugins, fonts-liberation2, fonts-wqy-microhei")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-desktop-portal")
set(CPACK_STRIP_FILES ON)
include(CPack)
