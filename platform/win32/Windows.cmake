# The Windows configuration (cmake/mingw-w64.cmake): the same game, mixer and
# tools on the native backend in this folder, static programs that import
# only system DLLs. The Linux configuration never reads this file.
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)
# Small programs: unused functions and data are dropped at the link.
add_compile_options(-ffunction-sections -fdata-sections)
add_link_options(-Wl,--gc-sections)

set(KESTO_WIN32_DIR ${CMAKE_SOURCE_DIR}/platform/win32)
# IPA P Gothic from Debian's fonts-ipafont-gothic, shipped beside the game.
set(KESTO_FONT_FILE /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf CACHE FILEPATH "The game's face")
if(NOT EXISTS ${KESTO_FONT_FILE})
  message(FATAL_ERROR "${KESTO_FONT_FILE} is missing: install fonts-ipafont-gothic")
endif()

# The platform layer: the portable parts, the headless backend (virtual
# time, for the tests and the runner) and the native one.
add_library(platform STATIC
  ${CMAKE_SOURCE_DIR}/platform/Host.cpp
  ${CMAKE_SOURCE_DIR}/platform/WavFile.cpp
  ${CMAKE_SOURCE_DIR}/platform/Profile.cpp
  ${CMAKE_SOURCE_DIR}/platform/Json.cpp
  ${CMAKE_SOURCE_DIR}/platform/headless/HeadlessHost.cpp
  ${CMAKE_SOURCE_DIR}/platform/headless/VirtualWaveOut.cpp
  ${KESTO_WIN32_DIR}/BmpDecoder.cpp
  ${KESTO_WIN32_DIR}/Files.cpp
  ${KESTO_WIN32_DIR}/GdiText.cpp
  ${KESTO_WIN32_DIR}/MciMidiPlayer.cpp
  ${KESTO_WIN32_DIR}/Picture.cpp
  ${KESTO_WIN32_DIR}/Png.cpp
  ${KESTO_WIN32_DIR}/Text.cpp
  ${KESTO_WIN32_DIR}/Win32Host.cpp
  ${KESTO_WIN32_DIR}/Win32WaveOut.cpp)
target_link_libraries(platform PUBLIC winmm gdi32 user32)

add_subdirectory(mixer)
# The nine character pictures, as in the Linux build but run-length encoded
# first (a fifth of the size), so the program stays small.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
file(STRINGS ${CMAKE_SOURCE_DIR}/assets/CMakeLists.txt picture_line REGEX "^set\\(KESTO_PICTURES ")
string(REGEX REPLACE "^set\\(KESTO_PICTURES ([^)]*)\\).*" "\\1" KESTO_PICTURES "${picture_line}")
separate_arguments(KESTO_PICTURES)
set(rle_dir ${CMAKE_BINARY_DIR}/pictures-rle8)
set(rle_files "")
foreach(name ${KESTO_PICTURES})
  add_custom_command(OUTPUT ${rle_dir}/${name}.bmp
    COMMAND ${CMAKE_COMMAND} -E make_directory ${rle_dir}
    COMMAND Python3::Interpreter ${KESTO_WIN32_DIR}/rle8.py ${CMAKE_SOURCE_DIR}/assets/pictures/${name}.bmp
            ${rle_dir}/${name}.bmp
    DEPENDS ${CMAKE_SOURCE_DIR}/assets/pictures/${name}.bmp ${KESTO_WIN32_DIR}/rle8.py)
  list(APPEND rle_files ${rle_dir}/${name}.bmp)
endforeach()
string(REPLACE ";" "," picture_names "${KESTO_PICTURES}")
set(embedded_cpp ${CMAKE_BINARY_DIR}/EmbeddedPictures.cpp)
add_custom_command(OUTPUT ${embedded_cpp}
  COMMAND ${CMAKE_COMMAND} -DNAMES=${picture_names} -DDIR=${rle_dir} -DOUT=${embedded_cpp}
          -P ${CMAKE_SOURCE_DIR}/cmake/Embed.cmake
  DEPENDS ${rle_files} ${CMAKE_SOURCE_DIR}/cmake/Embed.cmake
  COMMENT "Embedding the character pictures")
add_library(embedded_pictures STATIC ${embedded_cpp})
add_subdirectory(game)
add_subdirectory(app)
add_subdirectory(tools)

# kesto.exe: a window program (no console) with its manifest: the UTF-8
# code page for the C library's file names, the common controls of the
# message boxes, awareness of the screen's scale.
add_executable(kesto WIN32 kesto.cpp ${KESTO_WIN32_DIR}/kesto.rc)
target_link_libraries(kesto PRIVATE kesto_app)
set_target_properties(kesto PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
set_source_files_properties(${KESTO_WIN32_DIR}/kesto.rc PROPERTIES
  OBJECT_DEPENDS ${KESTO_WIN32_DIR}/kesto.manifest)
target_sources(wavemix PRIVATE ${KESTO_WIN32_DIR}/console.rc)
set_source_files_properties(${KESTO_WIN32_DIR}/console.rc PROPERTIES
  OBJECT_DEPENDS ${KESTO_WIN32_DIR}/kesto.manifest)

# dat/, cg/ and the font beside the programs.
add_custom_target(stage_assets ALL
  COMMAND ${CMAKE_COMMAND} -DSRC=${CMAKE_SOURCE_DIR}/assets -DDST=${CMAKE_BINARY_DIR}
          -P ${CMAKE_SOURCE_DIR}/cmake/Stage.cmake
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fonts
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KESTO_FONT_FILE} ${CMAKE_BINARY_DIR}/fonts/ipagp.ttf
  COMMENT "Staging dat/, cg/ and fonts/ beside the programs")

if(KESTO_TESTS)
  include(${KESTO_WIN32_DIR}/Tests.cmake)
endif()
