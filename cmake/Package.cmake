# The Debian package, made by `cpack` in the build directory (scripts/package):
# what the install rules install, under /usr, with the dependencies that
# dpkg-shlibdeps finds in the programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rezudizid)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "RezudIzid developers <rezudizid@vellarch.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "administrator's console of a Vellarch document library")
set(CPACK_PACKAGE_DESCRIPTION
    "RezudIzid (Vellarch Admin Tool) selects, creates and describes Vellarch\n\
document libraries, maintains their users, passwords and groups, backs them\n\
up incrementally, proves and restores the backups, compacts and repairs their\n\
databases, and clears document locks and the login list. The command rezud\n\
runs the same commands without a display, for scheduled backups.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Offsite copies run restic; everything else works without it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS restic)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
