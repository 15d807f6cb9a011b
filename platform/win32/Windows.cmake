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

add_subdirectory(platform)
add_subdirectory(mixer)

# The nine character pictures, as in the Linux build but run-length encoded
# first (a fifth of the size), so the program stays small.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(STRINGS ${PROJECT_SOURCE_DIR}/assets/CMakeLists.txt picture_line REGEX "^set\\(KESTO_PICTURES ")
string(REGEX REPLACE "^set\\(KESTO_PICTURES ([^)]*)\\).*" "\\1" KESTO_PICTURES "${picture_line}")
separate_arguments(KESTO_PICTURES)
set(rle_dir ${PROJECT_BINARY_DIR}/pictures-rle8)
set(rle_files "")
foreach(name ${KESTO_PICTURES})
  add_custom_command(OUTPUT ${rle_dir}/${name}.bmp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${rle_dir}
    COMMAND Python3::Interpreter ${KESTO_WIN32_DIR}/rle8.py ${PROJECT_SOURCE_DIR}/assets/pictures/${name}.bmp
            ${rle_dir}/${name}.bmp
    DEPENDS ${PROJECT_SOURCE_DIR}/assets/pictures/${name}.bmp ${KESTO_WIN32_DIR}/rle8.py)
  list(APPEND rle_files ${rle_dir}/${name}.bmp)
endforeach()
string(REPLACE ";" "," picture_names "${KESTO_PICTURES}")
set(embedded_cpp ${PROJECT_BINARY_DIR}/EmbeddedPictures.cpp)
add_custom_command(OUTPUT ${embedded_cpp}
  COMMAND ${CMAKE_COMMAND} -DNAMES=${picture_names} -DDIR=${rle_dir} -DOUT=${embedded_cpp}
          -P ${PROJECT_SOURCE_DIR}/cmake/Embed.cmake
  DEPENDS ${rle_files} ${PROJECT_SOURCE_DIR}/cmake/Embed.cmake
  COMMENT "Embedding the character pictures")
add_library(embedded_pictures STATIC ${embedded_cpp})
target_include_directories(embedded_pictures PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
target_link_libraries(embedded_pictures PRIVATE kesto_options)

add_subdirectory(game)

# The services the portable code calls (Files.h, Signals.h, the picture codec and the
# text rasteriser), as an object library linked into each program ahead of
# the static libraries that call them.
add_library(kesto_win32_services OBJECT
  ${KESTO_WIN32_DIR}/BmpDecoder.cpp
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
add_library(kesto_win32 STATIC ${KESTO_WIN32_DIR}/Win32Host.cpp ${KESTO_WIN32_DIR}/MciMidiPlayer.cpp
  ${KESTO_WIN32_DIR}/Console.cpp)
target_link_libraries(kesto_win32 PUBLIC kesto_core kesto_win32_wave winmm gdi32 user32 comctl32 kesto_win32_platform)

add_library(kesto_app STATIC ${PROJECT_SOURCE_DIR}/app/Application.cpp ${PROJECT_SOURCE_DIR}/app/HeadlessRunner.cpp)
target_link_libraries(kesto_app PUBLIC game kesto_win32 kesto_headless)

# kesto.exe: a window program (no console) with its manifest: the UTF-8
# code page for the C library's file names, the common controls of the
# message boxes, awareness of the screen's scale.
add_executable(kesto WIN32 kesto.cpp ${KESTO_WIN32_DIR}/kesto.rc)
target_link_libraries(kesto PRIVATE kesto_app)
set_target_properties(kesto PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
set_source_files_properties(${KESTO_WIN32_DIR}/kesto.rc ${KESTO_WIN32_DIR}/console.rc PROPERTIES
  OBJECT_DEPENDS ${KESTO_WIN32_DIR}/kesto.manifest)

# wavemix.exe: the mixer from the command line, on the same manifest.
add_executable(wavemix ${PROJECT_SOURCE_DIR}/tools/wavemix.cpp ${KESTO_WIN32_DIR}/console.rc)
target_link_libraries(wavemix PRIVATE mixer kesto_headless kesto_win32_wave kesto_win32_platform)
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
