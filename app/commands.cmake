# The menu, confirmations, game sessions and record handling as decisions and texts
# that need no window (both builds), and the Windows menu bar built from them.
add_library(tavrune_commands STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CommandTexts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ConfirmationChooser.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EngineReadyNotice.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GameSessionPlanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LanBoxQueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PromptBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScoreFilePlanner.cpp
)
target_link_libraries(tavrune_commands PUBLIC tavrune_game tavrune_core)

if(TAVRUNE_WINDOWS)
  add_library(tavrune_menu_builder STATIC ${CMAKE_CURRENT_LIST_DIR}/MenuBuilder.cpp)
  target_link_libraries(tavrune_menu_builder PUBLIC tavrune_commands tavrune_core user32)
endif()
