target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlMessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlMidiPlayer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SdlPictureView.cpp)
