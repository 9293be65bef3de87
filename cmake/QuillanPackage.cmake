# `make package`: a Debian package of the program and the files of data/, with its run-time
# dependencies computed from the binary by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillan)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillan developers")
set(CPACK_PACKAGE_CONTACT "The Quillan developers <quillan@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for Visual Basic code, with window-automation tools")
# The extended description, below the summary; CPack indents it and marks the empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillan is a desktop editor for programmers who keep Visual Basic code alive
and who automate other programs' windows. Generators append control-flow
statements, preset routines, window-manipulation calls, Dim lines and the API
declarations that generated code needs.

Beside the editor stand API Spy, the Code Generator, Window Spy, Color Spy
and an icon extractor for executables.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quillan")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The toolbar's standard icons come from the desktop's theme; Adwaita stands in where the
# desktop has none.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adwaita-icon-theme")
# The window tools see Windows programs that run under Wine as Win32 does through the Wine
# helper, which Wine's 64-bit loader runs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "wine64")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
include(CPack)
