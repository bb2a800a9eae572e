# Files that cannot share a unit with their neighbours (KORVID_UNITY), each with its reason.
function(korvid_unity_skip folder)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/${folder}/)
  set_source_files_properties(${ARGN} DIRECTORY ${CMAKE_SOURCE_DIR}/${folder}
    PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

# Xlib's macros (None, Status, Bool) would rename the enumerators of the files compiled after it.
korvid_unity_skip(tests/devtools/vbat PSystemWindowTest.cpp)
# Each of these defines in its unnamed namespace a name that a neighbour in its unit defines too.
korvid_unity_skip(app SplashUnit.cpp)
korvid_unity_skip(devtools/compiler TesselLib.cpp)
korvid_unity_skip(devtools/debugger ModuleCommands.cpp)
korvid_unity_skip(devtools/definitions DefsListing.cpp ScreenListing.cpp)
korvid_unity_skip(editor EditorFormat.cpp)

# The static linker takes a unit whole: a program that needs only the Qt Core parts of these
# would load Qt Gui for a neighbour's sake, which the model programs' tests forbid.
set_target_properties(platform foundation PROPERTIES UNITY_BUILD OFF)
