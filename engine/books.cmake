# Opening books and the online opening book: platform-neutral. The WinINet client behind
# IHttpClient lives in platform/.
add_library(tavrune_books STATIC
  ${CMAKE_CURRENT_LIST_DIR}/CloudBook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EleeyeOpeningBook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EleeyeZobrist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MrxqOpeningBook.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MrxqZobrist.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MrxqZobristTable.cpp
  ${CMAKE_CURRENT_LIST_DIR}/OpeningBookSet.cpp
)
target_link_libraries(tavrune_books PUBLIC tavrune_game tavrune_core)
