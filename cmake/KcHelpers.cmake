# Sources are picked up by folder so that adding a unit needs no edit here.
# A subsystem library is only made once its folder holds sources.

#
# DEPS are what the library's public headers need: users get them too.
# PRIVATE_DEPS are what only its sources need (Qt Widgets behind a
# platform service, libjpeg, threads): users link them but cannot include
# them by accident.
function(kc_library NAME DIR)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${DIR}/*.cpp)
  if(NOT _src)
    add_library(${NAME} INTERFACE)
    target_link_libraries(${NAME} INTERFACE ${ARG_DEPS})
    target_include_directories(${NAME} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    return()
  endif()
  add_library(${NAME} STATIC ${_src})
  target_include_directories(${NAME} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${NAME} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# Test programs keep line tables (backtraces, sanitizer reports) but not the
# full debug info, which is a large part of their compile and link time.
function(kc_test_debug_info TARGET)
  target_compile_options(${TARGET} PRIVATE $<$<CONFIG:RelWithDebInfo>:-g1>)
endfunction()

# Sources of src/DIR whose file-local helpers share names with another file
# of their library: a unity build compiles them on their own.
function(kc_unity_exclude DIR)
  list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/src/${DIR}/)
  set_source_files_properties(${ARGN} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
endfunction()

# One test program per file under tests/<DIR>: a file that does not build
# then only stops its own program.
function(kc_tests DIR)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${DIR}/*Test.cpp)
  file(GLOB _support CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${DIR}/support/*.cpp)
  string(REPLACE "/" "_" _prefix ${DIR})
  math(EXPR _unit_timeout "300 * ${KC_TEST_TIMEOUT_SCALE}")
  math(EXPR _script_timeout "900 * ${KC_TEST_TIMEOUT_SCALE}")
  foreach(_t ${_tests})
    get_filename_component(_n ${_t} NAME_WE)
    set(_exe test_${_prefix}_${_n})
    add_executable(${_exe} ${_t} ${_support})
    target_link_libraries(${_exe} PRIVATE ${ARG_LIBS} kc_testsupport GTest::gtest GTest::gmock)
    target_include_directories(${_exe} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    kc_test_debug_info(${_exe})
    # One source: a batch would only hide the file's own name in messages.
    set_target_properties(${_exe} PROPERTIES UNITY_BUILD OFF)
    add_test(NAME ${_prefix}/${_n} COMMAND ${_exe})
    set_tests_properties(${_prefix}/${_n} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=disabled:;KAVET_CODEPAGE=1252;FONTCONFIG_FILE=${KC_TEST_FONTCONFIG};KC_SOURCE_DIR=${CMAKE_SOURCE_DIR};KC_BINARY_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT ${_unit_timeout})
  endforeach()
  # Shell tests (cross-checks against other programs) run from the build tree.
  file(GLOB _scripts CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/${DIR}/*Test.sh)
  foreach(_s ${_scripts})
    get_filename_component(_n ${_s} NAME_WE)
    add_test(NAME ${_prefix}/${_n} COMMAND bash ${_s})
    set_tests_properties(${_prefix}/${_n} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=offscreen;DBUS_SESSION_BUS_ADDRESS=disabled:;KAVET_CODEPAGE=1252;FONTCONFIG_FILE=${KC_TEST_FONTCONFIG};KC_SOURCE_DIR=${CMAKE_SOURCE_DIR};KC_BINARY_DIR=${CMAKE_BINARY_DIR}"
      TIMEOUT ${_script_timeout}
      # A script whose tool is missing from the machine says so with 77.
      SKIP_RETURN_CODE 77)
  endforeach()
endfunction()

# fuzz/<name>.cpp -> fuzz_<name>
function(kc_fuzzer NAME)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(fuzz_${NAME} ${CMAKE_SOURCE_DIR}/fuzz/${NAME}.cpp)
  target_link_libraries(fuzz_${NAME} PRIVATE ${ARG_LIBS})
  target_link_options(fuzz_${NAME} PRIVATE -fsanitize=fuzzer)
  # scripts/fuzz.sh runs build/fuzz/fuzz_<name>.
  set_target_properties(fuzz_${NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
endfunction()

# Adds every folder below the current one that has its own CMakeLists.txt
# (tools/<name>/, bench/<name>/).
function(kc_add_subdirectories)
  file(GLOB _dirs LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(_d ${_dirs})
    if(IS_DIRECTORY ${_d} AND EXISTS ${_d}/CMakeLists.txt)
      add_subdirectory(${_d})
    endif()
  endforeach()
endfunction()

# Precompiled headers. Most units include the same standard and Qt headers;
# parsed once per build instead of once per unit, they are most of the
# saving a clean build has. One header serves the libraries, the program,
# the tools and the benchmarks; the tests get their own, with Qt Widgets and
# GoogleTest. Both name headers in angle brackets only, so the generated
# header holds no path of the checkout and a shared ccache finds the same
# result from every checkout. Targets without Qt (code generators) and
# targets with flags of their own go without.
set(KC_PCH_STD
  <algorithm> <array> <chrono> <climits> <cstddef> <cstdint> <cstdio> <cstdlib> <cstring> <deque>
  <functional> <initializer_list> <limits> <map> <memory> <optional> <set> <span> <stdexcept> <string>
  <string_view> <unordered_map> <utility> <vector>)
set(KC_PCH_QT_GUI
  <QBrush> <QByteArray> <QColor> <QCoreApplication> <QCursor> <QEvent> <QFont> <QFontMetrics>
  <QGuiApplication> <QImage> <QKeyEvent> <QMargins> <QMouseEvent> <QObject> <QPainter> <QPoint>
  <QPointer> <QRect> <QSize> <QString> <QStringList> <QTimer>)

# (<filesystem> stays out: it brings std::quoted, which argument-dependent
# lookup then prefers to a quoted() of our own.)

# A target that only builds precompiled header NAME from the headers given.
function(kc_precompiled_header NAME)
  set(_stub ${CMAKE_BINARY_DIR}/kc_pch_stub.cpp)
  file(CONFIGURE OUTPUT ${_stub} CONTENT "// The unit the precompiled headers are built with.\n")
  add_library(${NAME} OBJECT ${_stub})
  target_precompile_headers(${NAME} PRIVATE ${ARGN})
  set_target_properties(${NAME} PROPERTIES AUTOMOC OFF)
endfunction()

# The tests' header is made in tests/: Qt Test defines the test folder for
# every target there, and GCC takes a precompiled header only where the
# defines it was made with are the same.
function(kc_test_precompiled_header)
  if(KC_PCH)
    kc_precompiled_header(kc_pch_tests ${KC_PCH_STD} ${KC_PCH_QT_GUI} <QApplication> <QWidget> <gtest/gtest.h>)
    target_link_libraries(kc_pch_tests PRIVATE GTest::gtest Qt6::Widgets Qt6::Test)
    kc_test_debug_info(kc_pch_tests)
  endif()
endfunction()

# The targets defined in DIR and below it.
function(kc_targets_below DIR OUT)
  get_property(_all DIRECTORY ${DIR} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(_subdirs DIRECTORY ${DIR} PROPERTY SUBDIRECTORIES)
  foreach(_d ${_subdirs})
    kc_targets_below(${_d} _more)
    list(APPEND _all ${_more})
  endforeach()
  set(${OUT} ${_all} PARENT_SCOPE)
endfunction()

# Every C++ target of the build that uses Qt reuses one of the precompiled
# headers: a test (it links GoogleTest) the tests' one, the rest the other.
function(kc_use_precompiled_headers)
  kc_precompiled_header(kc_pch ${KC_PCH_STD} ${KC_PCH_QT_GUI})
  target_link_libraries(kc_pch PRIVATE Qt6::Core Qt6::Gui)
  kc_targets_below(${CMAKE_SOURCE_DIR} _targets)
  foreach(_t ${_targets})
    if(_t MATCHES "^kc_pch")
      continue()
    endif()
    get_target_property(_type ${_t} TYPE)
    if(NOT _type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(_libs ${_t} LINK_LIBRARIES)
    if(NOT _libs MATCHES "(^|;)(kc_|Qt6::)")
      continue()
    endif()
    if(TARGET kc_pch_tests AND _libs MATCHES "(^|;)(kc_testsupport|GTest::)")
      target_precompile_headers(${_t} REUSE_FROM kc_pch_tests)
    else()
      target_precompile_headers(${_t} REUSE_FROM kc_pch)
    endif()
    # Most targets have nothing for moc, and loading the header would then be
    # all this unit's work.
    get_target_property(_automoc ${_t} AUTOMOC)
    if(_automoc)
      get_target_property(_bin ${_t} BINARY_DIR)
      set_source_files_properties(${_bin}/${_t}_autogen/mocs_compilation.cpp TARGET_DIRECTORY ${_t}
                                  PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
    endif()
  endforeach()
endfunction()
