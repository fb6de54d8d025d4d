#include "chat/chat_tabs.h"

#include <QTabBar>
#include <QTabWidget>
#include <algorithm>

#include "chat/chat_host.h"
#include "chat/chat_sheet.h"
#include "chat/frame_chat_room.h"
#include "chat/room_list_model.h"
#include "chat/talk_route.h"
#include "platform/cp932.h"
#include "platform/platform.h"
#include "platform/qt_text.h"
#include "session/answer_texts.h"

namespace {
const std::string& PrivateTalkCaption() {
  static const std::string caption = cp932::FromUtf8("【個別 チャット】");
  return caption;
}
}  // namespace

ChatTabs::ChatTabs(ChatHost& host, LobbySession& session, const RoomListModel& rooms, QTabWidget* pageControl)
    : QObject(pageControl), host_(host), session_(session), rooms_(rooms), pageControl_(pageControl) {
  setObjectName(QStringLiteral("ChatTabs"));
  pageControl_->setUsesScrollButtons(true);
  pageControl_->setElideMode(Qt::ElideNone);
  pageControl_->setIconSize(QSize(16, 16));
  connect(pageControl_, &QTabWidget::currentChanged, this, &ChatTabs::PageControl1Change);
  // Every tab goes with the connection, the private talk tab too.
  connect(&session_, &LobbySession::closed, this, &ChatTabs::DestroyAll);
  subscriptions_.push_back(session_.subscribe(this, &ChatTabs::RecvAEnterRoom));
  subscriptions_.push_back(session_.subscribe(this, &ChatTabs::RecvTalk));
  subscriptions_.push_back(session_.subscribe(this, &ChatTabs::RecvUserEnter));
  subscriptions_.push_back(session_.subscribe(this, &ChatTabs::RecvUserLeave));
  subscriptions_.push_back(session_.subscribe(this, &ChatTabs::RecvUserChange));
  // The lines of one batch of arriving messages reach the disk together, once
  // control is back in the event loop.
  logFlush_.setSingleShot(true);
  logFlush_.setInterval(0);
  connect(&logFlush_, &QTimer::timeout, this, [this] {
    if (logs_) logs_->Flush();  // to the writer's thread, without waiting for the disk
  });
}

// The writer's end closes every file, so the program's end loses no line shown.
ChatTabs::~ChatTabs() = default;

ChatLogWriter* ChatTabs::Logs() {
  if (!host_.SaveChatLog()) return nullptr;
  if (!logs_) {
    std::string folder = host_.LogsFolder();
    // No home to keep them in: the settings have none either, and the window
    // said so at start-up.
    if (folder.empty()) return nullptr;
    // The writer tells its first failure from either thread; the box comes
    // from the event loop, never from inside a talk handler (its own loop may
    // take the tab away).
    logs_ = std::make_unique<ChatLogWriter>(std::move(folder), logClock_, [this] {
      QMetaObject::invokeMethod(
          this, [this] { ShowLogProblem(); }, Qt::QueuedConnection);
    });
  }
  return logs_->Failed() ? nullptr : logs_.get();
}

void ChatTabs::ScheduleLogFlush() {
  if (!logFlush_.isActive()) logFlush_.start();
}

void ChatTabs::LogShown(const TChatSheet* sheet, const ChatLine& line) {
  if (ChatLogWriter* logs = Logs()) {
    logs->WriteParts(sheet->GetRoomName(), {line.prefix, line.namePart, line.body});
    ScheduleLogFlush();
  }
}

void ChatTabs::LogEntered(const TChatSheet* sheet) {
  if (ChatLogWriter* logs = Logs()) {
    logs->Enter(sheet->GetRoomName());
    ScheduleLogFlush();
  }
}

void ChatTabs::FlushLogs() {
  if (logs_) logs_->Sync();
}

void ChatTabs::ShowLogProblem() {
  if (!logs_ || !logs_->Failed() || logProblemShown_) return;
  logProblemShown_ = true;
  Platform::current().errorBox(host_.MainWindow(),
                               QStringLiteral("チャットログを保存できませんでした。以後のログは保存しません。\n") +
                                   QString::fromUtf8(logs_->Problem().c_str()));
}

void ChatTabs::ChatLogSettingChanged() {
  if (!logs_) return;
  // Turned off, or on again after a failure: the files start afresh.
  logs_->Reset();
  logProblemShown_ = false;
}

void ChatTabs::SetLogClock(std::function<LogStamp()> clock) {
  logClock_ = std::move(clock);
  logs_.reset();
}

int ChatTabs::PageCount() const { return pageControl_->count(); }

TChatSheet* ChatTabs::Page(int index) const { return qobject_cast<TChatSheet*>(pageControl_->widget(index)); }

TChatSheet* ChatTabs::ChatTabOf(int16_t room) const {
  for (int i = 0; i < pageControl_->count(); ++i) {
    TChatSheet* sheet = Page(i);
    if (sheet != nullptr && sheet->GetRoomNumber() == room) return sheet;
  }
  return nullptr;
}

