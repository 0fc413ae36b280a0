# The Debian package: `cmake --build --preset release --target package` makes
# build/release/orlavo_<version>_amd64.deb from the install rules. Its library dependencies are
# read off the binary by dpkg-shlibdeps (dpkg-dev); what the binary only opens at run time is
# named here: the espeak-ng voices, and Qt's platform plugins, without which no window opens.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orlavo)
set(CPACK_PACKAGE_VENDOR "The Orlavo developers")
set(CPACK_PACKAGE_CONTACT "The Orlavo developers <orlavo@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read a plain-text book aloud")
set(CPACK_PACKAGE_DESCRIPTION
    "Orlavo loads a plain-text book into a list of its lines and reads it aloud
from the highlighted line or from a line number, highlighting each part while
it is spoken. It reads each book in its own language with espeak-ng, opens
books in UTF-8, UTF-16 and the common older encodings, and follows the
desktop's speech-dispatcher settings (rate, pitch, voice, synthesizer).
Every command is reachable from the keyboard.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/orlavo/orlavo")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "espeak-ng-data, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS speech-dispatcher)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
