# The Debian package: `cpack -G DEB` in the build folder makes
# snapvault_<version>_<arch>.deb from the install rules, for the /usr prefix.
set(SVX_PACKAGE_MAINTAINER "Fennmoor <snapvault@fennmoor.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME snapvault)
set(CPACK_PACKAGE_VENDOR Fennmoor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${SVX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "clipboard screenshot archive")
set(CPACK_PACKAGE_DESCRIPTION
    "Snapvault saves every picture that any program puts on the clipboard as a
numbered BMP, JPEG or PNG file in a chosen folder, after checking it against a
minimum size and optionally scaling it. Pictures are encoded on worker threads,
so capturing goes on while large pictures are compressed. It can live in the
system tray, play a sound when a save starts and ends, and start at login.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SVX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.fennmoor.example/snapvault/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolkit reads pictures offered as JPEG and GIF with its own plugins (in libqt6gui6, which
# the libraries bring); TIFF and WebP need these.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-image-formats-plugins")
# The standard sounds come from the freedesktop sound theme; without it they are silent.
# The standard sounds come from the desktop's sound theme; the about tab's links open through
# xdg-utils.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sound-theme-freedesktop, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
