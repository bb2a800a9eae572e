# Toolbar pictures: drawn at build time by a small generator and compiled into the ui library
# as the "glyphs" resource collection.
add_executable(korvid_glyphgen
  ${CMAKE_CURRENT_LIST_DIR}/GlyphGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlyphCanvas.cpp
)
target_link_libraries(korvid_glyphgen PRIVATE Qt6::Gui)

set(KORVID_GLYPH_DIR ${CMAKE_CURRENT_BINARY_DIR}/glyphs)
set(KORVID_GLYPH_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/qrc_glyphs.cpp)
add_custom_command(
  OUTPUT ${KORVID_GLYPH_DIR}/glyphs.qrc
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:korvid_glyphgen> ${KORVID_GLYPH_DIR}
  DEPENDS korvid_glyphgen
  COMMENT "Drawing the toolbar pictures"
  VERBATIM)
add_custom_command(
  OUTPUT ${KORVID_GLYPH_SOURCE}
  COMMAND Qt6::rcc --name glyphs --output ${KORVID_GLYPH_SOURCE} ${KORVID_GLYPH_DIR}/glyphs.qrc
  DEPENDS ${KORVID_GLYPH_DIR}/glyphs.qrc
  VERBATIM)
target_sources(ui PRIVATE ${KORVID_GLYPH_SOURCE})
set_source_files_properties(${KORVID_GLYPH_SOURCE} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON)
