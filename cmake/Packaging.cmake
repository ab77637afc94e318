# Man pages made from the programs' own --help, and a Debian package of the
# three programs with them: `cmake --build build && cd build && cpack`.
include(GNUInstallDirs)

# The instrumented builds run tests, not installs.
find_program(HELP2MAN help2man)
if(HELP2MAN AND NOT ORB_SANITIZE AND NOT ORB_TSAN AND NOT ORB_FUZZ)
  set(ORB_MAN_PAGES)
  set(ORB_MAN_NAMES
      "tessaline-viewer=window of the viewer for the Orb KVM-over-IP unit"
      "orbctl=command-line client for the Orb KVM-over-IP unit"
      "orb-sim=simulated Orb KVM-over-IP unit for tests and demonstrations")
  foreach(entry IN LISTS ORB_MAN_NAMES)
    string(REGEX MATCH "^[^=]+" program "${entry}")
    string(REGEX REPLACE "^[^=]+=" "" summary "${entry}")
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
    add_custom_command(
      OUTPUT ${page}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              --name=${summary} --output=${page} $<TARGET_FILE:${program}>
      DEPENDS ${program}
      COMMENT "Man page of ${program}"
      VERBATIM)
    list(APPEND ORB_MAN_PAGES ${page})
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endforeach()
  add_custom_target(man-pages ALL DEPENDS ${ORB_MAN_PAGES})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaline-viewer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer for the Orb KVM-over-IP unit")
set(CPACK_PACKAGE_DESCRIPTION
    "Shows the screens of the computers beside an Orb unit, passes keyboard and mouse to them, and administers the unit; with orbctl for scripts and orb-sim, a simulated unit.")
set(CPACK_PACKAGE_CONTACT "Tessaline Viewer maintainers <maintainers@tessaline.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
# The libraries the programs link are found by dpkg-shlibdeps and declared.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debug information stays in the build tree.
set(CPACK_STRIP_FILES ON)
include(CPack)
