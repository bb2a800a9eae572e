# Small file-tree icons: drawn at build time with the toolbar pictures' canvas and compiled
# into the ui library as the "icons" resource collection.
add_executable(korvid_icongen
  ${CMAKE_CURRENT_LIST_DIR}/IconGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../glyphs/GlyphCanvas.cpp
)
target_link_libraries(korvid_icongen PRIVATE Qt6::Gui)

set(KORVID_ICON_DIR ${CMAKE_CURRENT_BINARY_DIR}/icons)
set(KORVID_ICON_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/qrc_icons.cpp)
add_custom_command(
  OUTPUT ${KORVID_ICON_DIR}/icons.qrc
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:korvid_icongen> ${KORVID_ICON_DIR}
  DEPENDS korvid_icongen
  COMMENT "Drawing the file-tree icons"
  VERBATIM)
add_custom_command(
  OUTPUT ${KORVID_ICON_SOURCE}
  COMMAND Qt6::rcc --name icons --output ${KORVID_ICON_SOURCE} ${KORVID_ICON_DIR}/icons.qrc
  DEPENDS ${KORVID_ICON_DIR}/icons.qrc
  VERBATIM)
target_sources(ui PRIVATE ${KORVID_ICON_SOURCE})
set_source_files_properties(${KORVID_ICON_SOURCE} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
