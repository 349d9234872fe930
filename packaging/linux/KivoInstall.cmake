# Install rules for Linux (cmake --install, and the Debian package): the programs, the menu
# entry, the AppStream metainfo, the icon in the hicolor theme and the manual pages. The
# application id invalid.kivo.Kivo is the maker's placeholder host kivo.invalid reversed; it
# claims no domain anyone owns. The PNG icons are rendered from the SVG at build time.
include(GNUInstallDirs)

set(KIVO_APP_ID invalid.kivo.Kivo)
set(kivo_linux_dir ${CMAKE_SOURCE_DIR}/packaging/linux)

# Programs installed to bin/, one per line (kivo-cli installs itself, with its completion and
# manual page, from src/CMakeLists.txt).
set(kivo_installed_programs
  kivo
  kivo-camsim
)
foreach(program ${kivo_installed_programs})
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET kivo)
  install(FILES ${kivo_linux_dir}/${KIVO_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${kivo_linux_dir}/${KIVO_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/icons/kivo.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${KIVO_APP_ID}.svg)

  find_program(KIVO_RSVG_CONVERT rsvg-convert)
  if(KIVO_RSVG_CONVERT)
    set(kivo_icon_pngs "")
    foreach(size 16 24 32 48 64 128 256)
      set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/${KIVO_APP_ID}.png)
      add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}
        COMMAND ${KIVO_RSVG_CONVERT} -w ${size} -h ${size} -o ${png}
                ${CMAKE_SOURCE_DIR}/packaging/icons/kivo.svg
        DEPENDS ${CMAKE_SOURCE_DIR}/packaging/icons/kivo.svg
        VERBATIM)
      list(APPEND kivo_icon_pngs ${png})
      install(FILES ${png}
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(kivo_icons ALL DEPENDS ${kivo_icon_pngs})
  else()
    message(STATUS "rsvg-convert not found: only the scalable icon is installed")
  endif()
endif()

# The manual pages are written by hand (troff), beside this file.
foreach(page kivo.1 kivo-camsim.1)
  string(REGEX REPLACE "\\.1$" "" program ${page})
  if(TARGET ${program})
    install(FILES ${kivo_linux_dir}/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
