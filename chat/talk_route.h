#pragma once
// Where a received talk goes, decided without a widget: the tab that logs it,
// whether the active tab gets the "private talk received" notice and whether the
// window is flashed. ChatTabs applies the route to its pages.

#include <cstdint>
#include <optional>
#include <string_view>

enum class TalkTab {
  Room,         // the tab of the talk's room; nothing when there is none
  PrivateTalk,  // the private talk tab, opened when there is none
  Active,       // the active tab, logged as its own room's; nothing when no page is open
};

struct TalkRoute {
  TalkTab tab = TalkTab::Room;
  bool noticeInActive = false;  // the active tab (not the private one) hears who talked privately
  bool alert = false;           // flash the main window when it is not the active window
  bool highlight = false;       // the line names the player: drawn marked
  friend bool operator==(const TalkRoute&, const TalkRoute&) = default;
};

// room and kind are the talk's; activeRoom is the room of the active page,
// nullopt when no page is open. namesPlayer: another member's talk names the
// player (NamesPlayer); a member's talk (not a notice) that does is marked and,
// like a private talk, alerts the window.
TalkRoute RouteTalk(int16_t room, uint8_t kind, std::optional<int16_t> activeRoom, bool namesPlayer = false);

// Whether the text (CP932 bytes) holds the player's name, starting on a
// character boundary; ASCII letters compare without regard to case, every other
// byte exactly. An empty name is in no text.
bool NamesPlayer(std::string_view text, std::string_view playerName);
