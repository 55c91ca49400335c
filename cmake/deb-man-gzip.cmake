# Run by CPack on the staged tree before it builds the Debian package: man
# pages go compressed into a Debian package (gzip -9n, no name or time
# stamp inside, so the package is the same from one build to the next).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/*.1")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endforeach()
