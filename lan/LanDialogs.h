#pragma once
// The four small modal dialogs of a LAN game start: the set-up (nickname and side), the
// host's wait for an opponent, the direct connect and the room search. Each is built in
// code from an empty in-memory template; its controls are made when it opens. The
// dialogs only collect a choice: what the choice starts belongs to the main window.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace Tavrune {

class LanRoomList;

class LanDialogs {
 public:
  static constexpr int ID_NICKNAME = 101;
  static constexpr int ID_SIDE_RANDOM = 201;
  static constexpr int ID_SIDE_RED = 202;
  static constexpr int ID_SIDE_BLACK = 203;
  static constexpr int ID_ADDRESS = 101;
  static constexpr int ID_PORT = 102;
  static constexpr int ID_SEARCH_STATUS = 200;
  static constexpr int ID_ROOM_LIST = 201;
  // A room search that ends on a room ends with this plus the room's index.
  static constexpr INT_PTR ROOM_RESULT_BASE = 100;
  static constexpr UINT_PTR REFRESH_TIMER = 1;
  static constexpr UINT REFRESH_MS = 500;
  static constexpr int MAX_NICKNAME_CHARS = 63;
  static constexpr int MAX_ADDRESS_CHARS = 255;
  static constexpr int32_t DEFAULT_PORT = 8888;

  struct SetupData {
    std::wstring nickname;
    int32_t sideChoice = 0;  // 0 random, 1 red, 2 black
    bool confirmed = false;
  };
  struct WaitingData {
    std::wstring text;
    // Asked every tick: the opponent has connected, the wait is over.
    std::function<bool()> opponentArrived;
    // The user gave up waiting.
    std::function<void()> cancelWait;
    bool connected = false;
    bool cancelled = false;
  };
  struct ConnectData {
    bool confirmed = false;
  };
  struct RoomSearchData {
    LanRoomList* rooms = nullptr;  // filled by the discovery thread while the dialog is open
    bool closed = false;           // cancelled or closed without choosing a room
  };

  // Each runs its dialog over `owner` and gives its end code; -1 when it could not open.
  static INT_PTR runSetup(HWND owner, SetupData& data);
  static INT_PTR runWaiting(HWND owner, WaitingData& data);
  static INT_PTR runConnect(HWND owner, ConnectData& data);
  static INT_PTR runRoomSearch(HWND owner, RoomSearchData& data);

  // The direct connect's address and port, offered again by its next opening in this run.
  static std::wstring& lastAddress();
  static int32_t& lastPort();
  // A typed port: 1..65535 stands, anything else (0 for an empty field) is the game port.
  static int32_t portOrDefault(uint32_t typed);

  static INT_PTR CALLBACK lanSetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK waitForOpponentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK roomSearchDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace Tavrune
