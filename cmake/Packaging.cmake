# `make package`: a Debian package of what `cmake --install` puts in place, under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vaulnix)
set(CPACK_PACKAGE_VENDOR "The Vaulnix developers")
set(CPACK_PACKAGE_CONTACT "The Vaulnix developers <support@vaulnix.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pack folders into password-protected boxes")
set(CPACK_PACKAGE_DESCRIPTION
  "Vaulnix packs a folder tree, or a list of files, into one password-protected
box file (.vlx) and unpacks it again, whole or file by file. It can shred the
sources after a clean pack, and the box after a clean unpack.

The desktop program lives in the system tray and keeps a list of remembered
box jobs per user profile; vaulnix-cli drives the same engine from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://vaulnix.example.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see it: Qt's SVG icon engine.
if(VAULNIX_BUILD_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6svg6)
  # Qt's Wayland platform plugin, for a Wayland session without XWayland.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
