# Packages for `make package`: a Debian package and a tarball, each holding
# both programs and both manual pages as `cmake --install` lays them out.
# Build from the release preset so that the binaries are optimised; the
# Debian package strips them.

set(CPACK_PACKAGE_NAME "scrivet")
set(CPACK_PACKAGE_VENDOR "Scrivet developers")
set(CPACK_PACKAGE_CONTACT "Scrivet developers <scrivet@example.org>")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/packages")
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION "editors")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The C++ runtime the programs link against, with the versions that
# dpkg-shlibdeps reads off the binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The synopsis; cpack puts it before CPACK_DEBIAN_PACKAGE_DESCRIPTION, the
# extended description.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "two small line editors for the terminal")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "scrivet keeps a document of numbered lines in memory and edits it with one
command per line of standard input: append, insert, delete, replace, list
with line numbers and search. scrivet-prompt is a smaller variant that
appends lines and lists them by descending number. Neither reads or writes
files.")

# Per generator: the Debian package needs dpkg-shlibdeps for its Depends
# field, and gets the files Debian policy asks for (see debian_files.cmake).
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack_project_config.cmake")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/debian_files.cmake")

# The same bytes from every build of a commit: the time recorded comes from
# packaging/source-date.sh (read in cpack_project_config.cmake), and the
# packages are made again from the staged files (see repack.cmake). The modes
# follow the umask, which `make package` sets to 022 for cpack.
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/repack.cmake")

include(CPack)
