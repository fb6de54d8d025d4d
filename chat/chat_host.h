#pragma once
// What the chat tabs and the room list window need from the main window beside
// the session: the settings they follow, the chat input, the room password
// dialog and the room list. The main window implements it (tests use a
// recording one); it must outlive every tab and the room list window. Texts are
// code page 932 bytes.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

class QWidget;

class ChatHost {
 public:
  // The chat time setting: log lines start with "hh:nn:ss ".
  virtual bool ChatTime() const = 0;
  // Whether the lines shown are also written to the chat logs on disk.
  virtual bool SaveChatLog() const = 0;
  // The folder of the chat logs (the system's narrow path); empty for none.
  virtual std::string LogsFolder() const = 0;
  // The user-page address prefix (access.ini URL/UserInfo).
  virtual std::string UserInfoAddress() const = 0;
  // Remembers an entered room (AddRoom with the call sound on) and returns the
  // call-sound flag stored for it, or nullopt when the remembered list is full.
  virtual std::optional<bool> RememberRoom(const std::string& name, const std::string& password, int32_t teamId) = 0;
  // Puts text into the chat input as its whole text, focuses it and puts the
  // caret after the last character with nothing selected.
  virtual void SetChatInput(const std::string& text) = 0;
  // Gives the chat input the focus.
  virtual void FocusChatInput() = 0;
  // The room password dialog; true with the password when the user confirms.
  virtual bool PasswordExecute(std::string& password) = 0;
  // The folder of sound/: the executable's own, or an installed client's data
  // folder. Call sounds are sound/<n>.wav beneath it.
  virtual QString DataFolder() const = 0;
  // The main window: parent of error boxes, the window alerted on private talk,
  // the window a formation window opens centred on.
  virtual QWidget* MainWindow() const = 0;
  // Sends GmRoomListRequest and shows the room list window modally.
  virtual void ShowRoomList() = 0;

 protected:
  ~ChatHost() = default;
};
