# The two Debian packages, built by scripts/package.sh with CPack from the
# install components of dist/CMakeLists.txt:
#   quillon         the PC server (and its HWP bridge and systemd user unit)
#   quillon-pocket  the handheld client
# dpkg-shlibdeps finds the libraries the programs link (Qt 6, libcurl, ...);
# the rest is named here. Dovecot and other mail servers are peers, not
# dependencies.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quillon developers <dev@quillon.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL quillon quillon-pocket)
set(CPACK_COMPONENTS_GROUPING IGNORE)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin; Korean text needs a Korean font;
# opening files and mail goes through xdg-utils. The private link between
# the two programs is TLS 1.3 from OpenSSL 3. Qt's Korean catalogue
# (recommended) puts the standard buttons and file choosers into Korean;
# without it they stay English.
set(quillon_common_depends "qt6-qpa-plugins, fonts-nanum, libssl3")

set(CPACK_DEBIAN_QUILLON_PACKAGE_NAME quillon)
set(CPACK_DEBIAN_QUILLON_PACKAGE_DEPENDS "${quillon_common_depends}")
# Document views convert with LibreOffice and pdftoppm (without them a view
# answers "fail"); python3-uno lets the office bridge keep one LibreOffice
# running. The Avahi daemon lets the PC announce itself and the handheld
# find it; both programs work without it.
set(CPACK_DEBIAN_QUILLON_PACKAGE_RECOMMENDS
    "libreoffice-core, libreoffice-writer, libreoffice-calc, libreoffice-impress, poppler-utils, python3-uno, xdg-utils, qt6-translations-l10n, avahi-daemon")
string(CONCAT CPACK_COMPONENT_QUILLON_DESCRIPTION "PC server for the Quillon handheld\n"
    "Lets the owner of a PC reach it from a handheld over TCP/IP: log in, browse\n"
    "and search the disks, move files both ways, read and send mail through the\n"
    "PC, and view documents converted into pages. Runs with a window and tray\n"
    "icon, or headless as a systemd user service.")

set(CPACK_DEBIAN_QUILLON-POCKET_PACKAGE_NAME quillon-pocket)
set(CPACK_DEBIAN_QUILLON-POCKET_PACKAGE_DEPENDS "${quillon_common_depends}")
set(CPACK_DEBIAN_QUILLON-POCKET_PACKAGE_RECOMMENDS "xdg-utils, qt6-translations-l10n, avahi-daemon")
set(CPACK_DEBIAN_QUILLON-POCKET_PACKAGE_SUGGESTS "network-manager")
string(CONCAT CPACK_COMPONENT_QUILLON-POCKET_DESCRIPTION "Handheld client for a Quillon PC, with MSN and ICQ pen messages\n"
    "Shows a 240x320 Pocket PC screen that reaches a Quillon PC's files, mail and\n"
    "document views, and is an MSN and ICQ messenger that sends hand-drawn pen\n"
    "messages. A console front end runs the same client from scripts.")

include(CPack)
