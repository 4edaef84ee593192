# The Debian package: `cpack -G DEB` in the build folder (scripts/package.sh builds and checks
# it). The programs come from their own folders; here are the files around them (man pages,
# AppStream description, bash completion, changelog and copyright) and the package's
# description.
include(GNUInstallDirs)

set(SOLMIR_PACKAGE_MAINTAINER "L'équipe Solmir <solmir@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# Man pages and the changelog are installed compressed, as Debian wants them (-n: no name or
# date inside, so that the package is the same from one build to the next).
find_program(SOLMIR_GZIP gzip REQUIRED)
set(SOLMIR_PACKAGING_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(SOLMIR_PACKAGING_OUT ${CMAKE_CURRENT_BINARY_DIR}/packaging)
set(SOLMIR_MAN_PAGES solmir solmir-cli solmir-carte-virtuelle)
set(SOLMIR_COMPRESSED)
foreach(source IN ITEMS man/solmir.1 man/solmir-cli.1 man/solmir-carte-virtuelle.1 changelog)
  get_filename_component(name ${source} NAME)
  set(out ${SOLMIR_PACKAGING_OUT}/${name})
  add_custom_command(OUTPUT ${out}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${SOLMIR_PACKAGING_DIR}/${source} ${out}
    COMMAND ${SOLMIR_GZIP} -9nf ${out}
    DEPENDS ${SOLMIR_PACKAGING_DIR}/${source} VERBATIM)
  list(APPEND SOLMIR_COMPRESSED ${out}.gz)
endforeach()
add_custom_target(solmir_packaging_files ALL DEPENDS ${SOLMIR_COMPRESSED})

foreach(page IN LISTS SOLMIR_MAN_PAGES)
  install(FILES ${SOLMIR_PACKAGING_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
install(FILES ${SOLMIR_PACKAGING_DIR}/io.github.solmir.Solmir.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${SOLMIR_PACKAGING_DIR}/solmir-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME solmir-cli)
# The completion offers every command and option that solmir-cli --help names.
add_test(NAME bash_completion
  COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/cli/bash_completion.sh $<TARGET_FILE:solmir-cli>
    ${SOLMIR_PACKAGING_DIR}/solmir-cli.bash-completion)
install(FILES ${SOLMIR_PACKAGING_OUT}/changelog.gz ${SOLMIR_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/solmir)

set(CPACK_PACKAGE_NAME solmir)
set(CPACK_PACKAGE_VENDOR "L'équipe Solmir")
set(CPACK_PACKAGE_CONTACT ${SOLMIR_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cards for electronically driven barrel organs from MIDI files")
set(CPACK_PACKAGE_DESCRIPTION
    "Solmir prepares the memory cards of electronically driven barrel organs. It
reads a Standard MIDI File, keeps the chosen channels, maps the notes onto
the organ's outputs for its scale (27/29, 32 or 42 notes, or percussion),
builds the card image and writes it to the card through the organ's reader
board (an Arduino) over a serial port.

It also reads, copies, erases and tests cards, exports a card image as a
MIDI file, configures the reader board and uploads its firmware with
avrdude. The package holds the window (solmir), the command line
(solmir-cli) and a virtual reader board on a pseudo-terminal
(solmir-carte-virtuelle). The user interface is in French.")
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SOLMIR_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs need, from the binaries themselves (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# avrdude uploads the reader board's firmware; everything else works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS avrdude)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
