#include "chat/chat_sheet.h"

#include <QColor>
#include <QDir>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTabBar>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "chat/frame_chat_room.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

// A light bulb drawn at any size: glass, screw base and, when lit, short rays.
QPixmap DrawBulb(int size, bool lit) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 16.0, size / 16.0);
  if (lit) {
    p.setPen(QPen(QColor(230, 160, 0), 1.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(1.0, 6.0), QPointF(2.2, 6.0));
    p.drawLine(QPointF(13.8, 6.0), QPointF(15.0, 6.0));
    p.drawLine(QPointF(2.6, 1.2), QPointF(3.5, 2.1));
    p.drawLine(QPointF(13.4, 1.2), QPointF(12.5, 2.1));
  }
  QPainterPath glass;
  glass.addEllipse(QPointF(8.0, 6.0), 4.6, 4.6);
  glass.addRect(QRectF(6.0, 9.0, 4.0, 2.5));
  glass = glass.simplified();
  QRadialGradient fill(QPointF(6.8, 4.8), 5.5);
  if (lit) {
    fill.setColorAt(0.0, QColor(255, 255, 210));
    fill.setColorAt(0.6, QColor(255, 230, 40));
    fill.setColorAt(1.0, QColor(240, 190, 0));
  } else {
    fill.setColorAt(0.0, QColor(235, 235, 235));
    fill.setColorAt(1.0, QColor(175, 175, 175));
  }
  p.setPen(QPen(lit ? QColor(170, 120, 0) : QColor(110, 110, 110), 0.8));
  p.setBrush(fill);
  p.drawPath(glass);
  p.setPen(Qt::NoPen);
  p.setBrush(lit ? QColor(120, 110, 90) : QColor(120, 120, 120));
  p.drawRoundedRect(QRectF(5.8, 11.5, 4.4, 3.6), 0.8, 0.8);
  p.setPen(QPen(QColor(200, 200, 200), 0.6));
  p.drawLine(QPointF(6.0, 12.7), QPointF(10.0, 12.7));
  p.drawLine(QPointF(6.0, 13.9), QPointF(10.0, 13.9));
  return pm;
}

ClockTime LocalClock() {
  const QTime t = QTime::currentTime();
  return {t.hour(), t.minute(), t.second()};
}

}  // namespace

QIcon ChatTabImage(int index) {
  static const std::array<QIcon, 2> icons = [] {
    std::array<QIcon, 2> made;
    for (int i = 0; i < 2; ++i) {
      for (int size : {16, 24, 32}) made[static_cast<size_t>(i)].addPixmap(DrawBulb(size, i == 0));
    }
    return made;
  }();
  return icons[index == TChatSheet::ImageNewTalk ? 0 : 1];
}

QString TabCaptionOf(const std::string& roomName) {
  QString caption = ToQString(roomName);
  caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return caption;
}

TChatSheet::TChatSheet(QWidget* owner, const std::string& userInfoPrefix, int16_t room, const std::string& name,
                       const std::string& password, int32_t teamId, LobbySession* session, QWidget* formationCentre)
    : QWidget(owner), userInfoPrefix_(userInfoPrefix), clock_(LocalClock) {
  frame_ = new TFrameChatRoom(this);
  frame_->SetRoom(room, name);
  frame_->SetSession(session, formationCentre);
  connect(frame_, &TFrameChatRoom::UserCommand, this, &TChatSheet::UserCommand);
  connect(frame_, &TFrameChatRoom::RoomListClick, this, &TChatSheet::RoomListClick);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame_);
  setWindowTitle(ToQString(name));
  name_ = name;
  password_ = password;
  teamId_ = teamId;
  users_.SetRoomNumber(room);
  if (room == NetDef::PrivateTalkRoom) frame_->DisableFormationButton();
}

TChatSheet::~TChatSheet() = default;

bool TChatSheet::GetRoomCheckSound() const { return frame_ != nullptr && frame_->GetCheckSound(); }

