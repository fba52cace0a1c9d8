# Run by cpack on the staged files before it builds each package: in the
# Debian package the manual pages are compressed with gzip -9n, as Debian
# policy asks; the tarball keeps them as `cmake --install` writes them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
find_program(SCRIVET_GZIP gzip REQUIRED)
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*.1")
list(FILTER pages INCLUDE REGEX "/man1/[^/]+\\.1$")
if(NOT pages)
  message(FATAL_ERROR "no manual pages were staged in ${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
endif()
foreach(page IN LISTS pages)
  execute_process(COMMAND "${SCRIVET_GZIP}" -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
