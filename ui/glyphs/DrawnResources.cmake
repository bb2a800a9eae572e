# korvid_drawn_resources(<collection> <generator source> <comment>)
# Pictures drawn at build time by a small generator on the toolbar pictures' canvas and compiled
# into the ui library as the resource collection <collection>.
function(korvid_drawn_resources collection generator comment)
  set(tool korvid_${collection}gen)
  add_executable(${tool} ${generator} ${CMAKE_CURRENT_SOURCE_DIR}/glyphs/GlyphCanvas.cpp)
  target_link_libraries(${tool} PRIVATE Qt6::Gui)

  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${collection})
  set(source ${CMAKE_CURRENT_BINARY_DIR}/qrc_${collection}.cpp)
  add_custom_command(
    OUTPUT ${dir}/${collection}.qrc
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:${tool}> ${dir}
    DEPENDS ${tool}
    COMMENT "${comment}"
    VERBATIM)
  add_custom_command(
    OUTPUT ${source}
    COMMAND Qt6::rcc --name ${collection} --output ${source} ${dir}/${collection}.qrc
    DEPENDS ${dir}/${collection}.qrc
    VERBATIM)
  target_sources(ui PRIVATE ${source})
  set_source_files_properties(${source} PROPERTIES SKIP_AUTOMOC ON SKIP_AUTOUIC ON SKIP_PRECOMPILE_HEADERS ON
                                             SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()
