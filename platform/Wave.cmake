# The wave-out devices of both backends and the profile reader the mixer's
# configuration is read with.
target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/headless/VirtualWaveOut.cpp
  ${CMAKE_CURRENT_LIST_DIR}/sdl/SdlWaveOut.cpp)
