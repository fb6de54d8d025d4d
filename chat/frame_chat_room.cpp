#include "chat/frame_chat_room.h"

#include <QAction>
#include <QColor>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "chat/icons.h"
#include "chat/link_scan.h"
#include "chat/rich_edit_ex.h"
#include "formation/form_formation.h"
#include "platform/list_header.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

constexpr int PanelRightWidth = 123;
constexpr int SplitterWidth = 4;
constexpr int CaptionRole = Qt::UserRole;    // the caption's CP932 bytes
constexpr int ImageRole = Qt::UserRole + 1;  // the image index

// What a screen reader says of a member row besides the name: the lamp the
// picture shows and, when known, the level behind it.
QString MemberStateText(int imageIndex, int level) {
  const QString lamp =
      imageIndex == TFrameChatRoom::ImageLit ? QStringLiteral("ランプ点灯") : QStringLiteral("ランプ消灯");
  if (level < 0) return lamp;
  return QStringLiteral("レベル %1、%2").arg(level).arg(lamp);
}

}  // namespace

TFrameChatRoom::TFrameChatRoom(QWidget* parent) : QFrame(parent) {
  memberIcons_[ImageLit] = MemberIcon(ImageLit);
  memberIcons_[ImageUnlit] = MemberIcon(ImageUnlit);
  BuildLayout();
  BuildMenus();
  SetCheckSound(true);
}

// The formation window is a child of this frame and goes with it; being destroyed
// with its room it sends nothing.
TFrameChatRoom::~TFrameChatRoom() = default;

void TFrameChatRoom::BuildLayout() {
  auto* outer = new QHBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  outer->setSpacing(0);

  Splitter1_ = new QSplitter(Qt::Horizontal, this);
  Splitter1_->setHandleWidth(SplitterWidth);
  Splitter1_->setChildrenCollapsible(false);
  outer->addWidget(Splitter1_);

  EditLog_ = new TRichEditEx(Splitter1_);
  EditLog_->setObjectName(QStringLiteral("EditLog"));
  connect(EditLog_, &TRichEditEx::URLClick, this, &TFrameChatRoom::EditLogURLClick);

  PanelRight_ = new QWidget(Splitter1_);
  PanelRight_->setMinimumWidth(PanelRightWidth / 2);
  auto* right = new QVBoxLayout(PanelRight_);
  right->setContentsMargins(0, 0, 0, 0);
  right->setSpacing(0);

  GroupUserList_ = new QGroupBox(QStringLiteral("入室者一覧(&U)"), PanelRight_);
  auto* group = new QVBoxLayout(GroupUserList_);
  group->setContentsMargins(4, 4, 4, 4);
  ListUser_ = new QTreeWidget(GroupUserList_);
  ListUser_->setObjectName(QStringLiteral("ListUser"));
  ListHeader::InstallOn(ListUser_);
  NameForScreenReaders(ListUser_, GroupUserList_->title());
  ListUser_->setColumnCount(1);
  ListUser_->setHeaderLabels({QStringLiteral("名前")});
  ListUser_->setHeaderHidden(true);
  ListUser_->setRootIsDecorated(false);
  ListUser_->setUniformRowHeights(true);
  ListUser_->setSelectionMode(QAbstractItemView::SingleSelection);
  ListUser_->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListUser_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListUser_->setIconSize(QSize(16, 16));
  ListUser_->setTextElideMode(Qt::ElideRight);
  // One column as wide as the list's viewport: a long name ends in "…" at the
  // visible edge. A fixed 95-pixel column is wider than the viewport the panel
  // leaves beside the vertical bar and brought a useless horizontal bar.
  ListUser_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  ListUser_->header()->setStretchLastSection(false);
  ListUser_->header()->setMinimumSectionSize(1);
  ListUser_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  ListUser_->setToolTip(QStringLiteral("ユーザを選択し右クリックで各種機能を実行します"));
  ListUser_->setContextMenuPolicy(Qt::CustomContextMenu);
  ListUser_->installEventFilter(this);
  group->addWidget(ListUser_);
  right->addWidget(GroupUserList_, 1);
  connect(ListUser_, &QTreeWidget::doubleClicked, this, &TFrameChatRoom::ListUserDblClick);
  connect(ListUser_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu(PopupMenuUser_, ListUser_->viewport()->mapToGlobal(pos)); });

  PanelButton_ = new QWidget(PanelRight_);
  PanelButton_->setFixedHeight(51);
  right->addWidget(PanelButton_);

  ButtonFormation_ = new QPushButton(QStringLiteral("ﾌｫｰﾒｰｼｮﾝ(&B)"), PanelButton_);
  ButtonFormation_->setGeometry(4, 4, 81, 21);
  connect(ButtonFormation_, &QPushButton::clicked, this, &TFrameChatRoom::ButtonFormationClick);

  ButtonList_ = new QPushButton(QStringLiteral("部屋一覧(&Y)"), PanelButton_);
  ButtonList_->setGeometry(4, 28, 81, 21);
  connect(ButtonList_, &QPushButton::clicked, this, &TFrameChatRoom::ButtonListClick);

  SpeedButton1_ = new QToolButton(PanelButton_);
  SpeedButton1_->setGeometry(88, 12, 28, 28);
  SpeedButton1_->setAutoRaise(true);
  SpeedButton1_->setCheckable(true);
  SpeedButton1_->setIcon(BellIcon());
  SpeedButton1_->setIconSize(QSize(24, 24));
  SpeedButton1_->setToolTip(QStringLiteral("呼び出し音のON/OFFを設定します"));
  connect(SpeedButton1_, &QToolButton::clicked, this, &TFrameChatRoom::SpeedButton1Click);

  right->addSpacing(0);
  Splitter1_->addWidget(EditLog_);
  Splitter1_->addWidget(PanelRight_);
  Splitter1_->setStretchFactor(0, 1);
  Splitter1_->setStretchFactor(1, 0);
  connect(Splitter1_, &QSplitter::splitterMoved, this, &TFrameChatRoom::Splitter1Moved);
}

