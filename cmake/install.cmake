# Install rules for the Linux build: the tool, liblumotext.so.1.10 with its
# SONAME link and development link, the header, a pkg-config file, a CMake
# package (Lumotext::lumotext), man pages, bash completion and the README.
# Included from the top-level CMakeLists.txt once every target exists.
if(WIN32)
  return()  # the Windows files ship as a zip (scripts/dist-windows.sh)
endif()

# Libraries go to <prefix>/lib, also under /usr on Debian, where
# GNUInstallDirs would pick lib/<multiarch>: /usr/lib is on the loader's and
# pkg-config's search paths everywhere, and one layout keeps the package, the
# install tree and the README alike. -DCMAKE_INSTALL_LIBDIR=... still wins.
if(NOT DEFINED CMAKE_INSTALL_LIBDIR)
  set(CMAKE_INSTALL_LIBDIR lib CACHE PATH "Object code libraries (lib)")
endif()
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set_target_properties(lumotext_shared PROPERTIES
  VERSION ${PROJECT_VERSION}           # liblumotext.so.1.10
  SOVERSION ${PROJECT_VERSION_MAJOR}   # SONAME liblumotext.so.1
  EXPORT_NAME lumotext)
target_include_directories(lumotext_shared INTERFACE
  $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/include>
  $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
add_library(Lumotext::lumotext ALIAS lumotext_shared)

# Neither the tool (linked statically against the core) nor the library
# needs a run path; an installed file must not point into the build tree.
set_target_properties(lumotext_shared lumotext_cli PROPERTIES
  INSTALL_RPATH "" BUILD_WITH_INSTALL_RPATH OFF)

install(TARGETS lumotext_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS lumotext_shared EXPORT LumotextTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT development
  PUBLIC_HEADER DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT development)

# The CMake package: relocatable, its paths computed from where it lies.
set(cmake_package_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Lumotext)
install(EXPORT LumotextTargets NAMESPACE Lumotext:: DESTINATION ${cmake_package_dir}
  COMPONENT development)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/LumotextConfig.cmake.in
  ${PROJECT_BINARY_DIR}/LumotextConfig.cmake INSTALL_DESTINATION ${cmake_package_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/LumotextConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/LumotextConfig.cmake ${PROJECT_BINARY_DIR}/LumotextConfigVersion.cmake
  DESTINATION ${cmake_package_dir} COMPONENT development)

# The pkg-config file names the prefix given at install time (cmake --install
# --prefix, make install PREFIX=), not the one of the configure step, so it
# is written during the install. PKG_CONFIG_SYSROOT_DIR covers DESTDIR.
install(CODE "
  set(libdir \"${CMAKE_INSTALL_LIBDIR}\")
  set(includedir \"${CMAKE_INSTALL_INCLUDEDIR}\")
  foreach(dir libdir includedir)
    if(NOT IS_ABSOLUTE \"\${\${dir}}\")
      set(\${dir} \"\${CMAKE_INSTALL_PREFIX}/\${\${dir}}\")
    endif()
  endforeach()
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/cmake/lumotext.pc.in\"
                 \"${PROJECT_BINARY_DIR}/pkgconfig/lumotext.pc\" @ONLY)
  file(INSTALL \"${PROJECT_BINARY_DIR}/pkgconfig/lumotext.pc\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\")
" COMPONENT development)

include(${CMAKE_CURRENT_LIST_DIR}/manpages.cmake)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/completion/lumotext
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions COMPONENT runtime)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumotext COMPONENT runtime)

# The install tree, man pages and completion are tested on the native build;
# a sanitizer build would only repeat them more slowly.
if(LUMOTEXT_TESTS AND NOT CMAKE_CROSSCOMPILING AND NOT CMAKE_CXX_FLAGS MATCHES "sanitize")
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/packaging ${PROJECT_BINARY_DIR}/tests/packaging)
endif()
