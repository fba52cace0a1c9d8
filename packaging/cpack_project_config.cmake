# Read by cpack once per generator, with CPACK_GENERATOR set to it.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(SCRIVET_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT SCRIVET_DPKG_SHLIBDEPS)
    message(FATAL_ERROR
      "dpkg-shlibdeps was not found; the Debian package needs it to state its "
      "dependencies. Install it (Debian: sudo apt-get install dpkg-dev).")
  endif()
endif()

# The time that every package records, from packaging/source-date.sh: CPack's
# DEB generator reads it from SOURCE_DATE_EPOCH, and so does repack.cmake.
execute_process(COMMAND "${CMAKE_CURRENT_LIST_DIR}/source-date.sh"
  OUTPUT_VARIABLE SCRIVET_SOURCE_DATE OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(ENV{SOURCE_DATE_EPOCH} "${SCRIVET_SOURCE_DATE}")
