# korvid_test(<folder> SOURCES ... LIBS ... [GUI] [CORE] [TEST_PREFIX <prefix>])
# One GoogleTest executable per folder; GUI tests run on the offscreen platform. A CORE program
# gets a test main without Qt Gui, and links only what its code uses, so its dynamic
# dependencies show which parts of Qt the code under test needs.
function(korvid_test folder)
  cmake_parse_arguments(ARG "GUI;CORE" "TEST_PREFIX" "SOURCES;LIBS" ${ARGN})
  set(target ${folder}_tests)
  add_executable(${target} ${ARG_SOURCES})
  if(ARG_CORE)
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} korvid_testsupport_core GTest::gtest)
    target_link_options(${target} PRIVATE LINKER:--as-needed)
  else()
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} korvid_testsupport GTest::gtest)
  endif()
  korvid_test_options(${target})
  # A header precompiled for two or three files costs more than it saves.
  list(LENGTH ARG_SOURCES count)
  if(count GREATER 3)
    if(ARG_CORE)
      korvid_precompile(${target} CORE TESTS)
    else()
      korvid_precompile(${target} WIDGETS TESTS)
    endif()
  endif()
  set(env "QT_QPA_PLATFORM=offscreen")
  gtest_discover_tests(${target}
    TEST_PREFIX "${ARG_TEST_PREFIX}"
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "${env}"
    DISCOVERY_MODE PRE_TEST)
endfunction()

# korvid_benchmark(<name> SOURCES ... LIBS ...)
function(korvid_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()

# korvid_precompile(<target> CORE|WIDGETS [TESTS])
# Most of a translation unit's compile time is spent parsing the standard library and Qt, so the
# larger targets precompile the headers most of their files include. CORE keeps to Qt Core for
# targets that must not see Qt Gui; TESTS adds GoogleTest.
set(KORVID_PCH_STD
  <algorithm> <array> <chrono> <cstdint> <cstdlib> <cstring> <filesystem> <fstream> <functional>
  <map> <memory> <optional> <set> <string> <string_view> <utility> <vector>)
set(KORVID_PCH_QT_CORE
  <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QFile> <QList> <QObject> <QProcess>
  <QString> <QStringList> <QTimer>)
set(KORVID_PCH_QT_WIDGETS
  <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDialogButtonBox> <QGuiApplication>
  <QHBoxLayout> <QKeyEvent> <QLabel> <QLineEdit> <QListWidget> <QMenu> <QMouseEvent> <QPainter>
  <QPushButton> <QSpinBox> <QStandardItemModel> <QTabWidget> <QTreeWidget> <QVBoxLayout> <QWidget>)
function(korvid_precompile target)
  cmake_parse_arguments(ARG "CORE;WIDGETS;TESTS" "" "" ${ARGN})
  set(headers ${KORVID_PCH_STD} ${KORVID_PCH_QT_CORE})
  set(qt Qt6::Core)
  if(ARG_WIDGETS)
    list(APPEND headers ${KORVID_PCH_QT_WIDGETS})
    set(qt Qt6::Widgets)
  endif()
  if(ARG_TESTS)
    list(APPEND headers <gtest/gtest.h>)
  endif()
  # One header serves every target of a kind. GCC takes a precompiled header only where each
  # macro defined when it was made is defined alike, so it is made by a target of its own that
  # has the kind's flags and no definitions of any one target.
  get_target_property(type ${target} TYPE)
  set(donor korvid_pch_core)
  if(ARG_WIDGETS)
    set(donor korvid_pch_widgets)
  endif()
  if(ARG_TESTS)
    string(APPEND donor _tests)
  endif()
  if(NOT TARGET ${donor})
    set(source ${CMAKE_BINARY_DIR}/pch/${donor}.cpp)
    if(type STREQUAL "EXECUTABLE")
      file(CONFIGURE OUTPUT ${source} CONTENT "int main() { return 0; }\n")
      add_executable(${donor} ${source})
      target_link_libraries(${donor} PRIVATE ${qt})
    else()
      file(CONFIGURE OUTPUT ${source} CONTENT "")
      add_library(${donor} STATIC ${source})
      target_link_libraries(${donor} PUBLIC ${qt})
    endif()
    if(ARG_TESTS)
      target_link_libraries(${donor} PRIVATE GTest::gtest)
      korvid_test_options(${donor})
    endif()
    set_target_properties(${donor} PROPERTIES AUTOMOC OFF)
    target_precompile_headers(${donor} PRIVATE ${headers})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${donor})
endfunction()

# Compile options of the test programs' own code.
function(korvid_test_options target)
  # Their code is not what ships; optimising it harder only slows the build.
  # At -O1 GCC 12 warns of std::string copies it cannot follow (memcpy inside operator+, as
  # array-bounds and stringop-overflow); the sanitizer build checks the real bounds as it runs.
  target_compile_options(${target} PRIVATE
    $<$<CONFIG:RelWithDebInfo,Release>:-O1>
    $<$<CONFIG:RelWithDebInfo,Release>:-Wno-array-bounds>
    $<$<CONFIG:RelWithDebInfo,Release>:-Wno-stringop-overflow>)
endfunction()
