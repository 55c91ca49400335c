# The Debian package lumotext_<version>_<arch>.deb (make deb, or cpack in
# the native build folder): everything that cmake/install.cmake installs,
# under /usr, with its dependencies read from the libraries it links.
if(WIN32 OR CMAKE_CROSSCOMPILING)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumotext)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Lumotext developers <lumotext@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fold Japanese plain text with line-breaking rules")
set(CPACK_PACKAGE_DESCRIPTION "Lumotext folds every line of a Japanese text (UTF-8 or Shift-JIS)
at a fold column, following the Japanese line-breaking rules, keeping
English words whole and lining continuation lines up under their item,
quotation or paragraph. This package holds the lumotext tool, the shared
library liblumotext.so.1 and its C header, pkg-config and CMake files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_FILE_NAME lumotext)  # renamed below to Debian's own pattern
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # lumotext_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # dpkg-shlibdeps (dpkg-dev)
# The shared library's own package would name it; here the tool and the
# library ship together, so the package provides what it links against.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb-man-gzip.cmake)
include(CPack)
