# Install rules and the Debian package (scripts/package.sh runs cpack).
# Only the two programs are installed; the libraries are linked in statically.

include(GNUInstallDirs)

set(PELMORA_DATA ${CMAKE_SOURCE_DIR}/data)
set(PELMORA_APP_ID org.pelmora.Pelmora)

install(TARGETS pelmora-titles RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET pelmora)
  install(TARGETS pelmora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${PELMORA_DATA}/${PELMORA_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  install(FILES ${PELMORA_DATA}/${PELMORA_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
  # "Open with Pelmora" on folders, in the file managers' own action menus:
  # the entry itself claims no folder type, so it never becomes the program
  # that opens folders.
  set(fm ${PELMORA_DATA}/file-manager)
  install(FILES ${fm}/${PELMORA_APP_ID}.folder.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/file-manager/actions)
  install(FILES ${fm}/${PELMORA_APP_ID}.folder.servicemenu.desktop
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/kio/servicemenus
          RENAME ${PELMORA_APP_ID}.folder.desktop)
  install(FILES ${fm}/${PELMORA_APP_ID}.folder.nemo_action
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/nemo/actions)
  foreach(size 16 22 24 32 48 64 128 256)
    install(FILES ${PELMORA_DATA}/icons/${size}x${size}/apps/pelmora.png
            DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${PELMORA_DATA}/icons/scalable/apps/pelmora.svg
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
endif()

# Manual pages and the Debian changelog go compressed, as Debian wants them;
# gzip -n keeps the files the same from build to build.
function(pelmora_gzip source target)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
  get_filename_component(dir ${target} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND gzip -9 -n -c ${source} OUTPUT_FILE ${target} RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${source} failed")
  endif()
endfunction()

set(PELMORA_PAGES pelmora-titles)
if(TARGET pelmora)
  list(APPEND PELMORA_PAGES pelmora)
endif()
foreach(page ${PELMORA_PAGES})
  pelmora_gzip(${PELMORA_DATA}/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(PELMORA_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/pelmora)
pelmora_gzip(${PELMORA_DATA}/debian/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz)
install(FILES ${PELMORA_DATA}/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.Debian.gz
        DESTINATION ${PELMORA_DOCDIR})

# CPack: build/pelmora_2.0-1_amd64.deb.
set(CPACK_PACKAGE_NAME pelmora)
set(CPACK_PACKAGE_VENDOR "Pelmora developers")
set(CPACK_PACKAGE_CONTACT "Pelmora developers <dev@pelmora.org>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "rename Word documents after the titles read out of them")
set(CPACK_PACKAGE_DESCRIPTION
    "Pelmora reads a title out of each Word document in a folder (the first\n"
    "paragraph, the page header or footer, or a chosen paragraph), shows the\n"
    "titles in a list to check and edit, and renames the checked files after\n"
    "their titles. It reads .doc, .docx, .docm and RTF documents itself,\n"
    "without an office suite. The interface is in Chinese.\n"
    "\n"
    "pelmora-titles prints the same titles on the command line.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pelmora.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside what dpkg-shlibdeps finds: the fonts (without them every label is
# boxes), Qt's Chinese translations for its own dialogs, xdg-utils to ask for
# and start a document's program, and the package of the X11 platform plugin,
# which no library links.
set(PELMORA_RUNTIME_DEPENDS fonts-noto-cjk qt6-translations-l10n xdg-utils)
set(xcb_plugin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS}/platforms/libqxcb.so)
find_program(DPKG_QUERY dpkg-query)
if(EXISTS ${xcb_plugin} AND DPKG_QUERY)
  execute_process(COMMAND ${DPKG_QUERY} -S ${xcb_plugin} OUTPUT_VARIABLE owner
                  ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  string(REGEX MATCH "^[^:,]+" owner "${owner}")
  if(owner)
    list(APPEND PELMORA_RUNTIME_DEPENDS ${owner})
  endif()
endif()
string(REPLACE ";" ", " CPACK_DEBIAN_PACKAGE_DEPENDS "${PELMORA_RUNTIME_DEPENDS}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
