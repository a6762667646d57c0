# Installation: the program lives in one directory with its templates and
# the demo universe (it finds them beside itself); bin/ holds a link to it,
# and the desktop entry, icon, software-centre metadata, manual page and the
# package's documents go where the system looks for them.
include(GNUInstallDirs)

# lib/<multiarch>/zorvane whatever the prefix: GNUInstallDirs adds the
# multiarch part only when configured for /usr, and a build configured for
# another prefix must package with the same layout (the package test does).
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(ZV_INSTALL_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/zorvane)
else()
  set(ZV_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/zorvane)
endif()
set(ZV_APP_ID example.zorvane.Zorvane)
set(ZV_PACKAGE_FILES ${PROJECT_SOURCE_DIR}/resources/package)

install(TARGETS zorvane RUNTIME DESTINATION ${ZV_INSTALL_DIR})
# A stripped install (cpack strips) also drops the compilers' version notes,
# as Debian's own packages do.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${ZV_INSTALL_DIR}/zorvane\" COMMAND_ERROR_IS_FATAL ANY)
  endif()")
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

# The desktop entry is named after the AppStream id, which the metainfo's
# launchable names.
install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications RENAME ${ZV_APP_ID}.desktop)
install(FILES ${ZV_PACKAGE_FILES}/${ZV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.png
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${PROJECT_SOURCE_DIR}/resources/zorvane.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The manual page and the changelog are installed compressed; gzip -n leaves
# the name and time out, so the package is reproducible.
find_program(ZV_GZIP gzip REQUIRED)
set(zv_gz_dir ${PROJECT_BINARY_DIR}/package)
set(zv_gz_files)
foreach(name zorvane.1 changelog)
  add_custom_command(OUTPUT ${zv_gz_dir}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${ZV_PACKAGE_FILES}/${name} ${zv_gz_dir}/${name}
    COMMAND ${ZV_GZIP} -9nf ${zv_gz_dir}/${name}
    DEPENDS ${ZV_PACKAGE_FILES}/${name}
    COMMENT "Compressing ${name}"
    VERBATIM)
  list(APPEND zv_gz_files ${zv_gz_dir}/${name}.gz)
endforeach()
add_custom_target(zv_package_docs ALL DEPENDS ${zv_gz_files})
# Building just the program (scripts/run.sh) must leave an installable tree.
add_dependencies(zorvane zv_package_docs)

set(ZV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/zorvane)
install(FILES ${zv_gz_dir}/zorvane.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${zv_gz_dir}/changelog.gz ${ZV_PACKAGE_FILES}/copyright DESTINATION ${ZV_DOC_DIR})
install(FILES ${ZV_PACKAGE_FILES}/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME zorvane)

# A Debian package: cpack -G DEB in the build directory.
set(CPACK_PACKAGE_NAME zorvane)
set(CPACK_PACKAGE_VENDOR "The Zorvane developers")
set(CPACK_PACKAGE_CONTACT "The Zorvane developers <zorvane@zorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Reshape Stars! universe files from bitmap templates, or move planets by hand")
# CPack puts the summary line above this extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zorvane is a desktop tool for players who set up games of the turn-based
strategy game Stars!. It opens the universe file (.xy) of a game and either
reshapes the whole universe from a bitmap template, where light areas of the
picture attract planets and dark areas repel them, or moves chosen planets,
usually the home worlds, to positions picked on a map.

Every change is written to the universe file at once, with the same length
and only the planets changed. Six sample templates and a demo universe are
included.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://zorvane.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
