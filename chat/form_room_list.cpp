#include "chat/form_room_list.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "chat/chat_host.h"
#include "platform/cp932.h"
#include "platform/list_header.h"
#include "platform/qt_text.h"

namespace {
constexpr int SerialRole = Qt::UserRole;
}

TFormRoomList::TFormRoomList(ChatHost& host, LobbySession& session, RoomListModel& rows, QWidget* parent)
    : QDialog(parent), host_(host), session_(session), model_(rows) {
  subscriptions_.push_back(session_.subscribe(this, &TFormRoomList::RecvRoomList));
  subscriptions_.push_back(session_.subscribe(this, &TFormRoomList::RecvRoomUsers));
  connect(&session_, &LobbySession::closed, this, &TFormRoomList::Clear);
  setObjectName(QStringLiteral("FormRoomList"));
  setWindowTitle(QStringLiteral("部屋一覧"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  resize(324, 415);

  RoomList2_ = new QTreeWidget(this);
  RoomList2_->setObjectName(QStringLiteral("RoomList2"));
  ListHeader::InstallOn(RoomList2_);
  NameForScreenReaders(RoomList2_, QStringLiteral("部屋一覧"));
  RoomList2_->setColumnCount(4);
  RoomList2_->setHeaderLabels(
      {QStringLiteral("部屋名"), QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), QStringLiteral("チーム"), QStringLiteral("人数")});
  RoomList2_->setRootIsDecorated(false);
  RoomList2_->setUniformRowHeights(true);
  RoomList2_->setItemsExpandable(false);
  RoomList2_->setSortingEnabled(false);  // the model keeps the order
  RoomList2_->setSelectionMode(QAbstractItemView::SingleSelection);
  RoomList2_->setSelectionBehavior(QAbstractItemView::SelectRows);
  RoomList2_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  RoomList2_->setAllColumnsShowFocus(true);
  QHeaderView* header = RoomList2_->header();
  header->setSectionsClickable(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const int widths[] = {130, 55, 50, 50};
  for (int c = 0; c < 4; ++c) RoomList2_->setColumnWidth(c, widths[c]);
  RoomList2_->headerItem()->setTextAlignment(1, Qt::AlignCenter);
  RoomList2_->headerItem()->setTextAlignment(2, Qt::AlignCenter);
  RoomList2_->headerItem()->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
  // The selection stays visible while the buttons have the focus.
  QPalette pal = RoomList2_->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(QPalette::Active, QPalette::HighlightedText));
  RoomList2_->setPalette(pal);

  auto* panel2 = new QWidget(this);
  panel2->setObjectName(QStringLiteral("Panel2"));
  panel2->setFixedHeight(41);
  ButtonEnter_ = new QPushButton(QStringLiteral("入室(&E)"), panel2);
  ButtonEnter_->setObjectName(QStringLiteral("ButtonEnter"));
  ButtonEnter_->setDefault(true);
  ButtonEnter_->setEnabled(false);
  ButtonClose_ = new QPushButton(QStringLiteral("閉じる(&C)"), panel2);
  ButtonClose_->setObjectName(QStringLiteral("ButtonClose"));
  ButtonClose_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout(panel2);
  buttons->setContentsMargins(24, 8, 24, 8);
  buttons->addWidget(ButtonEnter_);
  buttons->addStretch(1);
  buttons->addWidget(ButtonClose_);
  ButtonEnter_->setMinimumWidth(75);
  ButtonClose_->setMinimumWidth(75);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(RoomList2_, 1);
  layout->addWidget(panel2);

  connect(RoomList2_, &QTreeWidget::itemSelectionChanged, this, &TFormRoomList::RoomList2Change);
  connect(RoomList2_, &QTreeWidget::itemDoubleClicked, this, [this] { ButtonEnterClick(); });
  connect(ButtonEnter_, &QPushButton::clicked, this, &TFormRoomList::ButtonEnterClick);
  connect(ButtonClose_, &QPushButton::clicked, this, &TFormRoomList::ButtonCloseClick);
}

int TFormRoomList::ShowModalList() {
  RoomList2_->clearSelection();
  RoomList2_->setCurrentItem(nullptr);
  ButtonEnter_->setEnabled(false);
  return exec();
}

void TFormRoomList::RecvRoomList(const GmRoomList::Info& info) {
  model_.ApplyRoomList(info);
  SyncRows();
}

void TFormRoomList::RecvRoomUsers(const GmRoomUsers::Info& info) {
  if (model_.ApplyRoomUsers(info)) SyncRows();
}

void TFormRoomList::Clear() {
  model_.Clear();
  SyncRows();
}

void TFormRoomList::SyncRows() {
  // Items are reused in place so the scroll position stays; the selection
  // follows its room through re-sorting and goes when the room goes.
  const QList<QTreeWidgetItem*> selected = RoomList2_->selectedItems();
  const uint64_t selectedSerial = selected.isEmpty() ? 0 : selected.first()->data(0, SerialRole).toULongLong();
  const auto& rows = model_.Rows();
  const int n = static_cast<int>(rows.size());
  {
    const QSignalBlocker block(RoomList2_);
    while (RoomList2_->topLevelItemCount() > n)
      delete RoomList2_->takeTopLevelItem(RoomList2_->topLevelItemCount() - 1);
    while (RoomList2_->topLevelItemCount() < n) {
      auto* item = new QTreeWidgetItem(RoomList2_);
      item->setTextAlignment(1, Qt::AlignCenter);
      item->setTextAlignment(2, Qt::AlignCenter);
      item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
    RoomList2_->clearSelection();
    for (int i = 0; i < n; ++i) {
      QTreeWidgetItem* item = RoomList2_->topLevelItem(i);
      const RoomListModel::Row& row = rows[static_cast<size_t>(i)];
      item->setText(0, ToQString(row.entry.name));
      item->setText(1, ToQString(row.shown.password));
      item->setText(2, ToQString(row.shown.team));
      item->setText(3, ToQString(row.shown.count));
      item->setData(0, SerialRole, QVariant::fromValue<qulonglong>(row.serial));
    }
    const int keep = selectedSerial != 0 ? model_.IndexOfSerial(selectedSerial) : -1;
    if (keep >= 0) {
      RoomList2_->setCurrentItem(RoomList2_->topLevelItem(keep));
      RoomList2_->topLevelItem(keep)->setSelected(true);
    } else {
      RoomList2_->setCurrentItem(nullptr);
    }
  }
  RoomList2_->viewport()->update();
  RoomList2Change();
}

void TFormRoomList::RoomList2Change() { ButtonEnter_->setEnabled(!RoomList2_->selectedItems().isEmpty()); }

void TFormRoomList::ButtonEnterClick() {
  const QList<QTreeWidgetItem*> selected = RoomList2_->selectedItems();
  if (selected.isEmpty()) return;
  const int index = model_.IndexOfSerial(selected.first()->data(0, SerialRole).toULongLong());
  if (index < 0) return;
  // A copy: the rows may change while the password dialog is open.
  const RoomEntry entry = model_.Rows()[static_cast<size_t>(index)].entry;
  GmEnterRoom::Info enter;
  enter.room = entry.room;
  enter.name[0] = '\0';
  enter.password[0] = '\0';
  enter.teamId = static_cast<uint32_t>(entry.teamId);
  if (entry.passwordFlag != 0) {
    std::string password;
    if (!host_.PasswordExecute(password)) return;
    CopyText(enter.password, std::string(cp932::CutToBytes(password, NetDef::PasswordBytes)).c_str());
  }
  session_.send(enter);
  accept();
}

void TFormRoomList::ButtonCloseClick() { reject(); }
