# cmake --install and the Debian package (make package): the seven bundles and
# salvex-scan under lib/salvex-recovery, salvex-scan on the PATH, and per
# edition a desktop entry, an icon, AppStream metainfo and a polkit action.
#
# Files that name the install location are made in two steps: here with the
# location left as @SALVEX_APP_DIR@, and again at install time, when the
# prefix (/usr for the package) is known.
set(SALVEX_APP_SUBDIR lib/salvex-recovery)
set(SALVEX_PACKAGING_SOURCE ${CMAKE_SOURCE_DIR}/packaging)
set(SALVEX_STAGE ${CMAKE_BINARY_DIR}/packaging/stage)
file(REMOVE_RECURSE ${SALVEX_STAGE})

set(SALVEX_APP_DIR "@SALVEX_APP_DIR@")
file(READ ${SALVEX_PACKAGING_SOURCE}/polkit-action.xml.in action_template)
set(polkit_actions "")
foreach(key IN LISTS SALVEX_EDITIONS)
  set(modes "${SALVEX_EDITION_${key}_MODES}")
  set(BUNDLE_NAME "${SALVEX_EDITION_${key}_BUNDLE_NAME}")
  set(BUNDLE_ID "${SALVEX_EDITION_${key}_BUNDLE_ID}")
  # The icon's only colour.
  set(ICON_COLOUR "${SALVEX_EDITION_${key}_ICON_COLOUR}")
  set(kinds photos)
  if("Video" IN_LIST modes)
    list(APPEND kinds videos)
  endif()
  if("Raw" IN_LIST modes)
    list(APPEND kinds "documents and other files")
  endif()
  if("Audio" IN_LIST modes)
    list(APPEND kinds audio)
  endif()
  list(JOIN kinds ", " MODES_TEXT)

  configure_file(${SALVEX_PACKAGING_SOURCE}/app.desktop.in ${SALVEX_STAGE}/applications/${BUNDLE_ID}.desktop @ONLY)
  configure_file(${SALVEX_PACKAGING_SOURCE}/metainfo.xml.in ${SALVEX_STAGE}/metainfo/${BUNDLE_ID}.metainfo.xml @ONLY)
  configure_file(${SALVEX_PACKAGING_SOURCE}/icon.svg.in ${SALVEX_STAGE}/icons/${BUNDLE_ID}.svg @ONLY)
  string(CONFIGURE "${action_template}" action @ONLY)
  string(APPEND polkit_actions "${action}")
endforeach()
file(WRITE ${SALVEX_STAGE}/polkit/example.salvex-recovery.policy
  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
  "<!DOCTYPE policyconfig PUBLIC \"-//freedesktop//DTD PolicyKit Policy Configuration 1.0//EN\"\n"
  "  \"http://www.freedesktop.org/standards/PolicyKit/1/policyconfig.dtd\">\n"
  "<!-- One action per edition: pkexec picks the one whose exec.path is the program it starts. -->\n"
  "<policyconfig>\n  <vendor>Salvex Recovery</vendor>\n${polkit_actions}</policyconfig>\n")

# Compressed the way Debian wants: best compression, no name or time stamp inside.
set(SALVEX_MAN_GZ ${CMAKE_BINARY_DIR}/packaging/salvex-scan.1.gz)
set(SALVEX_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
configure_file(${SALVEX_PACKAGING_SOURCE}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(
  OUTPUT ${SALVEX_MAN_GZ} ${SALVEX_CHANGELOG_GZ}
  COMMAND sh -c "gzip -9n < \"$1\" > \"$2\" && gzip -9n < \"$3\" > \"$4\"" sh
          ${SALVEX_PACKAGING_SOURCE}/salvex-scan.1 ${SALVEX_MAN_GZ} ${CMAKE_BINARY_DIR}/packaging/changelog ${SALVEX_CHANGELOG_GZ}
  DEPENDS ${SALVEX_PACKAGING_SOURCE}/salvex-scan.1 ${CMAKE_BINARY_DIR}/packaging/changelog
  VERBATIM)
add_custom_target(packaging_files ALL DEPENDS ${SALVEX_MAN_GZ} ${SALVEX_CHANGELOG_GZ})

foreach(key IN LISTS SALVEX_EDITIONS)
  install(DIRECTORY "${SALVEX_OUTPUT_DIR}/${SALVEX_EDITION_${key}_BUNDLE_NAME}.app" DESTINATION ${SALVEX_APP_SUBDIR}
          USE_SOURCE_PERMISSIONS)
endforeach()
# salvex-scan finds the bundles beside its own resolved path, so it lives with
# them and the PATH gets a link.
install(TARGETS salvex-scan RUNTIME DESTINATION ${SALVEX_APP_SUBDIR})
install(CODE "
  set(SALVEX_STAGE \"${SALVEX_STAGE}\")
  set(SALVEX_APP_SUBDIR \"${SALVEX_APP_SUBDIR}\")
  include(\"${SALVEX_PACKAGING_SOURCE}/InstallGenerated.cmake\")
")
install(FILES ${SALVEX_MAN_GZ} DESTINATION share/man/man1)
install(FILES ${SALVEX_PACKAGING_SOURCE}/copyright ${SALVEX_CHANGELOG_GZ} DESTINATION share/doc/salvex)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME salvex)
set(CPACK_PACKAGE_VENDOR "Salvex Recovery")
set(CPACK_PACKAGE_CONTACT "Salvex Recovery developers <developers@salvex.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "recovers deleted photos and files from memory cards and disks")
set(CPACK_PACKAGE_DESCRIPTION "Salvex Recovery reads a memory card, USB stick, disk or disk image sector
by sector, recognises where known kinds of files begin (photos, videos,
documents, audio) and copies them into a folder of the user's choice. It never
writes to what it searches.

This package holds the seven editions of the window, each with its own
desktop entry, and salvex-scan, the same search on the command line.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pkexec asks for the administrator password; xdg-open starts the user's own
# programs from the window; runuser (util-linux) is always there.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "pkexec, xdg-utils")
# What the window's previews use: TIFF and WEBP pictures (Qt's image-format
# plugins), movies and sounds (GStreamer, which Qt Multimedia plays through), and
# the icons of file types and buttons (an icon theme). Without them the window
# still works and says which package a missing preview needs.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "x11-xserver-utils, qt6-image-formats-plugins, gstreamer1.0-plugins-good, \
gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
