# Installing Zelvane as a desktop program, and packaging it for Debian.
#
#   cmake --install <build> --prefix /usr --strip   (or DESTDIR=<root> cmake --install ...)
#
#   bin/zelvane
#   bin/zelvane-batch
#   lib/zelvane/zelvane-heif-jxl.so   the HEIF/AVIF and JPEG XL decoders, loaded when needed
#   share/applications/org.example.zelvane.desktop
#   share/metainfo/org.example.zelvane.metainfo.xml
#   share/icons/hicolor/<N>x<N>/apps/org.example.zelvane.png   N = 16 32 48 64 128 256
#   share/doc/zelvane/{copyright,LICENSE,README.md}
#
#   cpack -G DEB   (in <build>)  ->  zelvane_<version>_<arch>.deb, its Depends worked out by
#                                    dpkg-shlibdeps from the libraries the program links.
#
# The id lies under example.org, a domain reserved for examples, so it can never name
# someone else's program; the same id names the desktop entry, the metadata and the icon.
include(GNUInstallDirs)

set(ZELVANE_APP_ID "org.example.zelvane")
set(ZELVANE_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/zelvane")
set(ZELVANE_ICON_SIZES 16 32 48 64 128 256)

# The running window names its desktop entry, so docks and Wayland compositors show its icon.
target_compile_definitions(zelvane_app PRIVATE ZELVANE_APP_ID="${ZELVANE_APP_ID}")

# Every library the programs and the decoder module need lies in the system's own folders: no
# run-time search path.
set_target_properties(zelvane zelvane-batch zelvane_codecmodule PROPERTIES INSTALL_RPATH "")

install(TARGETS zelvane zelvane-batch RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS zelvane_codecmodule LIBRARY DESTINATION "${ZELVANE_MODULE_INSTALL_DIR}")

install(FILES "${PROJECT_SOURCE_DIR}/packaging/${ZELVANE_APP_ID}.desktop"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/applications")

configure_file("${PROJECT_SOURCE_DIR}/packaging/${ZELVANE_APP_ID}.metainfo.xml.in"
               "${PROJECT_BINARY_DIR}/packaging/${ZELVANE_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/packaging/${ZELVANE_APP_ID}.metainfo.xml"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/metainfo")

foreach(Size IN LISTS ZELVANE_ICON_SIZES)
  install(FILES "${PROJECT_SOURCE_DIR}/assets/icon/zelvane-${Size}.png"
          DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${Size}x${Size}/apps"
          RENAME "${ZELVANE_APP_ID}.png")
endforeach()

install(FILES "${PROJECT_SOURCE_DIR}/packaging/copyright"
              "${PROJECT_SOURCE_DIR}/LICENSE"
              "${PROJECT_SOURCE_DIR}/README.md"
        DESTINATION "${ZELVANE_DOCDIR}")

# Debian package. Only the files above go in: the libraries of ours are linked statically
# and the tests, benchmarks and fuzzers have no install rules.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "zelvane")
set(CPACK_PACKAGE_VENDOR "The Zelvane developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "turns any picture into a 480 x 272 wallpaper for a handheld game console")
set(CPACK_PACKAGE_DESCRIPTION
    "Zelvane shows a photograph of a handheld game console with a 480 x 272 frame over its\n\
screen. Open a JPEG, PNG, GIF, BMP, icon, Windows metafile, WebP, HEIC/HEIF, AVIF or\n\
JPEG XL picture, fit, zoom, drag, resize, turn and mirror it, type a one-line watermark, and save exactly what the frame\n\
shows as a 480 x 272 JPEG. zelvane-batch makes the same wallpaper of a whole folder of\n\
pictures from the command line, on every processor.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zelvane developers <dev@zelvane.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION "graphics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ZELVANE_HOMEPAGE}")
# Depends from the shared libraries the program needs (libjpeg62-turbo, libpng16-16,
# libgif7, libqt6widgets6, ...), as dpkg-shlibdeps finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The narrow stand-in for the window's start face ("DejaVu Sans Condensed") keeps the layout's
# text widths; without it the nearest sans face is used. Qt's Wayland platform lets the window
# run natively on a Wayland desktop (GNOME, Plasma), sharp on scaled screens; without it Qt
# falls back to X11 through Xwayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-extra, qt6-wayland")
include(CPack)
