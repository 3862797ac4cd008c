# Board keys, keypad notation entry, volume keys and paint geometry: no window system,
# so they build and are tested on the host too. The GDI renderer is Windows only.
add_library(tavrune_board_input STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BoardKeys.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BoardPaintGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NotationEntry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectionFeedback.cpp
  ${CMAKE_CURRENT_LIST_DIR}/VolumeKeys.cpp
)
target_link_libraries(tavrune_board_input PUBLIC tavrune_game tavrune_core)

if(TAVRUNE_WINDOWS)
  add_library(tavrune_board_renderer STATIC ${CMAKE_CURRENT_LIST_DIR}/BoardRenderer.cpp)
  target_link_libraries(tavrune_board_renderer PUBLIC tavrune_board_input tavrune_game gdi32)
endif()
