#include "lobby/game_list_panel.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QToolTip>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>

#include "lobby/game_launch.h"
#include "lobby/stadium_table_model.h"
#include "lobby/stadium_waiting.h"
#include "net/net_def.h"
#include "platform/list_header.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {

// A narrow column ends a long team or stadium name in "…"; resting the pointer
// on such a cell shows the whole text. The text is the server's: it is shown
// escaped, never as markup. Cells that show their whole text get no tip.
class CutCellTips final : public QObject {
 public:
  explicit CutCellTips(QTreeView* view) : QObject(view), view_(view), viewport_(view->viewport()) {
    viewport_->installEventFilter(this);
  }

  // The viewport still sends events while the view is being destroyed: look at
  // nothing of the view before the event is known to be a tool tip request.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip || watched != viewport_) return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view_->indexAt(help->pos());
    const QString text = index.data(Qt::DisplayRole).toString();
    const QRect cell = view_->visualRect(index);
    // The item delegate leaves a focus-frame margin and one pixel on each side.
    const int margin = 2 * (view_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view_) + 1);
    if (text.isEmpty() || view_->fontMetrics().horizontalAdvance(text) + margin <= cell.width()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(),
                         QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>"),
                         viewport_, cell);
    }
    return true;
  }

 private:
  QTreeView* view_;
  QWidget* viewport_;
};

}  // namespace

TGameListPanel::TGameListPanel(LobbySession& session, std::function<GameSetup()> setup, QWidget* parent)
    : QWidget(parent), session_(session), setup_(std::move(setup)), model_(new StadiumTableModel(this)) {
  setObjectName(QStringLiteral("PanelGameList"));

  group_ = new QGroupBox(QStringLiteral("競技場一覧(&L)"), this);
  list_ = new QTreeView(group_);
  list_->setObjectName(QStringLiteral("GameList2"));
  ListHeader::InstallOn(list_);
  NameForScreenReaders(list_, group_->title());
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setSortingEnabled(false);
  list_->setTextElideMode(Qt::ElideRight);
  new CutCellTips(list_);
  QHeaderView* header = list_->header();
  header->setSectionsClickable(false);
  header->setSectionsMovable(false);
  header->setSortIndicatorShown(false);
  header->setStretchLastSection(false);
  header->setHighlightSections(false);
  // Widths from the settings file come back as they were saved, even narrow ones.
  header->setMinimumSectionSize(8);
  for (int c = 0; c < StadiumColumnCount; ++c) header->resizeSection(c, DesignColumnWidth(c));
  // The chosen stadium stays marked while the user types in the chat line.
  QPalette palette = list_->palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
  }
  list_->setPalette(palette);

  auto* groupLayout = new QVBoxLayout(group_);
  groupLayout->setContentsMargins(4, 4, 4, 4);
  groupLayout->addWidget(list_);

  panel1_ = new QWidget(this);
  panel1_->setObjectName(QStringLiteral("Panel1"));
  buttonReserve_ = new QPushButton(ToQString(ReserveButtonCaption(false)), panel1_);
  buttonReserve_->setObjectName(QStringLiteral("ButtonReserve"));
  buttonReserve_->setToolTip(QStringLiteral("参加人数＋待機人数が試合可能人数に達した時に選択した競技場に入場します"));
  buttonGame_ = new QPushButton(QStringLiteral("即入場(&G)"), panel1_);
  buttonGame_->setObjectName(QStringLiteral("ButtonGame"));
  buttonGame_->setToolTip(QStringLiteral("今すぐに選択した競技場に入場します"));
  for (QPushButton* b : {buttonReserve_, buttonGame_}) {
    b->setMinimumSize(77, 25);
    b->setAutoDefault(false);
  }
  labelReserve_ = new QLabel(panel1_);
  labelReserve_->setObjectName(QStringLiteral("LabelReserve"));
  labelReserve_->setTextFormat(Qt::PlainText);  // carries the server's stadium name
  labelReserve_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  labelReserve_->setMinimumWidth(305);
  labelReserve_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

  auto* panelLayout = new QHBoxLayout(panel1_);
  panelLayout->setContentsMargins(4, 4, 4, 3);
  panelLayout->setSpacing(7);
  panelLayout->addWidget(buttonReserve_);
  panelLayout->addWidget(buttonGame_);
  panelLayout->addSpacing(4);
  panelLayout->addWidget(labelReserve_, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(group_, 1);
  layout->addWidget(panel1_);

  connect(buttonReserve_, &QPushButton::clicked, this, &TGameListPanel::ButtonReserveClick);
  connect(buttonGame_, &QPushButton::clicked, this, &TGameListPanel::ButtonGameClick);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TGameListPanel::UpdateControls);
  connect(&session_, &LobbySession::stateChanged, this, &TGameListPanel::UpdateControls);
  connect(&session_, &LobbySession::opened, this, &TGameListPanel::ConnectionChanged);
  connect(&session_, &LobbySession::closed, this, &TGameListPanel::ConnectionChanged);

  UpdateControls();

  subscriptions_.push_back(session_.subscribe(this, &TGameListPanel::StadiumAddReceived));
  subscriptions_.push_back(session_.subscribe(this, &TGameListPanel::StadiumDeleteReceived));
  subscriptions_.push_back(session_.subscribe(this, &TGameListPanel::StadiumStateReceived));
  subscriptions_.push_back(session_.subscribe(this, &TGameListPanel::StadiumTeamsReceived));
  // The waiting handler keeps a copy of its own.
  subscriptions_.push_back(
      session_.subscribe<GmWaiting>([this](const GmWaiting::Info& info) { WaitingReceived(info); }));
}

