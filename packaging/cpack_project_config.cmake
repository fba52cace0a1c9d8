# Read by cpack once per generator, with CPACK_GENERATOR set to it.
if(CPACK_GENERATOR STREQUAL "DEB")
  find_program(SCRIVET_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(NOT SCRIVET_DPKG_SHLIBDEPS)
    message(FATAL_ERROR
      "dpkg-shlibdeps was not found; the Debian package needs it to state its "
      "dependencies. Install it (Debian: sudo apt-get install dpkg-dev).")
  endif()
endif()
