target_sources(platform PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/HeadlessHost.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../Json.cpp)