TGameListPanel::~TGameListPanel() = default;

const StadiumList& TGameListPanel::stadiums() const { return model_->list(); }

int TGameListPanel::DesignColumnWidth(int column) { return StadiumTableModel::DesignWidth(column); }

void TGameListPanel::StadiumAddReceived(const GmStadiumAdd::Info& info) {
  model_->list().ApplyAdd(info);
  UpdateControls();
}

void TGameListPanel::StadiumDeleteReceived(const GmStadiumDelete::Info& info) {
  // The stadium waited for may go too; the wait and its label stay until the
  // server ends the wait.
  const std::optional<size_t> selected = SelectedIndex();
  const std::optional<uint64_t> selectedKey =
      selected ? std::optional<uint64_t>(stadiums().key(*selected)) : std::nullopt;
  model_->list().ApplyDelete(info);
  // The view would move a single selection to the neighbouring stadium; a
  // deleted choice must leave nothing chosen, or a click would enter a stadium
  // the user never picked.
  if (selectedKey && !stadiums().IndexOfKey(*selectedKey)) list_->selectionModel()->clear();
  UpdateControls();
}

void TGameListPanel::StadiumStateReceived(const GmStadiumState::Info& info) { model_->list().ApplyState(info); }

void TGameListPanel::StadiumTeamsReceived(const GmStadiumTeams::Info& info) { model_->list().ApplyTeams(info); }

void TGameListPanel::WaitingReceived(GmWaiting::Info info) {
  info.text[sizeof info.text - 1] = '\0';
  const StadiumRow* row = FindStadiumRow(info.stadiumId);
  switch (ReactionToWaitingEvent(info.event, row != nullptr)) {
    case WaitingReaction::Ignore:
      return;
    case WaitingReaction::Leave:
      LeaveWaitingState();
      return;
    case WaitingReaction::Enter:
      EnterWaitingState(row);
      return;
    case WaitingReaction::Refused: {
      QPointer<TGameListPanel> self(this);
      Platform::current().errorBox(this, ToQString(WaitRefusedText(info.text)));
      if (self) LeaveWaitingState();
      return;
    }
    case WaitingReaction::MissingStadium:
      Platform::current().errorBox(this, ToQString(MissingStadiumText()));
      return;
    case WaitingReaction::ConfirmMatch: {
      // The row may be deleted while the question is open; keep what the
      // launch needs.
      const StadiumRow stadium = *row;
      QPointer<TGameListPanel> self(this);
      PlayGoGameSound();
      QWidget* top = window();
      if (!top->isActiveWindow()) {
        Platform::current().alert(top);
        Platform::current().notify(top, QStringLiteral("試合の準備ができました"),
                                   ToQString(stadium.stadium.name) + QStringLiteral(" に入場できます"));
      }
      const bool enter =
          Platform::current().yesNoQuestion(this, ToQString(MatchReadyCaption()), ToQString(MatchReadyText()));
      if (!self) return;
      if (enter) {
        LaunchGame(this, setup_(), StadiumAddressText(stadium), stadium.stadium.port, session_.playerName(), {},
                   IsTestStadium(stadium));
      }
      // Whatever arrived while the question was open, this wait is over.
      if (self) LeaveWaitingState();
      return;
    }
  }
}

