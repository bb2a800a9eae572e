# What `cmake --install` puts into the prefix. The program finds its plug-in in ../lib/korvid and
# its manual in ../share/korvid/manual, both relative to itself, so the prefix can be anywhere.
install(TARGETS korvid korvid_tessel RUNTIME DESTINATION bin)
if(TARGET lorvanta)
  install(TARGETS lorvanta LIBRARY DESTINATION lib/korvid)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/docs/manual)
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/manual/ DESTINATION share/korvid/manual)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/app/desktop/korvid.desktop DESTINATION share/applications)
install(FILES ${CMAKE_SOURCE_DIR}/app/desktop/korvid.xml DESTINATION share/mime/packages)
foreach(size 16x16 32x32 48x48)
  install(FILES ${KORVID_PROGRAM_ICONS}/${size}/korvid.png DESTINATION share/icons/hicolor/${size}/apps)
endforeach()
