# What `cmake --install` puts on a Linux system, and the Debian package built
# from it (`cpack -G DEB`). Included after the programs' folders, so that it
# sees which programs this tree builds.
include(GNUInstallDirs)

set(TARVIK_APP_ID org.tarvik.Tarvik)
set(TARVIK_CONTACT "The Tarvik developers <tarvik-support@example.com>")
set(_data ${CMAKE_BINARY_DIR}/install-data)

install(TARGETS tarvik tarvik-printersim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The command line lives in its own folder and may not be part of every tree.
if(TARGET tarvik-cli)
  install(TARGETS tarvik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# ---- menu entry, metainfo, icons ---------------------------------------------
install(FILES ${PROJECT_SOURCE_DIR}/res/linux/${TARVIK_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(TARVIK_METAINFO_CLI "")
if(TARGET tarvik-cli)
  set(TARVIK_METAINFO_CLI "<binary>tarvik-cli</binary>")
endif()
configure_file(${PROJECT_SOURCE_DIR}/res/linux/${TARVIK_APP_ID}.metainfo.xml.in
               ${_data}/${TARVIK_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_data}/${TARVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(_svg ${PROJECT_SOURCE_DIR}/res/icons/tarvik.svg)
install(FILES ${_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(TARVIK_RSVG_CONVERT rsvg-convert)
set(_generated)
if(TARVIK_RSVG_CONVERT)
  foreach(size 16 22 24 32 48 64 128 256)
    set(_png ${_data}/icons/${size}x${size}/tarvik.png)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_data}/icons/${size}x${size}
      COMMAND ${TARVIK_RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_svg}
      DEPENDS ${_svg} VERBATIM)
    list(APPEND _generated ${_png})
    install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
else()
  message(WARNING "rsvg-convert not found (Debian package librsvg2-bin): "
                  "only the scalable icon is installed")
endif()

# ---- manual pages: gzip -9n keeps the package reproducible -------------------
set(_manpages ${PROJECT_SOURCE_DIR}/docs/man/tarvik.1 ${PROJECT_SOURCE_DIR}/docs/man/tarvik-printersim.1)
if(TARGET tarvik-cli AND EXISTS ${PROJECT_SOURCE_DIR}/docs/tarvik-cli.1)
  list(APPEND _manpages ${PROJECT_SOURCE_DIR}/docs/tarvik-cli.1)
endif()
find_program(TARVIK_GZIP gzip REQUIRED)
foreach(page ${_manpages})
  get_filename_component(_name ${page} NAME)
  configure_file(${page} ${_data}/man/${_name} @ONLY)
  add_custom_command(OUTPUT ${_data}/man/${_name}.gz
    COMMAND ${TARVIK_GZIP} -9nkf ${_data}/man/${_name}
    DEPENDS ${page} ${_data}/man/${_name} VERBATIM)
  list(APPEND _generated ${_data}/man/${_name}.gz)
  install(FILES ${_data}/man/${_name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# ---- the demo folder's configuration -----------------------------------------
set(_demo ${_data}/demo/rvcfg.ini)
add_custom_command(OUTPUT ${_demo}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_demo}
  COMMAND tarvik-democfg ${_data}/demo 127.0.0.1 9100
  DEPENDS tarvik-democfg VERBATIM)
list(APPEND _generated ${_demo})
install(FILES ${_demo} DESTINATION ${CMAKE_INSTALL_DATADIR}/tarvik/demo)

add_custom_target(tarvik_install_data ALL DEPENDS ${_generated})

# ---- licence and the Debian documentation files ------------------------------
set(_docdir ${CMAKE_INSTALL_DATADIR}/doc/tarvik)
configure_file(${PROJECT_SOURCE_DIR}/cmake/debian-copyright.in ${_data}/copyright @ONLY)
install(FILES ${_data}/copyright DESTINATION ${_docdir})
include(${CMAKE_CURRENT_LIST_DIR}/TarvikChangelog.cmake)
tarvik_debian_changelog(${PROJECT_SOURCE_DIR}/CHANGELOG.md ${_data}/changelog ${PROJECT_VERSION}
                        "${TARVIK_CONTACT}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md)
add_custom_command(OUTPUT ${_data}/changelog.gz
  COMMAND ${TARVIK_GZIP} -9nkf ${_data}/changelog
  DEPENDS ${_data}/changelog VERBATIM)
add_custom_target(tarvik_changelog ALL DEPENDS ${_data}/changelog.gz)
install(FILES ${_data}/changelog.gz DESTINATION ${_docdir})

include(${CMAKE_CURRENT_LIST_DIR}/TarvikPackage.cmake)
