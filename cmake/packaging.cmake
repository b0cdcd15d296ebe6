# A Debian package of the installed suite (cpack -G DEB, or scripts/package). Dependencies are
# Debian 12's package names for what the programs load at run time.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brontavia)
set(CPACK_PACKAGE_VENDOR Brontavia)
set(CPACK_PACKAGE_CONTACT "Brontavia developers <packages@brontavia.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Live TV and radio remote with its media player")
set(CPACK_PACKAGE_DESCRIPTION "Brontavia is a Korean-language desktop suite: the ZT25 remote \
with a catalogue of live TV and radio stations, and the Lumaset player for files and streams.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6 (>= 2.36), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), \
libqt6core6 (>= 6.4.2), libqt6gui6 (>= 6.4.2), libqt6widgets6 (>= 6.4.2), \
libqt6network6 (>= 6.4.2), libqt6dbus6 (>= 6.4.2), \
libqt6webenginecore6 (>= 6.4.2), libqt6webenginewidgets6 (>= 6.4.2), libqt6webenginecore6-bin, \
libmpv2, zlib1g, fonts-nanum, dbus, qt6-translations-l10n")
# The shell opens addresses with xdg-open. Qt's Wayland plugin is not recommended: the windows
# place and dock themselves, which only an X server allows, so in a Wayland session they run on
# Xwayland (xwayland comes with every Debian Wayland desktop).
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
include(CPack)
