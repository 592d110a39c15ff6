# The Debian package: `cpack -G DEB` in the build folder packs what `cmake --install` installs,
# under /usr, into mistlefold_<version>_<arch>.deb, with the papers a Debian package carries (the
# copyright file, the changelog, the manual page) and its dependencies.
set(MISTLEFOLD_DEBIAN ${PROJECT_SOURCE_DIR}/packaging/debian)
set(MISTLEFOLD_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/mistlefold)

# The changelog's newest entry names the version being packed.
file(STRINGS ${MISTLEFOLD_DEBIAN}/changelog MISTLEFOLD_CHANGELOG_TOP LIMIT_COUNT 1)
if(NOT MISTLEFOLD_CHANGELOG_TOP MATCHES "^mistlefold \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/debian/changelog does not start with an entry for ${PROJECT_VERSION}")
endif()

# The manual page and the changelog are installed compressed, as Debian's tools expect (gzip -n:
# no name or time stamp inside, so that the same source packs the same bytes).
set(MISTLEFOLD_COMPRESSED)
foreach(source mistlefold.1 changelog)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/debian/${source}.gz
    COMMAND gzip -9 -n -c ${MISTLEFOLD_DEBIAN}/${source} > ${CMAKE_BINARY_DIR}/debian/${source}.gz
    DEPENDS ${MISTLEFOLD_DEBIAN}/${source}
    COMMENT "Compressing ${source}")
  list(APPEND MISTLEFOLD_COMPRESSED ${CMAKE_BINARY_DIR}/debian/${source}.gz)
endforeach()
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/debian)
add_custom_target(mistlefold_debian_papers ALL DEPENDS ${MISTLEFOLD_COMPRESSED})

install(FILES ${CMAKE_BINARY_DIR}/debian/mistlefold.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${MISTLEFOLD_DEBIAN}/copyright DESTINATION ${MISTLEFOLD_DOCDIR})
install(FILES ${CMAKE_BINARY_DIR}/debian/changelog.gz DESTINATION ${MISTLEFOLD_DOCDIR})
# lintian's notes on the package belong only to an installation under /usr, as the package makes.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    file(INSTALL \"${MISTLEFOLD_DEBIAN}/lintian-overrides\" DESTINATION
         \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/lintian/overrides\" RENAME mistlefold)
  endif()
")

# What the program needs at run time beyond the libraries it links (those are found by
# dpkg-shlibdeps; Qt's X11 platform plugin comes with libqt6gui6): the office it makes the
# documents with (the full suite does as well as the one without its own windows), and the fonts
# the page is set in, listed in scripts/page-fonts.
set(MISTLEFOLD_RUN_DEPENDS
  "libreoffice-writer-nogui | libreoffice-writer"
  "libreoffice-draw-nogui | libreoffice-draw")
file(STRINGS ${PROJECT_SOURCE_DIR}/scripts/page-fonts MISTLEFOLD_FONT_LINES REGEX "^[^#]")
foreach(line ${MISTLEFOLD_FONT_LINES})
  string(STRIP "${line}" font)
  if(font)
    list(APPEND MISTLEFOLD_RUN_DEPENDS ${font})
  endif()
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/scripts/page-fonts)
list(JOIN MISTLEFOLD_RUN_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME mistlefold)
set(CPACK_PACKAGE_VENDOR "Mistlefold developers")
set(CPACK_PACKAGE_CONTACT "Mistlefold developers <maintainers@users.noreply.c-seed-628b64cb.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Christmas party invitation maker")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${MISTLEFOLD_DEBIAN}/description)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
# Files and folders as Debian has them, whatever the umask of who packs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
