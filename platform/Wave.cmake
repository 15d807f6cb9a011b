# The wave-out devices of both backends.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/headless/VirtualWaveOut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/SdlWaveOut.cpp)
