# Installs both programs in a folder of their own with the templates beside
# them (where they look for them and for the settings file), links to them
# in bin, the desktop entry and rezud's man page.
include(GNUInstallDirs)
set(REZUD_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/rezudizid)
install(TARGETS RezudIzid rezud RUNTIME DESTINATION ${REZUD_PROGRAM_DIR})
install(FILES ${CMAKE_BINARY_DIR}/blank-lib.mde ${CMAKE_BINARY_DIR}/blank-ctrl.mde DESTINATION ${REZUD_PROGRAM_DIR})
install(FILES ${PROJECT_SOURCE_DIR}/dist/rezudizid.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(program RezudIzid rezud)
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${REZUD_PROGRAM_DIR}/${program}\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)")
endforeach()

find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/rezud.1
    COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION} --name "administer a Vellarch document library"
            -o ${CMAKE_BINARY_DIR}/rezud.1 $<TARGET_FILE:rezud>
    DEPENDS rezud
    COMMENT "Making the man page of rezud")
  add_custom_target(manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/rezud.1)
  install(FILES ${CMAKE_BINARY_DIR}/rezud.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The nightly run's service and timer; the systemd of Debian looks for the
# units of packages in /usr/lib/systemd/system. The service names rezud
# where this installation puts it, so it is made at install time.
install(CODE "set(REZUD_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/dist/systemd/rezud-nightly.service.in\"
                 \"${CMAKE_BINARY_DIR}/systemd/rezud-nightly.service\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/systemd/rezud-nightly.service ${PROJECT_SOURCE_DIR}/dist/systemd/rezud-nightly.timer
        DESTINATION lib/systemd/system)
