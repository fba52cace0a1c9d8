# Run by cpack after it built each package. CPack's own tarball records the
# time of the build, in its entries and in its gzip header, and lists each
# folder in the order the file system returns. So the tarball is written
# again from the same staged folder with GNU tar: entries sorted by name,
# each with the time in SOURCE_DATE_EPOCH (see cpack_project_config.cmake),
# owner and group 0 without names, in the plain ustar format that any tar
# reads, and compressed by gzip without a name or a time in its header.
if(NOT CPACK_GENERATOR STREQUAL "TGZ")
  return()
endif()
find_program(SCRIVET_TAR tar REQUIRED)
find_program(SCRIVET_GZIP gzip REQUIRED)
if(NOT CPACK_PACKAGE_FILES MATCHES "\\.tar\\.gz$" OR NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
  message(FATAL_ERROR "no tarball '${CPACK_PACKAGE_FILES}' and staged folder '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
get_filename_component(folder "${CPACK_TEMPORARY_DIRECTORY}" NAME)
get_filename_component(parent "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
execute_process(
  COMMAND "${SCRIVET_TAR}" --create --format=ustar --sort=name "--mtime=@$ENV{SOURCE_DATE_EPOCH}"
          --owner=0 --group=0 --numeric-owner --directory "${parent}" "${folder}"
  COMMAND "${SCRIVET_GZIP}" -9n
  OUTPUT_FILE "${CPACK_PACKAGE_FILES}"
  COMMAND_ERROR_IS_FATAL ANY)