void TGameListPanel::PlayGoGameSound() {
  const QString path = QDir(setup_().folder).filePath(QStringLiteral("sound/gogame.wav"));
  if (QFileInfo(path).isFile()) Platform::current().playSound(QDir::toNativeSeparators(path));
}

void TGameListPanel::ButtonReserveClick() {
  GmWaiting::Info info;
  if (waiting_) {
    // The server knows which stadium we wait for; the cancel names none.
    info.stadiumId = 0;
    info.event = NetDef::WaitingActionCancel;
  } else if (const StadiumRow* row = SelectedStadiumRow()) {
    info.stadiumId = row->stadium.id;
    info.event = NetDef::WaitingActionWait;
  } else {
    return;
  }
  if (!session_.send(info)) return;
  // Until the server answers (or anything else refreshes the controls).
  buttonGame_->setEnabled(false);
  buttonReserve_->setEnabled(false);
}

void TGameListPanel::ButtonGameClick() {
  const StadiumRow* row = SelectedStadiumRow();
  if (row == nullptr) return;
  const StadiumRow stadium = *row;
  LaunchGame(this, setup_(), StadiumAddressText(stadium), stadium.stadium.port, session_.playerName(), {},
             IsTestStadium(stadium));
}

void TGameListPanel::EnterWaitingState(const StadiumRow* row) {
  buttonReserve_->setText(ToQString(ReserveButtonCaption(true)));
  labelReserve_->setText(ToQString(WaitingLabelText(row)));
  waiting_ = true;
  UpdateControls();
}

void TGameListPanel::LeaveWaitingState() {
  buttonReserve_->setText(ToQString(ReserveButtonCaption(false)));
  labelReserve_->setText(ToQString(IdleLabelText(session_.isOpen())));
  waiting_ = false;
  UpdateControls();
}

void TGameListPanel::ClearStadiums() {
  model_->list().Clear();
  UpdateControls();
}

void TGameListPanel::ConnectionChanged() {
  ClearStadiums();
  LeaveWaitingState();
}

void TGameListPanel::UpdateControls() {
  const StadiumControlStates s = StadiumControlRules(session_.isOpen(), waiting_, SelectedIndex().has_value());
  list_->setEnabled(s.listEnabled);
  buttonGame_->setEnabled(s.gameEnabled);
  buttonReserve_->setEnabled(s.reserveEnabled);
}

std::optional<size_t> TGameListPanel::SelectedIndex() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.first().row() < 0) return std::nullopt;
  const auto index = static_cast<size_t>(rows.first().row());
  if (index >= stadiums().size()) return std::nullopt;
  return index;
}

const StadiumRow* TGameListPanel::SelectedStadiumRow() const {
  const std::optional<size_t> index = SelectedIndex();
  return index ? &stadiums().row(*index) : nullptr;
}

const StadiumRow* TGameListPanel::FindStadiumRow(uint32_t id) const {
  const std::optional<size_t> index = stadiums().FindStadiumRow(id);
  return index ? &stadiums().row(*index) : nullptr;
}

std::array<int, StadiumColumnCount> TGameListPanel::ColumnWidths() const {
  std::array<int, StadiumColumnCount> widths{};
  for (int c = 0; c < StadiumColumnCount; ++c) widths[static_cast<size_t>(c)] = list_->header()->sectionSize(c);
  return widths;
}

void TGameListPanel::SetColumnWidth(int column, int width) {
  // A hand-edited settings file may say anything; keep every column reachable.
  if (column < 0 || column >= StadiumColumnCount) return;
  list_->header()->resizeSection(column, std::clamp(width, 0, 2000));
}
