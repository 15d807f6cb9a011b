# The Windows configuration (cmake/mingw-w64.cmake): the portable targets as
# on Linux, the native backend in this folder instead of SDL, and the same
# programs, static, importing only system DLLs. The Linux configuration never
# reads this file.
set(KESTO_SDL OFF)  # platform/ then builds the core and the headless backend only
set(KESTO_WIN32_DIR ${PROJECT_SOURCE_DIR}/platform/win32)
# IPA P Gothic from Debian's fonts-ipafont-gothic, shipped beside the game.
set(KESTO_FONT_FILE /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf CACHE FILEPATH "The game's face")
if(NOT EXISTS ${KESTO_FONT_FILE})
  message(FATAL_ERROR "${KESTO_FONT_FILE} is missing: install fonts-ipafont-gothic")
endif()

# Static programs; small ones: unused functions and data go at the link.
target_compile_definitions(kesto_options INTERFACE UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
target_compile_options(kesto_options INTERFACE -ffunction-sections -fdata-sections)
target_link_options(kesto_options INTERFACE -static -static-libgcc -static-libstdc++ -Wl,--gc-sections)
# Hardened like the distribution's own programs, with the flags that apply
# to PE files: FORTIFY_SOURCE and the strong stack protector (their checks
# come from GCC's libssp, linked statically with the protector), and an
# image that can be moved anywhere in the 64-bit address space (ASLR with
# high entropy) whose data cannot be run (DEP).
target_compile_definitions(kesto_options INTERFACE _FORTIFY_SOURCE=2)
target_compile_options(kesto_options INTERFACE -fstack-protector-strong)
target_link_options(kesto_options INTERFACE -fstack-protector-strong
  -Wl,--dynamicbase -Wl,--nxcompat -Wl,--high-entropy-va)

add_subdirectory(platform)
add_subdirectory(mixer)

add_subdirectory(assets)  # the pictures, run-length encoded here
add_subdirectory(game)

# The services the portable code calls (Files.h, Signals.h, the picture codec and the
# text rasteriser), as an object library linked into each program ahead of
# the static libraries that call them.
add_library(kesto_win32_services OBJECT
  ${KESTO_WIN32_DIR}/Files.cpp
  ${KESTO_WIN32_DIR}/GdiText.cpp
  ${KESTO_WIN32_DIR}/Png.cpp
  ${KESTO_WIN32_DIR}/Signals.cpp
  ${KESTO_WIN32_DIR}/Text.cpp
  ${KESTO_WIN32_DIR}/Win32Picture.cpp)
target_link_libraries(kesto_win32_services PUBLIC kesto_core)
add_library(kesto_win32_platform INTERFACE)
target_sources(kesto_win32_platform INTERFACE $<TARGET_OBJECTS:kesto_win32_services>)
target_link_libraries(kesto_win32_platform INTERFACE kesto_core gdi32 user32)

# The sound card through winmm, as a wave-out device; the mixer's host for
# programs without a window of ours.
add_library(kesto_win32_wave STATIC ${KESTO_WIN32_DIR}/Win32WaveOut.cpp ${KESTO_WIN32_DIR}/Win32MixerHost.cpp)
target_link_libraries(kesto_win32_wave PUBLIC kesto_core winmm kesto_win32_platform)

# The native backend: the window, its message loop, timers and boxes, the
# MCI sequencer, the console a window program was started from.
add_library(kesto_win32 STATIC ${KESTO_WIN32_DIR}/Win32Host.cpp ${KESTO_WIN32_DIR}/XInputPad.cpp ${KESTO_WIN32_DIR}/MciMidiPlayer.cpp
  ${KESTO_WIN32_DIR}/Console.cpp)
target_link_libraries(kesto_win32 PUBLIC kesto_win32_wave comctl32)

add_library(kesto_app STATIC ${PROJECT_SOURCE_DIR}/app/Application.cpp ${PROJECT_SOURCE_DIR}/app/HeadlessRunner.cpp)
target_link_libraries(kesto_app PUBLIC game kesto_win32 kesto_headless)

# kesto.exe: a window program (no console) with its manifest: the UTF-8
# code page for the C library's file names, the common controls of the
# message boxes, awareness of the screen's scale.
# Our icon, every size of assets/icons in one .ico, for both programs.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(GLOB KESTO_ICON_PNGS ${PROJECT_SOURCE_DIR}/assets/icons/kesto-*.png)
set(KESTO_ICO ${PROJECT_BINARY_DIR}/kesto.ico)
add_custom_command(OUTPUT ${KESTO_ICO}
  COMMAND ${Python3_EXECUTABLE} ${KESTO_WIN32_DIR}/make_ico.py ${KESTO_ICO} ${KESTO_ICON_PNGS}
  DEPENDS ${KESTO_WIN32_DIR}/make_ico.py ${KESTO_ICON_PNGS}
  COMMENT "Packing the icon's sizes into kesto.ico")

# program_rc(NAME DESCRIPTION): NAME.rc with the manifest, the icon and the
# version information, in KESTO_RC_FILE.
function(program_rc name description)
  set(KESTO_RC_NAME ${name})
  set(KESTO_RC_DESCRIPTION ${description})
  set(rc ${PROJECT_BINARY_DIR}/${name}.rc)
  configure_file(${KESTO_WIN32_DIR}/program.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${KESTO_WIN32_DIR}/kesto.manifest;${KESTO_ICO}")
  set(KESTO_RC_FILE ${rc} PARENT_SCOPE)
endfunction()

program_rc(kesto "kesto, the quick-comparison game")
add_executable(kesto WIN32 kesto.cpp ${KESTO_RC_FILE} ${KESTO_ICO})
target_link_libraries(kesto PRIVATE kesto_app)
set_target_properties(kesto PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set_source_files_properties(${KESTO_WIN32_DIR}/manifest.rc PROPERTIES
  OBJECT_DEPENDS ${KESTO_WIN32_DIR}/kesto.manifest)

# wavemix.exe: the mixer from the command line, with the same manifest and icon.
program_rc(wavemix "wavemix, the wave mixer from the command line")
add_executable(wavemix ${PROJECT_SOURCE_DIR}/tools/wavemix.cpp ${KESTO_RC_FILE} ${KESTO_ICO})
target_link_libraries(wavemix PRIVATE mixer kesto_headless kesto_win32_wave)
set_target_properties(wavemix PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})

# dat/, cg/, the font and the Windows WAVEMIX.INI beside the programs.
add_custom_target(stage_assets ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${PROJECT_SOURCE_DIR}/assets -DDST=${PROJECT_BINARY_DIR}
          -P ${PROJECT_SOURCE_DIR}/cmake/Stage.cmake
  COMMAND ${CMAKE_COMMAND} -E copy ${KESTO_WIN32_DIR}/WAVEMIX.INI ${PROJECT_BINARY_DIR}/WAVEMIX.INI
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/fonts
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTO_FONT_FILE} ${PROJECT_BINARY_DIR}/fonts/ipagp.ttf
  COMMENT "Staging dat/, cg/, fonts/ and WAVEMIX.INI beside the programs")

if(KESTO_TESTS)
  include(${KESTO_WIN32_DIR}/Tests.cmake)
endif()
