# Run by cpack after it built each package, to make the package again from
# the same staged files so that every build of a commit gives the same
# bytes, at any path, on any file system. Every entry gets the time in
# SOURCE_DATE_EPOCH (see cpack_project_config.cmake) and owner and group 0;
# the modes are those of the staged files, which `make package` stages
# under umask 022.
#
# The .deb: CPack counts each folder's size on disk in Installed-Size, so
# the field changes with the file system. It is counted instead as
# dpkg-gencontrol counts it, each file's size in KiB rounded up and 1 KiB
# for each folder, and dpkg-deb builds the package.
#
# The tarball: CPack's records the time of the build, in its entries and in
# its gzip header, and lists each folder in the order the file system
# returns. GNU tar writes it again, entries sorted by name, in the plain
# ustar format that any tar reads, then gzip without a name or a time in
# its header.
set(epoch "$ENV{SOURCE_DATE_EPOCH}")
set(stage "${CPACK_TEMPORARY_DIRECTORY}")
if(NOT epoch MATCHES "^[0-9]+$" OR NOT IS_DIRECTORY "${stage}")
  message(FATAL_ERROR "SOURCE_DATE_EPOCH '${epoch}' or the staged folder '${stage}' is missing")
endif()

if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(SCRIVET_DPKG_DEB dpkg-deb REQUIRED)
  set(root "${CPACK_TOPLEVEL_DIRECTORY}/dpkg-deb")
  file(REMOVE_RECURSE "${root}")
  file(GLOB data LIST_DIRECTORIES true "${stage}/*")
  list(FILTER data EXCLUDE REGEX "/(control|md5sums|debian-binary|[^/]*\\.tar\\.[a-z]+)$")
  file(COPY ${data} DESTINATION "${root}")
  file(GLOB_RECURSE entries LIST_DIRECTORIES true "${root}/*")
  set(kib 0)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY "${entry}")
      math(EXPR kib "${kib} + 1")
    else()
      file(SIZE "${entry}" bytes)
      math(EXPR kib "${kib} + (${bytes} + 1023) / 1024")
    endif()
  endforeach()
  file(READ "${stage}/control" control)
  string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kib}\n" control "${control}")
  file(WRITE "${root}/DEBIAN/control" "${control}")
  file(COPY "${stage}/md5sums" DESTINATION "${root}/DEBIAN")
  execute_process(COMMAND find "${root}" -exec touch -h -d "@${epoch}" {} +
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${SCRIVET_DPKG_DEB}" --root-owner-group -Zgzip --build "${root}" ${CPACK_PACKAGE_FILES}
                  OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  find_program(SCRIVET_TAR tar REQUIRED)
  find_program(SCRIVET_GZIP gzip REQUIRED)
  get_filename_component(folder "${stage}" NAME)
  get_filename_component(parent "${stage}" DIRECTORY)
  execute_process(
    COMMAND "${SCRIVET_TAR}" --create --format=ustar --sort=name "--mtime=@${epoch}"
            --owner=0 --group=0 --numeric-owner --directory "${parent}" "${folder}"
    COMMAND "${SCRIVET_GZIP}" -9n
    OUTPUT_FILE ${CPACK_PACKAGE_FILES}
    COMMAND_ERROR_IS_FATAL ANY)
endif()
