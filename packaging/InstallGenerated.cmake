# Run at install time (see Install.cmake): the staged files get the real
# location of the bundles and go to their places under the prefix.
set(SALVEX_APP_DIR "${CMAKE_INSTALL_PREFIX}/${SALVEX_APP_SUBDIR}")
set(out "${SALVEX_STAGE}/../installed")
foreach(kind applications metainfo polkit)
  file(GLOB staged "${SALVEX_STAGE}/${kind}/*")
  foreach(file IN LISTS staged)
    get_filename_component(name "${file}" NAME)
    configure_file("${file}" "${out}/${kind}/${name}" @ONLY)
  endforeach()
endforeach()
file(GLOB desktop_files "${out}/applications/*.desktop")
file(GLOB metainfo_files "${out}/metainfo/*.xml")
file(GLOB icons "${SALVEX_STAGE}/icons/*.svg")
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES ${desktop_files})
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/metainfo" TYPE FILE FILES ${metainfo_files})
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/icons/hicolor/scalable/apps" TYPE FILE FILES ${icons})
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/polkit-1/actions" TYPE FILE
     FILES "${out}/polkit/example.salvex-recovery.policy")

# The bundles were copied as they are; strip them when asked (the package does),
# and salvex-scan of what plain strip leaves.
if(CMAKE_INSTALL_DO_STRIP)
  file(GLOB bundles "$ENV{DESTDIR}${SALVEX_APP_DIR}/*.app")
  set(programs "$ENV{DESTDIR}${SALVEX_APP_DIR}/salvex-scan")
  foreach(bundle IN LISTS bundles)
    get_filename_component(name "${bundle}" NAME_WE)
    list(APPEND programs "${bundle}/Contents/MacOS/${name}")
  endforeach()
  foreach(program IN LISTS programs)
    execute_process(COMMAND strip --strip-unneeded --remove-section=.comment --remove-section=.note "${program}")
  endforeach()
endif()

file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
file(CREATE_LINK "../${SALVEX_APP_SUBDIR}/salvex-scan" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/salvex-scan" SYMBOLIC)
