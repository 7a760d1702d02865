# The .deb that `cpack` builds: what Debian's policy asks of a package (a copyright file, a changelog, a
# manual page, stripped binaries with their symbols in a separate -dbgsym package, the hardening flags of
# dpkg-buildflags) and the dependencies the program loads at run time that no binary links.

set(ILVEX_HOMEPAGE_URL "https://github.com/ilvex/ilvex" CACHE STRING "Project home page (metainfo, package)")
set(ILVEX_SCREENSHOT_BASE_URL "${ILVEX_HOMEPAGE_URL}/raw/main/docs/screenshots"
    CACHE STRING "Where the metainfo's screenshots are published")
set(ILVEX_MAINTAINER "Ilvex developers <${ILVEX_FEEDBACK_ADDRESS}>" CACHE STRING "Maintainer of the .deb")

# The latest release: its version must be the project's, and its date dates the metainfo's release.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^ilvex \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog does not start with version ${PROJECT_VERSION}: ${changelog_head}")
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog_trailer REGEX "^ -- " LIMIT_COUNT 1)
string(REGEX MATCH "([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9])" _ "${changelog_trailer}")
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND months "${CMAKE_MATCH_2}" month)
math(EXPR month "${month} + 1" OUTPUT_FORMAT DECIMAL)
if(month LESS 10)
  set(month "0${month}")
endif()
set(ILVEX_RELEASE_DATE "${CMAKE_MATCH_3}-${month}-${CMAKE_MATCH_1}")

# Hardening: the compiler and linker flags dpkg-buildflags gives every Debian package (stack protector,
# format checks, fortified functions, read-only relocations, immediate binding). Its -O and -g stay the
# build type's, and its -ffile-prefix-map is left out, so one compiler cache serves every checkout.
option(ILVEX_HARDENING "Build with the hardening flags of dpkg-buildflags" ON)
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
if(ILVEX_HARDENING AND DPKG_BUILDFLAGS AND NOT ILVEX_SANITIZE AND NOT ILVEX_FUZZ)
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                            ${DPKG_BUILDFLAGS} --get ${kind}
                    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-O|^-g$|^-ffile-prefix-map=|^-fdebug-prefix-map=")
    set(hardening_${kind} ${flags})
  endforeach()
  # Fortified functions need an optimised build.
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:${hardening_CPPFLAGS}>" ${hardening_CXXFLAGS})
  add_link_options(${hardening_LDFLAGS})
endif()

# The manual page, from its scdoc source.
find_program(SCDOC scdoc)
if(SCDOC)
  configure_file(${PROJECT_SOURCE_DIR}/docs/ilvex.1.scd ${CMAKE_BINARY_DIR}/docs/ilvex.1.scd @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/docs/ilvex.1
    COMMAND ${SCDOC} < ${CMAKE_BINARY_DIR}/docs/ilvex.1.scd > ${CMAKE_BINARY_DIR}/docs/ilvex.1
    DEPENDS ${CMAKE_BINARY_DIR}/docs/ilvex.1.scd VERBATIM)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/docs/ilvex.1.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/docs/ilvex.1
    DEPENDS ${CMAKE_BINARY_DIR}/docs/ilvex.1 VERBATIM)
  add_custom_target(ilvex_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/docs/ilvex.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/docs/ilvex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(WARNING "scdoc not found: the manual page is not built (scripts/install-deps.sh installs it)")
endif()

# The package's documentation folder: the copyright file as it is, the changelog compressed.
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/ilvex)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/copyright @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog VERBATIM)
add_custom_target(ilvex_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ilvex)
set(CPACK_PACKAGE_CONTACT "${ILVEX_FEEDBACK_ADDRESS}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ILVEX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${ILVEX_HOMEPAGE_URL}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher showing applications, folders, files and links in a ring")
# Lines under 80 characters; an empty line separates paragraphs.
set(CPACK_PACKAGE_DESCRIPTION
    "Ilvex lives in the system tray. Alt+Z, a click on the tray icon or pushing
the pointer into the top-right corner of a screen shows a translucent ring of
icons: applications, folders, documents, web links and one-level groups. A
click opens the item and dismisses the ring.

Up to eight named, colour-themed lists are kept and switched in the ring's
centre. Icons are reordered by dragging them round the ring; dropping one on
another and holding still makes a group. The ring also answers the keyboard:
arrow keys, digits and typing part of a name. Lists can be exported and
imported as JSON, and the interface speaks English, German, French, Spanish,
Italian, Japanese and Chinese.")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, though no binary links them: the Wayland platform plugin, the icon font and the
# sound theme. Qt's X11 and offscreen platforms come with libqt6gui6, its SVG plugins with libqt6svg6
# (which the binaries link).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-wayland, fonts-material-design-icons-iconfont, sound-theme-freedesktop")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme, fonts-noto-color-emoji")
# The global shortcut on Wayland goes through the desktop portal; GNOME shows a tray icon only with the
# AppIndicator extension.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xdg-desktop-portal, gnome-shell-extension-appindicator")
# CPack splits the debugging symbols into ilvex-dbgsym (a .ddeb) and strips the binaries it packages.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Installed files are root's, folders 0755, whatever the build user's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