TChatSheet* ChatTabs::ActiveChatTab() const { return qobject_cast<TChatSheet*>(pageControl_->currentWidget()); }

bool ChatTabs::IsActive(const TChatSheet* sheet) const { return sheet != nullptr && sheet == ActiveChatTab(); }

void ChatTabs::SetClock(std::function<ClockTime()> clock) {
  clock_ = std::move(clock);
  for (int i = 0; i < PageCount(); ++i) {
    if (TChatSheet* sheet = Page(i); sheet != nullptr && clock_) sheet->SetClock(clock_);
  }
}

TChatSheet* ChatTabs::CreateSheet(int16_t room, const std::string& name, const std::string& password, int32_t teamId) {
  auto* sheet = new TChatSheet(pageControl_, host_.UserInfoAddress(), room, name, password, teamId, &session_,
                               host_.MainWindow());
  sheet->SetSoundFolder(host_.DataFolder());
  if (clock_) sheet->SetClock(clock_);
  // The room list is modal: open it from the event loop, not from inside the
  // tab's button handler, so a departure handled while it is open can delete
  // the tab without pulling it out from under a running handler.
  // The pages may outlive this controller while the page control is torn down;
  // connected with this as the context, their events end with it.
  connect(sheet, &TChatSheet::OnRoomListClick, this, [this] {
    QMetaObject::invokeMethod(
        this, [this] { host_.ShowRoomList(); }, Qt::QueuedConnection);
  });
  connect(sheet, &TChatSheet::OnUserSetTalk, this,
          [this](TChatSheet*, const std::string& talkMsg, bool bEnter) { UserSetTalk(talkMsg, bEnter); });
  // Appending keeps the current page (the private talk tab arrives in the
  // background) unless this is the first page. No tool tip with the name: a
  // tool tip would render a name that looks like markup as markup.
  pageControl_->addTab(sheet, ChatTabImage(sheet->ImageIndex()), TabCaptionOf(name));
  LogEntered(sheet);
  return sheet;
}

void ChatTabs::DestroyTab(TChatSheet* sheet) {
  const int index = pageControl_->indexOf(sheet);
  if (index < 0) return;
  if (logs_ && !logs_->Failed()) logs_->Close(sheet->GetRoomName());
  pageControl_->removeTab(index);
  sheet->Frame()->RoomLeft();
  sheet->disconnect(this);
  sheet->hide();
  sheet->deleteLater();
  Q_EMIT OnUnseenTalkChange();
}

void ChatTabs::RecvAEnterRoom(const GmAEnterRoom::Info& info) {
  if (info.status != NetDef::StatusOk) {
    if (const auto refusal = AEnterRoomRefusal(info.status, info.message)) {
      Platform::current().errorBox(host_.MainWindow(), ToQString(*refusal));
    }
    return;
  }
  if (ChatTabOf(info.room) != nullptr) return;
  const std::string name = rooms_.RoomNameOf(info.room);
  const std::string password = info.password;
  const int32_t teamId = static_cast<int32_t>(info.teamId);
  TChatSheet* sheet = CreateSheet(info.room, name, password, teamId);
  pageControl_->setCurrentWidget(sheet);
  PageControl1Change();
  if (const std::optional<bool> sound = host_.RememberRoom(name, password, teamId)) sheet->SetRoomCheckSound(*sound);
  host_.FocusChatInput();
}

void ChatTabs::RecvTalk(const GmTalk::Info& info) {
  TChatSheet* active = ActiveChatTab();
  // Another member's talk that names the player; never the player's own.
  const bool namesPlayer = info.sender != session_.clientId() && NamesPlayer(info.text, session_.playerName());
  const TalkRoute route = RouteTalk(
      info.room, info.kind, active != nullptr ? std::optional(active->GetRoomNumber()) : std::nullopt, namesPlayer);
  GmTalk::Info talk = info;
  TChatSheet* target = nullptr;
  switch (route.tab) {
    case TalkTab::Room:
      target = ChatTabOf(talk.room);
      break;
    case TalkTab::PrivateTalk:
      target = ChatTabOf(NetDef::PrivateTalkRoom);
      if (target == nullptr) {
        target = CreateSheet(NetDef::PrivateTalkRoom, PrivateTalkCaption(), std::string(), 0);
        target->SetRoomCheckSound(false);
      }
      break;
    case TalkTab::Active:
      target = active;
      if (target != nullptr) talk.room = target->GetRoomNumber();
      break;
  }
  if (target == nullptr) return;
  const bool showTime = host_.ChatTime();
  target->RecvTalkCommand(talk.text);
  if (const std::optional<ChatLine> shown = target->AddLog(talk, showTime, route.highlight)) LogShown(target, *shown);
  if (route.noticeInActive) {
    GmTalk::Info notice = talk;
    notice.room = active->GetRoomNumber();
    notice.sender = 0;
    notice.name[0] = '\0';
    notice.kind = NetDef::TalkNotice2;
    CopyText(notice.text, PrivateTalkNotice(talk.name).c_str());
    if (const std::optional<ChatLine> shown = active->AddLog(notice, showTime, false)) LogShown(active, *shown);
  }
  if (route.alert) {
    QWidget* window = host_.MainWindow();
    if (window != nullptr && !window->isActiveWindow()) {
      Platform::current().alert(window);
      // A private talk says so; a line naming the player says in which room.
      const QString summary =
          route.tab == TalkTab::PrivateTalk ? QStringLiteral("個別チャット") : ToQString(target->GetRoomName());
      Platform::current().notify(window, summary, ToQString(talk.name) + QStringLiteral(" > ") + ToQString(talk.text));
    }
  }
  if (!IsActive(target)) {
    target->SetTitleMark(true);
    Q_EMIT OnUnseenTalkChange();
  }
}

