# One application bundle per edition (editions.txt), all from the same executable:
#   <Name>.app/Contents/MacOS/<Name>, Contents/Info.plist, Contents/Resources/*.sig
# The bundle's name picks the edition at start-up, and it also names the result
# folder ("<Name> Results"), so it reads as the product's name.

set(SALVEX_SIGNATURE_DATA ${CMAKE_SOURCE_DIR}/signatures/data)
set(SALVEX_BUNDLE_OUTPUTS)

foreach(key IN LISTS SALVEX_EDITIONS)
  set(prefix "${SALVEX_EDITION_${key}_PREFIX}")
  set(modes "${SALVEX_EDITION_${key}_MODES}")
  set(BUNDLE_NAME "${SALVEX_EDITION_${key}_BUNDLE_NAME}")
  set(BUNDLE_ID "${SALVEX_EDITION_${key}_BUNDLE_ID}")
  set(bundle "${SALVEX_OUTPUT_DIR}/${BUNDLE_NAME}.app")
  configure_file(${CMAKE_SOURCE_DIR}/cmake/Info.plist.in "${bundle}/Contents/Info.plist" @ONLY)

  set(copy_commands)
  set(sources)
  foreach(mode IN LISTS modes)
    foreach(pass "" "Adv")
      set(src "${SALVEX_SIGNATURE_DATA}/${mode}${pass}.sig")
      list(APPEND sources "${src}")
      list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different "${src}"
           "${bundle}/Contents/Resources/${prefix}${mode}${pass}.sig")
    endforeach()
  endforeach()

  # The window and what only it shows: the no-preview picture and the user guide,
  # made at build time (wizard/qt). Without them the bundle still gives salvex-scan
  # its edition's signature files.
  set(window_commands)
  set(window_targets)
  if(SALVEX_GUI)
    foreach(resource NoPreview.png Help.pdf)
      list(APPEND sources "${SALVEX_RESOURCE_DIR}/${resource}")
      list(APPEND copy_commands COMMAND ${CMAKE_COMMAND} -E copy_if_different "${SALVEX_RESOURCE_DIR}/${resource}"
           "${bundle}/Contents/Resources/${resource}")
    endforeach()
    set(window_commands COMMAND ${CMAKE_COMMAND} -E make_directory "${bundle}/Contents/MacOS"
        COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:salvex> "${bundle}/Contents/MacOS/${BUNDLE_NAME}")
    set(window_targets salvex salvex_resources)
  endif()

  set(stamp "${CMAKE_BINARY_DIR}/bundle-${key}.stamp")
  add_custom_command(
    OUTPUT "${stamp}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${bundle}/Contents/Resources"
    ${window_commands}
    ${copy_commands}
    COMMAND ${CMAKE_COMMAND} -E touch "${stamp}"
    DEPENDS ${window_targets} ${sources}
    COMMENT "Bundle ${BUNDLE_NAME}"
    VERBATIM)
  list(APPEND SALVEX_BUNDLE_OUTPUTS "${stamp}")
endforeach()

add_custom_target(edition_bundles ALL DEPENDS ${SALVEX_BUNDLE_OUTPUTS})
