# Installation (cmake --install) and the Debian package (cpack). Only the two programs, the
# desktop entry, the icon, the README and the copyright file are installed: tests, benchmarks and
# fuzzers stay in the build tree.
include(GNUInstallDirs)

set(ALBUMORA_MAINTAINER "Albumora maintainers <maintainers@users.noreply.c-seed-cd0588eb.example>"
    CACHE STRING "Maintainer field of the Debian package")

install(TARGETS albumora-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The project is named "Albumora"; the package and its folders are lower case.
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/albumora)
# The licence in Debian's machine-readable copyright format, in the place Debian policy gives it
# (lintian looks for it there). A Debian package has no control field for the licence: this file
# is where it is stated.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/albumora)

if(ALBUMORA_BUILD_GUI)
    install(TARGETS albumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES packaging/albumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

    # The hicolor PNGs are rendered from the one SVG drawing at build time.
    find_package(Qt6 REQUIRED COMPONENTS Gui Svg)
    add_executable(albumora-render-icon packaging/render-icon.cpp)
    target_link_libraries(albumora-render-icon PRIVATE albumora_options Qt6::Gui Qt6::Svg)

    set(ALBUMORA_ICON_SIZES 16 24 32 48 64 128 256)
    set(ALBUMORA_ICON_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/icons)
    set(ALBUMORA_ICON_PNGS "")
    foreach(size IN LISTS ALBUMORA_ICON_SIZES)
        list(APPEND ALBUMORA_ICON_PNGS ${ALBUMORA_ICON_FOLDER}/${size}x${size}/albumora.png)
    endforeach()
    add_custom_command(
        OUTPUT ${ALBUMORA_ICON_PNGS}
        COMMAND albumora-render-icon ${PROJECT_SOURCE_DIR}/packaging/albumora.svg ${ALBUMORA_ICON_FOLDER}
                ${ALBUMORA_ICON_SIZES}
        DEPENDS albumora-render-icon ${PROJECT_SOURCE_DIR}/packaging/albumora.svg
        COMMENT "Rendering the application icon"
        VERBATIM)
    add_custom_target(albumora_icons ALL DEPENDS ${ALBUMORA_ICON_PNGS})

    foreach(size IN LISTS ALBUMORA_ICON_SIZES)
        install(FILES ${ALBUMORA_ICON_FOLDER}/${size}x${size}/albumora.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    install(FILES packaging/albumora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME albumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${ALBUMORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bulk downloader for Huaban and Duitang picture albums")
# The extended description's lines are kept under 80 columns by hand: dpkg shows them as they are.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Albumora lists the albums behind a Huaban board or a Duitang user or album"
       "address, with their picture counts and cover thumbnails, and downloads the"
       "chosen albums with parallel transfers, one folder per album, naming the"
       "pictures after a scheme of the user's own."
       ""
       "The package holds the Qt window (albumora, with a built-in browser to log in"
       "to the sites) and the command-line front end (albumora-cli). The window's"
       "texts are in Chinese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Directories in the package are 0755 whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ALBUMORA_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# dpkg-shlibdeps finds the libraries the programs link, and with libQt6WebEngineCore the
# browser's helper process (libqt6webenginecore6-bin, named by that library's symbols file).
# What is only loaded at run time is listed by hand: the CA bundle that libcurl needs for the
# sites' HTTPS, and the SVG icon engine plugin that draws the window icon.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ca-certificates")
if(ALBUMORA_BUILD_GUI)
    # Qt's own dialog texts (message box buttons, file dialogs) in Chinese.
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6svg6, qt6-translations-l10n")
    # The window's Chinese texts need a CJK font; xdg-open opens the save folders in a file manager.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wqy-microhei, xdg-utils")
endif()

set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git" "/build/" "/\\\\.cache/")

include(CPack)