void TFrameChatRoom::BuildMenus() {
  PopupMenuUser_ = new QMenu(this);
  PrvTalkMenu_ = PopupMenuUser_->addAction(QStringLiteral("個別チャット(&T)"));
  OpMenu_ = PopupMenuUser_->addAction(QStringLiteral("管理権限付与(&O)"));
  InvMenu_ = PopupMenuUser_->addAction(QStringLiteral("発言無視/可視(&I)"));
  PopupMenuUser_->addSeparator();
  UserPageMenu_ = PopupMenuUser_->addAction(QStringLiteral("ユーザページ表示(&U)..."));
  connect(PrvTalkMenu_, &QAction::triggered, this, &TFrameChatRoom::PrvTalkMenuClick);
  connect(OpMenu_, &QAction::triggered, this, &TFrameChatRoom::OpMenuClick);
  connect(InvMenu_, &QAction::triggered, this, &TFrameChatRoom::InvMenuClick);
  connect(UserPageMenu_, &QAction::triggered, this, &TFrameChatRoom::UserPageMenuClick);
  connect(PopupMenuUser_, &QMenu::aboutToShow, this, &TFrameChatRoom::PopupMenuUserPopup);

  PopupMenuUser2_ = new QMenu(this);
  MenuItem2_ = PopupMenuUser2_->addAction(QStringLiteral("個別チャット(&T)"));
  PopupMenuUser2_->addSeparator();
  MenuItem1_ = PopupMenuUser2_->addAction(QStringLiteral("ユーザページ表示(&U)..."));
  connect(MenuItem2_, &QAction::triggered, this, &TFrameChatRoom::PrvTalkMenuClick);
  connect(MenuItem1_, &QAction::triggered, this, &TFrameChatRoom::UserPageMenuClick);
  connect(PopupMenuUser2_, &QMenu::aboutToShow, this, &TFrameChatRoom::PopupMenuUserPopup);
}

void TFrameChatRoom::resizeEvent(QResizeEvent* e) {
  QFrame::resizeEvent(e);
  // The member panel is 123 wide, right-aligned, until the user moves the splitter.
  if (!splitterMoved_) Splitter1_->setSizes({std::max(0, width() - PanelRightWidth - SplitterWidth), PanelRightWidth});
}

void TFrameChatRoom::SetRoom(int32_t roomNumber, const std::string& roomName) {
  roomNumber_ = roomNumber;
  roomName_ = roomName;
}

void TFrameChatRoom::AddLog(const std::string& prefix, const std::string& namePart, const std::string& body,
                            const QColor& color, bool marked) {
  std::string line;
  line.reserve(prefix.size() + namePart.size() + body.size());
  line.append(prefix).append(namePart).append(body);
  EditLog_->SetAutoURLDetect(true);
  EditLog_->AppendLine(line, color, marked);
}

void TFrameChatRoom::AddUserRow(const std::string& caption, int imageIndex, int level) {
  auto* item = new QTreeWidgetItem;
  item->setText(0, ToQString(caption));
  item->setData(0, CaptionRole, QByteArray(caption.data(), static_cast<qsizetype>(caption.size())));
  ListUser_->addTopLevelItem(item);
  SetUserRowImage(ListUser_->topLevelItemCount() - 1, imageIndex, level);
}

void TFrameChatRoom::SetUserRowImage(int row, int imageIndex, int level) {
  QTreeWidgetItem* item = ListUser_->topLevelItem(row);
  if (item == nullptr) return;
  const int index = imageIndex == ImageLit ? ImageLit : ImageUnlit;
  item->setData(0, ImageRole, index);
  item->setIcon(0, memberIcons_[index]);
  item->setData(0, Qt::AccessibleDescriptionRole, MemberStateText(index, level));
}

