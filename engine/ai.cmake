# The engine front end (books first, then the engine, pondering, bounded restarts) and
# the turn flow of a game against the engine: platform-neutral.
add_library(tavrune_ai STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AI.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AIMoveRequests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AIQueries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AISettingChanges.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PveController.cpp
)
target_link_libraries(tavrune_ai PUBLIC tavrune_engine tavrune_books tavrune_game tavrune_core)
