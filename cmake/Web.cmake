# The browser build: the game on the SDL backend under Emscripten, with the
# page's music player and boxes (platform/web) in place of FluidSynth and SDL
# windows of its own. Configured by scripts/build-web:
#   emcmake cmake -S . -B build-web -DKESTO_PLATFORM=web -DKESTO_WEB_LIBS=PREFIX
# PREFIX holds SDL2, SDL2_ttf and FreeType built for WebAssembly
# (web/build-libs). The portable layers (kesto_core, mixer, game) are the
# desktop's own targets; the backend's are made here from the SDL backend's
# sources.
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "KESTO_PLATFORM=web needs Emscripten's toolchain (emcmake cmake ...)")
endif()
set(KESTO_WEB_LIBS "" CACHE PATH "Prefix of SDL2, SDL2_ttf and FreeType for WebAssembly")
if(NOT EXISTS "${KESTO_WEB_LIBS}/lib/libSDL2.a")
  message(FATAL_ERROR "KESTO_WEB_LIBS=${KESTO_WEB_LIBS} has no lib/libSDL2.a (run web/build-libs)")
endif()

target_compile_options(kesto_options INTERFACE -Os)
# No desktop SDL from pkg-config: the backend targets below replace it.
set(KESTO_SDL OFF)
add_subdirectory(platform)
add_subdirectory(mixer)
add_subdirectory(assets)
add_subdirectory(game)

add_library(web_sdl INTERFACE)
target_include_directories(web_sdl INTERFACE ${KESTO_WEB_LIBS}/include/SDL2)
target_link_libraries(web_sdl INTERFACE
  ${KESTO_WEB_LIBS}/lib/libSDL2_ttf.a
  ${KESTO_WEB_LIBS}/lib/libfreetype.a
  ${KESTO_WEB_LIBS}/lib/libSDL2.a)

set(p ${PROJECT_SOURCE_DIR}/platform)
# The services the portable code calls (files, picture codec, text), linked
# into the program directly as on the desktop.
add_library(kesto_web_services OBJECT ${p}/posix/Files.cpp ${p}/sdl/SdlPicture.cpp ${p}/sdl/Fonts.cpp)
target_link_libraries(kesto_web_services PRIVATE kesto_core web_sdl)
# The SDL backend without FluidSynth; the page plays the music.
add_library(kesto_web_sdl STATIC
  ${p}/sdl/SdlWaveOut.cpp
  ${p}/sdl/SdlHost.cpp
  ${p}/sdl/SdlMessageBox.cpp
  ${p}/sdl/SdlPictureView.cpp
  ${p}/web/WebPage.cpp
  ${p}/web/WebMusic.cpp)
target_link_libraries(kesto_web_sdl PUBLIC kesto_core PRIVATE web_sdl)

add_subdirectory(web)
