# The Debian package that cpack -G DEB builds from the install rules: both
# programs, the desktop entry, the icon, the manual and the man pages. The
# shared libraries the programs link decide the package's dependencies
# (dpkg-shlibdeps, from dpkg-dev), so they follow whatever the build found.
set(CPACK_PACKAGE_NAME "tallyfold")
set(CPACK_PACKAGE_VENDOR "Tallyfold")
set(CPACK_PACKAGE_CONTACT "Tallyfold maintainers <tallyfold@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Lists files and folders as formatted reports")
set(CPACK_PACKAGE_DESCRIPTION
    "Tallyfold lists the files and folders under chosen folders as a formatted\
 report (a detailed list with columns, a tree view, a tree view with sizes or a\
 folder list), saved as rich text, plain text, HTML, CSV or JSON. It comes as a\
 window program, tallyfold, and a command-line program, tallyfold-cli.")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "tallyfold")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window program finds fonts through fontconfig; a desktop without any
# installed font would show no text.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