void TFrameChatRoom::DeleteUserRow(int row) {
  if (row < 0 || row >= ListUser_->topLevelItemCount()) return;
  delete ListUser_->takeTopLevelItem(row);
}

int TFrameChatRoom::UserRowCount() const { return ListUser_->topLevelItemCount(); }

std::string TFrameChatRoom::UserRowCaption(int row) const {
  const QTreeWidgetItem* item = ListUser_->topLevelItem(row);
  if (item == nullptr) return {};
  const QByteArray bytes = item->data(0, CaptionRole).toByteArray();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

int TFrameChatRoom::UserRowImage(int row) const {
  const QTreeWidgetItem* item = ListUser_->topLevelItem(row);
  return item == nullptr ? -1 : item->data(0, ImageRole).toInt();
}

int TFrameChatRoom::SelectedUserRow() const {
  const QList<QTreeWidgetItem*> selected = ListUser_->selectedItems();
  return selected.isEmpty() ? -1 : ListUser_->indexOfTopLevelItem(selected.first());
}

void TFrameChatRoom::SetCheckSound(bool on) {
  checkSound_ = on;
  // The bell is pressed while the sound is off.
  SpeedButton1_->setChecked(!on);
}

void TFrameChatRoom::SpeedButton1Click() { SetCheckSound(!checkSound_); }

void TFrameChatRoom::DisableFormationButton() {
  formationLocked_ = true;
  ButtonFormation_->setEnabled(false);
}

TFormFormation* TFrameChatRoom::FormationWindow() const { return formation_.data(); }

void TFrameChatRoom::RoomLeft() {
  if (TFormFormation* window = formation_.data()) window->RoomLeft();
}

void TFrameChatRoom::ButtonFormationClick() {
  if (formationLocked_ || formation_ != nullptr || session_ == nullptr) return;
  auto* window = new TFormFormation(*session_, this, formationCentre_);
  formation_ = window;
  connect(window, &TFormFormation::OnClose, this, &TFrameChatRoom::FormationClosed);
  ButtonFormation_->setEnabled(false);
  window->Open(roomName_, static_cast<int16_t>(roomNumber_));
}

void TFrameChatRoom::FormationClosed() {
  formation_ = nullptr;
  if (!formationLocked_) ButtonFormation_->setEnabled(true);
}

void TFrameChatRoom::ButtonListClick() { Q_EMIT RoomListClick(); }

void TFrameChatRoom::RaiseCommandOnSelection(MemberCommand command) {
  const int row = SelectedUserRow();
  if (row >= 0) Q_EMIT UserCommand(static_cast<int>(command), row);
}

void TFrameChatRoom::PrvTalkMenuClick() { RaiseCommandOnSelection(MemberCommand::PrivateTalk); }
void TFrameChatRoom::OpMenuClick() { RaiseCommandOnSelection(MemberCommand::OperatorRights); }
void TFrameChatRoom::InvMenuClick() { RaiseCommandOnSelection(MemberCommand::Ignore); }
void TFrameChatRoom::UserPageMenuClick() { RaiseCommandOnSelection(MemberCommand::UserPage); }
void TFrameChatRoom::ListUserDblClick() { RaiseCommandOnSelection(MemberCommand::UserPage); }

void TFrameChatRoom::PopupMenuUserPopup() {
  // Only the member list's own menu follows the selection; the two-item menu of a
  // name link is shown with its member just selected.
  const bool selected = SelectedUserRow() >= 0;
  for (QAction* a : {UserPageMenu_, PrvTalkMenu_, OpMenu_, InvMenu_}) a->setEnabled(selected);
}

void TFrameChatRoom::Splitter1Moved() {
  // From the first move on the member panel keeps the user's width.
  splitterMoved_ = true;
}

bool TFrameChatRoom::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ListUser_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      ListUserDblClick();
      return true;
    }
  }
  return QFrame::eventFilter(watched, event);
}

void TFrameChatRoom::PopupMenu(QMenu* menu, const QPoint& globalPos) {
  Q_EMIT MenuPopping(menu, globalPos);
  menu->popup(globalPos);
}

void TFrameChatRoom::EditLogURLClick(const std::string& urlText, const QPoint& menuPos) {
  // A chat line is written by anyone in the room: only a web page may open from it,
  // never a local file or program.
  if (urlText.find("://") != std::string::npos) {
    if (const auto address = WebAddressToOpen(urlText)) Platform::current().openUrl(QString::fromLatin1(*address));
    return;
  }
  for (int row = 0; row < ListUser_->topLevelItemCount(); ++row) {
    if (UserRowCaption(row) == urlText) {
      QTreeWidgetItem* item = ListUser_->topLevelItem(row);
      ListUser_->setCurrentItem(item);
      item->setSelected(true);
      // At the pointer for a click, at the link for Enter.
      PopupMenu(PopupMenuUser2_, menuPos);
      return;
    }
  }
  // A link without a scheme names a member; when nobody here has that name it
  // does nothing ("www.example.com" is not opened either).
}