void ChatTabs::RecvUserEnter(const GmUserEnter::Info& info) {
  if (TChatSheet* sheet = ChatTabOf(info.room)) sheet->AddUserList(info);
}

void ChatTabs::RecvUserLeave(const GmUserLeave::Info& info) {
  const int n = std::clamp(info.count, 0, NetDef::MaxList16);
  const int16_t self = session_.clientId();
  for (int i = 0; i < n; ++i) {
    TChatSheet* sheet = ChatTabOf(info.entries[i].room);
    if (sheet == nullptr) continue;
    sheet->DeleteUserList(info.entries[i].clientId);
    if (info.entries[i].clientId == self) DestroyTab(sheet);
  }
}

void ChatTabs::RecvUserChange(const GmUserChange::Info& info) {
  if (TChatSheet* sheet = ChatTabOf(info.room)) sheet->ChangeUserInfo(info.clientId, info.level);
}

void ChatTabs::SendTalk(const std::string& text) {
  TChatSheet* active = ActiveChatTab();
  if (active == nullptr) return;
  GmTalk::Info talk;
  talk.room = active->GetRoomNumber();
  talk.sender = session_.clientId();
  talk.name[0] = '\0';
  CopyText(talk.text, std::string(cp932::CutToBytes(text, NetDef::TalkBytes)).c_str());
  talk.kind = NetDef::TalkNormal;
  session_.send(talk);
}

void ChatTabs::LeaveActiveRoom() {
  TChatSheet* active = ActiveChatTab();
  if (active == nullptr) return;
  if (active->GetRoomNumber() == NetDef::PrivateTalkRoom) {
    DestroyTab(active);
    return;
  }
  GmLeaveRoom::Info leave;
  leave.room = active->GetRoomNumber();
  session_.send(leave);
}

void ChatTabs::SelectStep(int step) {
  const int n = pageControl_->count();
  if (n == 0) return;
  const int current = std::max(pageControl_->currentIndex(), 0);
  for (int k = 1; k <= n; ++k) {
    const int index = ((current + step * k) % n + n) % n;
    if (!pageControl_->isTabVisible(index)) continue;
    pageControl_->setCurrentIndex(index);
    PageControl1Change();
    return;
  }
}

void ChatTabs::MenuPrev() { SelectStep(-1); }
void ChatTabs::MenuNext() { SelectStep(1); }

void ChatTabs::PageControl1Change() {
  if (TChatSheet* sheet = ActiveChatTab()) sheet->SetTitleMark(false);
  Q_EMIT OnUnseenTalkChange();
}

bool ChatTabs::HasUnseenTalk() const {
  for (int i = 0; i < PageCount(); ++i) {
    const TChatSheet* sheet = Page(i);
    if (sheet != nullptr && sheet->ImageIndex() == TChatSheet::ImageNewTalk) return true;
  }
  return false;
}

void ChatTabs::UserSetTalk(const std::string& talkMsg, bool bEnter) {
  if (bEnter) {
    SendTalk(talkMsg);
  } else {
    host_.SetChatInput(talkMsg);
  }
}

void ChatTabs::DestroyAll() {
  while (pageControl_->count() > 0) {
    TChatSheet* sheet = Page(0);
    if (sheet != nullptr) {
      DestroyTab(sheet);
    } else {
      pageControl_->removeTab(0);
    }
  }
  // No wait for the disk here: only a room with a tab has a log file open, and
  // each DestroyTab has closed its room's file and waited for it (after a
  // failure nothing more is written anyway).
}

std::vector<RememberedRoom> ChatTabs::OpenRooms() const {
  std::vector<RememberedRoom> rooms;
  for (int i = 0; i < PageCount(); ++i) {
    const TChatSheet* sheet = Page(i);
    if (sheet == nullptr) continue;
    rooms.push_back({sheet->GetRoomNumber(), sheet->GetRoomName(), sheet->GetRoomPassword(), sheet->GetRoomTeamID(),
                     sheet->GetRoomCheckSound()});
  }
  return rooms;
}
