# Reads editions.txt, the one table of editions, for the bundle rules
# (EditionBundles.cmake), the install rules (packaging/Install.cmake) and the
# program's profiles (app/edition_profile.h includes the rows made here).
#
# For each key in SALVEX_EDITIONS: SALVEX_EDITION_<key>_PREFIX, _MODES (Photo
# first), _INTERNAL_DISKS, _ICON_COLOUR, _BUNDLE_NAME and _BUNDLE_ID.
set(SALVEX_EDITION_TABLE ${CMAKE_SOURCE_DIR}/editions.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SALVEX_EDITION_TABLE})

# The contact addresses live under a domain reserved for examples until the
# company's own domain is registered; no stranger can receive the mail meanwhile.
set(SALVEX_SITE "https://www.salvex-recovery.example")
set(SALVEX_MAIL_DOMAIN "salvex-recovery.example")

set(SALVEX_EDITIONS)
set(SALVEX_EDITION_ROWS "")
file(STRINGS ${SALVEX_EDITION_TABLE} lines)
foreach(line IN LISTS lines)
  if(line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  string(REGEX MATCHALL "[^ \t]+" fields "${line}")
  list(LENGTH fields n)
  if(NOT n EQUAL 5)
    message(FATAL_ERROR "editions.txt: five fields wanted, not ${n}: ${line}")
  endif()
  list(GET fields 0 key)
  list(GET fields 1 prefix)
  list(GET fields 2 extra)
  list(GET fields 3 internal)
  list(GET fields 4 colour)
  set(modes Photo)
  if(NOT extra STREQUAL "-")
    string(REPLACE "," ";" extra "${extra}")
    list(APPEND modes ${extra})
  endif()
  if(NOT internal MATCHES "^[01]$")
    message(FATAL_ERROR "editions.txt: internal disks are 0 or 1, not ${internal}: ${line}")
  endif()
  string(TOLOWER "${key}" key_lower)

  list(APPEND SALVEX_EDITIONS ${key})
  set(SALVEX_EDITION_${key}_PREFIX "${prefix}")
  set(SALVEX_EDITION_${key}_MODES "${modes}")
  set(SALVEX_EDITION_${key}_INTERNAL_DISKS "${internal}")
  set(SALVEX_EDITION_${key}_ICON_COLOUR "${colour}")
  set(SALVEX_EDITION_${key}_BUNDLE_NAME "Salvex ${key} Recovery")
  set(SALVEX_EDITION_${key}_BUNDLE_ID "example.salvex-recovery.${key_lower}")

  set(flags)
  foreach(mode Video Raw Audio)
    if(mode IN_LIST modes)
      list(APPEND flags true)
    else()
      list(APPEND flags false)
    endif()
  endforeach()
  list(JOIN flags ", " flags)
  string(APPEND SALVEX_EDITION_ROWS
    "    {\"${key}\", \"${SALVEX_EDITION_${key}_BUNDLE_NAME}\", ${internal}, \"${prefix}\", ${flags},\n"
    "     \"${key_lower}.support@${SALVEX_MAIL_DOMAIN}\", \"${SALVEX_SITE}\", \"${SALVEX_SITE}/${key_lower}\"},\n")
endforeach()

# Written only when the table changed, so a configure alone rebuilds nothing.
set(SALVEX_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(CONFIGURE OUTPUT ${SALVEX_GENERATED_DIR}/salvex_edition_rows.inc
     CONTENT "// Made from editions.txt by cmake/Editions.cmake.\n@SALVEX_EDITION_ROWS@" @ONLY)
target_include_directories(salvex_core PUBLIC ${SALVEX_GENERATED_DIR})
