#pragma once
// The stadium list pane of the main window (PanelGameList): the group box with
// the list GameList2 and, under it, Panel1 with the wait and enter buttons and
// the waiting label. It subscribes to the stadium and waiting messages of the
// session, sends the waits and starts the game, and follows the session's state
// itself: the list is emptied and the wait ends when a connection opens or
// closes, and its enabling rules apply whenever the state or the list changes.

#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "lobby/game_launch.h"
#include "lobby/stadium_row.h"
#include "net/net_messages.h"
#include "session/lobby_session.h"

class QGroupBox;
class QLabel;
class QPushButton;
class QTreeView;
class StadiumList;
class StadiumTableModel;

class TGameListPanel final : public QWidget {
  Q_OBJECT
 public:
  // setup gives what starting the game needs at the moment it starts. The
  // session must outlive the panel.
  TGameListPanel(LobbySession& session, std::function<GameSetup()> setup, QWidget* parent = nullptr);
  ~TGameListPanel() override;

  void ButtonReserveClick();
  void ButtonGameClick();
  void EnterWaitingState(const StadiumRow* row);
  void LeaveWaitingState();

  // Empties the list (the connection opened or closed).
  void ClearStadiums();

  bool waiting() const { return waiting_; }
  const StadiumList& stadiums() const;
  const StadiumRow* SelectedStadiumRow() const;
  std::optional<size_t> SelectedIndex() const;
  // The first row in display order with this stadium id, or nullptr.
  const StadiumRow* FindStadiumRow(uint32_t id) const;

  // Column widths, GameColumn0..GameColumn6 in the settings file.
  std::array<int, StadiumColumnCount> ColumnWidths() const;
  void SetColumnWidth(int column, int width);
  static int DesignColumnWidth(int column);

  QGroupBox* GroupGameList() const { return group_; }
  QTreeView* GameList2() const { return list_; }
  QPushButton* ButtonReserve() const { return buttonReserve_; }
  QPushButton* ButtonGame() const { return buttonGame_; }
  QLabel* LabelReserve() const { return labelReserve_; }

 private:
  // The stadium and waiting messages of the session. The waiting handler takes
  // its own copy: boxes opened here let further messages arrive.
  void StadiumAddReceived(const GmStadiumAdd::Info& info);
  void StadiumDeleteReceived(const GmStadiumDelete::Info& info);
  void StadiumStateReceived(const GmStadiumState::Info& info);
  void StadiumTeamsReceived(const GmStadiumTeams::Info& info);
  void WaitingReceived(GmWaiting::Info info);
  // The enabling rules of the list and the two buttons.
  void UpdateControls();
  // A connection opened or closed: no stadium and no wait are left of it.
  void ConnectionChanged();
  void PlayGoGameSound();

  LobbySession& session_;
  std::function<GameSetup()> setup_;
  StadiumTableModel* model_;
  QGroupBox* group_;
  QTreeView* list_;
  QWidget* panel1_;
  QPushButton* buttonReserve_;
  QPushButton* buttonGame_;
  QLabel* labelReserve_;
  bool waiting_ = false;
  LobbySession::Subscriptions subscriptions_;
};
