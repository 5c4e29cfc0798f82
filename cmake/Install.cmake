# Installs both programs in a folder of their own with the templates beside
# them (where they look for them, and for site defaults of the settings),
# links to them in bin, the desktop entry with its icon and metainfo, the
# man page, and the copyright and changelog a Debian package carries.
include(GNUInstallDirs)
# Not CMAKE_INSTALL_LIBDIR: the programs' folder is no library directory,
# and a multiarch one would move it with the prefix.
set(REZUD_PROGRAM_DIR lib/rezudizid)
set(REZUD_APP_ID org.vellarch.rezudizid)
set(REZUD_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/rezudizid)
install(TARGETS RezudIzid rezud RUNTIME DESTINATION ${REZUD_PROGRAM_DIR})
install(FILES ${CMAKE_BINARY_DIR}/blank-lib.mde ${CMAKE_BINARY_DIR}/blank-ctrl.mde DESTINATION ${REZUD_PROGRAM_DIR})
foreach(program RezudIzid rezud)
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"../${REZUD_PROGRAM_DIR}/${program}\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/${program}\" SYMBOLIC)")
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/dist/${REZUD_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/dist/${REZUD_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${PROJECT_SOURCE_DIR}/dist/${REZUD_APP_ID}.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/${REZUD_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/${REZUD_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright DESTINATION ${REZUD_DOC_DIR})

# Compressed as Debian wants them: the most, with no name or time inside.
configure_file(${PROJECT_SOURCE_DIR}/dist/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
function(rezud_gzip input output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND gzip -9nc ${input} > ${output}
    DEPENDS ${input}
    COMMENT "Compressing ${input}")
endfunction()
rezud_gzip(${CMAKE_BINARY_DIR}/changelog ${CMAKE_BINARY_DIR}/changelog.gz)
set(compressed ${CMAKE_BINARY_DIR}/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/changelog.gz DESTINATION ${REZUD_DOC_DIR})

find_program(HELP2MAN help2man)
if(HELP2MAN)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/rezud.1
    COMMAND ${HELP2MAN} --no-info --version-string=${PROJECT_VERSION} --name "administer a Vellarch document library"
            -o ${CMAKE_BINARY_DIR}/rezud.1 $<TARGET_FILE:rezud>
    DEPENDS rezud
    COMMENT "Making the man page of rezud")
  rezud_gzip(${CMAKE_BINARY_DIR}/rezud.1 ${CMAKE_BINARY_DIR}/rezud.1.gz)
  list(APPEND compressed ${CMAKE_BINARY_DIR}/rezud.1 ${CMAKE_BINARY_DIR}/rezud.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/rezud.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
add_custom_target(distfiles ALL DEPENDS ${compressed})

# The nightly run's service and timer; the systemd of Debian looks for the
# units of packages in /usr/lib/systemd/system. The service names rezud
# where this installation puts it, so it is made at install time.
install(CODE "set(REZUD_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  configure_file(\"${PROJECT_SOURCE_DIR}/dist/systemd/rezud-nightly.service.in\"
                 \"${CMAKE_BINARY_DIR}/systemd/rezud-nightly.service\" @ONLY)")
install(FILES ${CMAKE_BINARY_DIR}/systemd/rezud-nightly.service ${PROJECT_SOURCE_DIR}/dist/systemd/rezud-nightly.timer
        DESTINATION lib/systemd/system)
