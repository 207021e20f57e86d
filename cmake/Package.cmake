# `make package` (cpack -G DEB): a .deb of what `cmake --install` puts under the prefix /usr.
# Its library dependencies are read from the programs by dpkg-shlibdeps, never typed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME duvara)
set(CPACK_PACKAGE_VENDOR "The Duvara developers")
set(CPACK_PACKAGE_CONTACT "The Duvara developers <packages@duvara.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "video player that shows two subtitle tracks at once")
set(CPACK_PACKAGE_HOMEPAGE_URL "${DUVARA_HOME_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME duvara)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # duvara_<version>_<architecture>.deb
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE "")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# CPack puts the summary above as the first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Duvara plays films with two subtitle tracks over the picture: the primary
at the bottom, the secondary at the top. Each track is read from a SubRip
or MicroDVD file and can be shifted, stretched and aligned on its own
while the film plays, and saved corrected as SubRip.
.
The package also holds duvara-subs, a command-line companion that lists,
shifts and aligns subtitle files.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Neither is a library the programs link, so dpkg-shlibdeps cannot see them: the subtitles are
# drawn in outline fonts with Arial's metrics (any font does), and the help and home page open
# in the web browser through xdg-open, which every desktop already has.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-utils")

include(CPack)
