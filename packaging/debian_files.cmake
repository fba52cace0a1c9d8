# Run by cpack on the staged files before it builds each package. The
# Debian package gets what Debian policy asks for: manual pages compressed
# with gzip -9n, the licence as a machine-readable copyright file in place
# of LICENSE, a compressed changelog.Debian.gz, and the lintian overrides.
# The tarball keeps the files as `cmake --install` writes them.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
find_program(SCRIVET_GZIP gzip REQUIRED)
set(stage "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")

file(GLOB_RECURSE pages "${stage}/*.1")
list(FILTER pages INCLUDE REGEX "/man1/[^/]+\\.1$")
if(NOT pages)
  message(FATAL_ERROR "no manual pages were staged in ${stage}")
endif()
foreach(page IN LISTS pages)
  execute_process(COMMAND "${SCRIVET_GZIP}" -9nf "${page}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()

file(GLOB_RECURSE license "${stage}/*/share/doc/scrivet/LICENSE")
if(NOT license)
  message(FATAL_ERROR "LICENSE was not staged in ${stage}")
endif()
get_filename_component(doc "${license}" DIRECTORY)
get_filename_component(share "${doc}/../.." ABSOLUTE)

# The copyright file (DEP-5): the holder from the licence's copyright line,
# then the licence's text, each line indented by a blank, an empty line
# written as " .".
file(READ "${license}" text)
if(NOT text MATCHES "\nCopyright \\(c\\) ([^\n]+)\n\n(.+)$")
  message(FATAL_ERROR "${license} has no line 'Copyright (c) ...' followed by the licence's text")
endif()
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
file(WRITE "${doc}/copyright"
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: scrivet\n"
  "Upstream-Contact: ${CPACK_PACKAGE_CONTACT}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${holder}\n"
  "License: Expat\n"
  " ${terms}\n")
file(REMOVE "${license}")

execute_process(COMMAND "${SCRIVET_GZIP}" -9nc "${CMAKE_CURRENT_LIST_DIR}/changelog.Debian"
  OUTPUT_FILE "${doc}/changelog.Debian.gz" COMMAND_ERROR_IS_FATAL ANY)

file(MAKE_DIRECTORY "${share}/lintian/overrides")
configure_file("${CMAKE_CURRENT_LIST_DIR}/lintian-overrides" "${share}/lintian/overrides/scrivet" COPYONLY)

file(CHMOD "${doc}/copyright" "${doc}/changelog.Debian.gz" "${share}/lintian/overrides/scrivet"
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