void TChatSheet::SetRoomCheckSound(bool on) {
  if (frame_ != nullptr) frame_->SetCheckSound(on);
}

std::optional<ChatLine> TChatSheet::AddLog(const GmTalk::Info& talk, bool showTime, bool marked) {
  ChatLine line;
  if (!ComposeChatLine(talk, GetRoomNumber(), users_, showTime, showTime ? clock_() : ClockTime{}, line)) {
    return std::nullopt;
  }
  users_.NoteSpeaker(talk.sender);  // completion offers the latest speakers first
  frame_->AddLog(line.prefix, line.namePart, line.body, QColor(line.color.r, line.color.g, line.color.b), marked);
  return line;
}

void TChatSheet::AddUserList(const GmUserEnter::Info& info) {
  const int n = std::clamp(info.count, 0, NetDef::MaxList16);
  for (int i = 0; i < n; ++i) {
    const GmUserEnter::Entry& e = info.entries[i];
    if (users_.Add(e.clientId, static_cast<int32_t>(e.userNumber), e.level, e.name) < 0) continue;
    frame_->AddUserRow(e.name, MemberImageIndex(e.level), e.level);
  }
}

void TChatSheet::DeleteUserList(int16_t clientId) {
  const int i = users_.Remove(clientId);
  if (i >= 0) frame_->DeleteUserRow(i);
}

void TChatSheet::ChangeUserInfo(int16_t clientId, NetDef::UserLevel level) {
  const int i = users_.ChangeLevel(clientId, level);
  if (i >= 0) frame_->SetUserRowImage(i, MemberImageIndex(level), level);
}

QTabWidget* TChatSheet::PageControl() const {
  // A page of a QTabWidget lives in its stack, whose parent is the tab widget.
  QWidget* stack = parentWidget();
  return stack != nullptr ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

void TChatSheet::SetTitleMark(bool mark) {
  imageIndex_ = mark ? ImageNewTalk : ImagePlain;
  if (QTabWidget* tabs = PageControl()) {
    const int i = tabs->indexOf(this);
    if (i < 0) return;
    tabs->setTabIcon(i, ChatTabImage(imageIndex_));
    // The mark is a picture: a screen reader hears it in words. Without a name
    // of its own the tab is read by its caption.
    tabs->tabBar()->setAccessibleTabName(
        i, mark ? WithoutMnemonic(tabs->tabText(i)) + QStringLiteral("（新しい発言あり）") : QString());
  }
}

bool TChatSheet::RecvTalkCommand(const char* text) {
  talkSound(text);
  return false;
}

void TChatSheet::talkSound(const char* text) {
  if (!GetRoomCheckSound() || text == nullptr) return;
  const int n = CallSoundNumber(text);
  if (n == 0) return;
  const QString file = QDir(executableDir_).filePath(QStringLiteral("sound/%1.wav").arg(n));
  Platform::current().playSound(QDir::toNativeSeparators(file));
}

void TChatSheet::UserCommand(int nCommand, int nIndex) {
  // The row comes from the view; check it against the table before using it.
  if (!users_.ValidIndex(nIndex)) return;
  const ChatUser& user = users_.At(nIndex);
  // A number from outside the menus does nothing.
  switch (static_cast<MemberCommand>(nCommand)) {
    case MemberCommand::UserPage:
      Platform::current().openUrl(ToQString(userInfoPrefix_ + std::to_string(user.userNumber)));
      break;
    case MemberCommand::PrivateTalk:
      Q_EMIT OnUserSetTalk(this, "/t " + std::string(user.name) + " ", false);
      break;
    case MemberCommand::OperatorRights:
      Q_EMIT OnUserSetTalk(this, "/o " + std::string(user.name), true);
      break;
    case MemberCommand::Ignore:
      Q_EMIT OnUserSetTalk(this, "/i " + std::string(user.name), true);
      break;
  }
}

void TChatSheet::RoomListClick() { Q_EMIT OnRoomListClick(this); }
