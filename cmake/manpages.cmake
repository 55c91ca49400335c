# Man pages lumotext(1) and lumotext-CMD(1), written by help2man from the
# built tool's --help at build time (scripts/make-manpage.sh), with the extra
# sections of packaging/man/*.h2m; installed under share/man/man1.
# The pages come from the tool run at build time: not in a cross build,
# which cannot run it, nor in a sanitizer build, whose reports at exit
# would end up in the pages (and the pages are those of the native build).
find_program(HELP2MAN help2man)
if(CMAKE_CROSSCOMPILING OR CMAKE_CXX_FLAGS MATCHES "sanitize")
  return()
endif()
if(NOT HELP2MAN)
  message(STATUS "help2man not found: no man pages (scripts/install-deps.sh core)")
  return()
endif()

set(man_pages)
foreach(command - format bind slot)
  if(command STREQUAL "-")
    set(page lumotext)
  else()
    set(page lumotext-${command})
  endif()
  set(include ${PROJECT_SOURCE_DIR}/packaging/man/${page}.h2m)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh $<TARGET_FILE:lumotext_cli> ${command}
            ${include} ${PROJECT_BINARY_DIR}/man/${page}.1
    DEPENDS lumotext_cli ${include} ${PROJECT_SOURCE_DIR}/scripts/make-manpage.sh
    COMMENT "Writing the man page ${page}(1)" VERBATIM)
  list(APPEND man_pages ${PROJECT_BINARY_DIR}/man/${page}.1)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT runtime)
