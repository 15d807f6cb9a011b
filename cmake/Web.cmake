# The browser build: the game on the SDL backend under Emscripten, with the
# page's music player and boxes (platform/web) in place of FluidSynth and SDL
# windows of its own. Configured by scripts/build-web:
#   emcmake cmake -S . -B build-web -DKESTO_PLATFORM=web -DKESTO_WEB_LIBS=PREFIX
#                 -DKESTO_WEB_FONT=SUBSET.ttf
# PREFIX holds SDL2, SDL2_ttf, HarfBuzz and FreeType built for WebAssembly
# (web/build-libs).
if(NOT EMSCRIPTEN)
  message(FATAL_ERROR "KESTO_PLATFORM=web needs Emscripten's toolchain (emcmake cmake ...)")
endif()
set(KESTO_WEB_LIBS "" CACHE PATH "Prefix of SDL2, SDL2_ttf, HarfBuzz and FreeType for WebAssembly")
set(KESTO_WEB_FONT "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf" CACHE FILEPATH
    "The face the game draws its texts with (a subset will do)")
if(NOT EXISTS "${KESTO_WEB_LIBS}/lib/libSDL2.a")
  message(FATAL_ERROR "KESTO_WEB_LIBS=${KESTO_WEB_LIBS} has no lib/libSDL2.a (run web/build-libs)")
endif()

add_compile_options(-Os)
include_directories(${CMAKE_SOURCE_DIR})

add_library(web_sdl INTERFACE)
target_include_directories(web_sdl INTERFACE ${KESTO_WEB_LIBS}/include/SDL2)
target_link_libraries(web_sdl INTERFACE
  ${KESTO_WEB_LIBS}/lib/libSDL2_ttf.a
  ${KESTO_WEB_LIBS}/lib/libharfbuzz.a
  ${KESTO_WEB_LIBS}/lib/libfreetype.a
  ${KESTO_WEB_LIBS}/lib/libSDL2.a)

# The SDL backend without FluidSynth; the page plays the music.
set(sdl ${CMAKE_SOURCE_DIR}/platform/sdl)
add_library(platform STATIC
  ${CMAKE_SOURCE_DIR}/platform/Host.cpp
  ${CMAKE_SOURCE_DIR}/platform/Json.cpp
  ${CMAKE_SOURCE_DIR}/platform/WavFile.cpp
  ${CMAKE_SOURCE_DIR}/platform/Profile.cpp
  ${sdl}/Picture.cpp
  ${sdl}/SdlHost.cpp
  ${sdl}/SdlMessageBox.cpp
  ${sdl}/SdlPictureView.cpp
  ${sdl}/SdlWaveOut.cpp
  ${CMAKE_SOURCE_DIR}/platform/web/WebPage.cpp
  ${CMAKE_SOURCE_DIR}/platform/web/WebMusic.cpp)
target_link_libraries(platform PRIVATE web_sdl)

add_subdirectory(mixer)
add_subdirectory(assets)
add_subdirectory(game)
add_subdirectory(web)
