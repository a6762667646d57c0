# Installation: the program lives in one directory with its templates and
# the demo universe (it finds them beside itself); bin/ holds a link to it,
# and the desktop entry and icon go where desktops look for them.
include(GNUInstallDirs)

set(ZV_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/zorvane)

install(TARGETS zorvane RUNTIME DESTINATION ${ZV_INSTALL_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/templates/
  DESTINATION ${ZV_INSTALL_DIR}
  FILES_MATCHING PATTERN "*.bmp" PATTERN "*.zv")
install(FILES ${ZV_PROGRAM_DIR}/demo-medium-300planets-4players.xy DESTINATION ${ZV_INSTALL_DIR})

# A relative link, so the package can be installed under any prefix; the
# program resolves it to its real directory.
file(RELATIVE_PATH zv_link_target
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${ZV_INSTALL_DIR}/zorvane)
install(CODE "
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"${zv_link_target}\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorvane\" SYMBOLIC)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zorvane -> ${zv_link_target}\")")

install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# A Debian package: cpack -G DEB in the build directory.
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "The Zorvane developers")
set(CPACK_PACKAGE_CONTACT "The Zorvane developers <zorvane@zorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reshape Stars! universe files from bitmap templates, or move planets by hand")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
