# The portable suites cross-built for Windows and run under wine (ctest runs
# each program through CMAKE_CROSSCOMPILING_EMULATOR), one test a program so
# that wine starts once per suite. GoogleTest is built from Debian's sources.
enable_testing()
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(tests ${PROJECT_SOURCE_DIR}/tests)
# The fixtures' few POSIX calls (mkdtemp, setenv) over the C library's own.
set(shim -include ${tests}/win32/PosixShim.h)

function(kesto_wine_suite name)
  # With the programs' manifest: the same code page for file names.
  add_executable(${name} ${ARGN} ${KESTO_WIN32_DIR}/manifest.rc)
  target_compile_options(${name} PRIVATE ${shim})
  target_link_libraries(${name} PRIVATE game mixer kesto_headless kesto_win32 GTest::gtest_main)
  add_test(NAME wine_${name} COMMAND ${name} --gtest_brief=1 WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
  set_tests_properties(wine_${name} PROPERTIES LABELS wine RESOURCE_LOCK wine TIMEOUT 600)
endfunction()

kesto_wine_suite(game_tests
  ${tests}/game/EngineTest.cpp ${tests}/game/InputTest.cpp ${tests}/game/RecordTest.cpp
  ${tests}/game/RenderTest.cpp ${tests}/game/FormTest.cpp ${tests}/game/CueTest.cpp)
kesto_wine_suite(mixer_tests
  ${tests}/mixer/ProfileTest.cpp ${tests}/mixer/VirtualWaveOutTest.cpp ${tests}/mixer/SessionTest.cpp
  ${tests}/mixer/LoadTest.cpp ${tests}/mixer/ChannelsTest.cpp ${tests}/mixer/WaveHandleTest.cpp ${tests}/mixer/OutputTest.cpp
  ${tests}/mixer/ComponentTest.cpp ${tests}/support/CountingNew.cpp)
kesto_wine_suite(headless_tests ${tests}/headless/HeadlessHostTest.cpp ${tests}/headless/JsonTest.cpp)
kesto_wine_suite(win32_tests ${tests}/win32/Win32Test.cpp)
target_compile_definitions(win32_tests PRIVATE KESTO_SOURCE_DIR="${PROJECT_SOURCE_DIR}" KESTO_VERSION="${PROJECT_VERSION}")
# It reads the programs' icon and version information.
target_link_libraries(win32_tests PRIVATE version)
add_dependencies(win32_tests kesto wavemix)
# The BMP decoder against the files tests/bmp/make_cases.py writes, as on Linux.
include(${tests}/bmp/BmpCases.cmake)
kesto_wine_suite(bmp_tests ${tests}/platform/BmpTest.cpp ${tests}/support/CountingNew.cpp)
kesto_bmp_suite(bmp_tests)
