#include "lobby/form_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "chat/chat_sheet.h"
#include "chat/chat_tabs.h"
#include "chat/form_create_room.h"
#include "chat/form_password.h"
#include "chat/form_room_list.h"
#include "chat/name_completer.h"
#include "dialogs/debug_form.h"
#include "dialogs/form_game_option.h"
#include "dialogs/form_login.h"
#include "dialogs/form_ping.h"
#include "dialogs/form_update.h"
#include "lobby/game_list_panel.h"
#include "lobby/main_window_rules.h"
#include "platform/platform.h"
#include "platform/qt_text.h"

namespace {
constexpr int DesignClientWidth = 631;
constexpr int DesignClientHeight = 398;
constexpr int DesignGameListHeight = 145;
constexpr int InputLimitBytes = 150;
constexpr int HistoryLimit = 50;
}  // namespace

TFormMain::TFormMain(std::string accessPath, std::string settingsPath, QWidget* parent)
    : TFormMain(FilePlaces{.accessPath = std::move(accessPath),
                           .settingsPath = settingsPath,
                           .dataFolder = QCoreApplication::applicationDirPath().toStdString(),
                           .logsFolder = PortableLogsFolder(settingsPath)},
                parent) {}

TFormMain::TFormMain(const FilePlaces& places, QWidget* parent)
    : QMainWindow(parent),
      settings_(places.accessPath, places.settingsPath, places.settingsFolder),
      dataFolder_(QString::fromLocal8Bit(places.dataFolder.c_str())),
      gameFolder_(QString::fromLocal8Bit(places.gameFolder.c_str())),
      logsFolder_(places.logsFolder),
      session_(new LobbySession(this, [] { return Platform::current().tick(); })) {
  setObjectName(QStringLiteral("FormMain"));
  CreateMenus();
  CreateLayout();
  resize(DesignClientWidth, DesignClientHeight + menuBar()->sizeHint().height());
  UpdateTitle(0);
  UpdateControlStates();
  CreateDialogs();
  ConnectSession();
  LoadSettings();
  CreateTray();
}

TFormMain::~TFormMain() {
  if (!settingsSaved_) SaveSettings();
  session_->disconnect(this);
  // The panels, tabs and dialogs call this window as their host and hold
  // subscriptions to the session: take them down while both are whole.
  const QList<QWidget*> children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  qDeleteAll(children);
}

void TFormMain::CreateDialogs() {
  FormLogin = new TFormLogin(this);
  FormCreateRoom = new TFormCreateRoom(this);
  FormPassword = new TFormPassword(this);
  FormGameOption = new TFormGameOption(this);
  FormPing = new TFormPing(this);
  DebugForm = new TDebugForm(this);
  FormRoomList = new TFormRoomList(*this, *session_, roomRows_, this);
}

TFormUpdate* TFormMain::UpdateNotice() {
  if (FormUpdate == nullptr) FormUpdate = new TFormUpdate(this);
  return FormUpdate;
}

void TFormMain::LoadSettings() {
  settings_.LoadSettings(CurrentLayout());
  MenuKeepInTray->setChecked(settings_.KeepInTray);
  MenuSaveChatLog->setChecked(settings_.SaveChatLog);
  const FormLayout& form = settings_.Form;
  move(form.Left, form.Top);
  resize(form.Width, form.Height);
  QList<int> sizes = Splitter1->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  roomHeight_ = form.RoomHeight;
  Splitter1->setSizes({form.RoomHeight, std::max(total - form.RoomHeight, 1)});
  PanelGameList->setVisible(form.RoomVisible);
  for (int i = 0; i < FormLayout::ColumnCount; ++i) PanelGameList->SetColumnWidth(i, form.GameColumns[i]);
}

FormLayout TFormMain::CurrentLayout() const {
  FormLayout layout;
  layout.Left = x();
  layout.Top = y();
  layout.Width = width();
  layout.Height = height();
  layout.RoomHeight = roomHeight_;
  layout.RoomVisible = !PanelGameList->isHidden();
  const auto widths = PanelGameList->ColumnWidths();
  for (int i = 0; i < FormLayout::ColumnCount; ++i) layout.GameColumns[i] = widths[i];
  return layout;
}

GameSetup TFormMain::CurrentGameSetup() const {
  return {
      settings_.Game, settings_.Access.GameExe, settings_.Access.GameExeTest, settings_.Access.GameRunner, dataFolder_,
      gameFolder_};
}

bool TFormMain::SaveSettings() {
  settingsSaved_ = true;
  return settings_.SaveSettings(CurrentLayout(), chatTabs_->OpenRooms());
}

void TFormMain::CreateMenus() {
  auto action = [this](QMenu* menu, const char* caption, const char* name) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(QString::fromLatin1(name));
    return a;
  };
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  OpenMenu = action(file, "接続(&O)...", "OpenMenu");
  OpenMenu->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  CloseMenu = action(file, "切断(&C)", "CloseMenu");
  file->addSeparator();
  ExitMenu = action(file, "終了(&X)", "ExitMenu");

  QMenu* rooms = menuBar()->addMenu(QStringLiteral("部屋(&R)"));
  MenuPrev = action(rooms, "前の部屋(&1)", "MenuPrev");
  MenuPrev->setShortcut(QKeySequence(Qt::ALT | Qt::Key_1));
  MenuNext = action(rooms, "次の部屋(&2)", "MenuNext");
  MenuNext->setShortcut(QKeySequence(Qt::ALT | Qt::Key_2));
  MenuRoomList = action(rooms, "部屋一覧(&L)...", "MenuRoomList");
  rooms->addSeparator();
  RetireMenu = action(rooms, "退室(&R)", "RetireMenu");
  rooms->addSeparator();
  MenuSetting = action(rooms, "接続時に開く部屋(&E)...", "MenuSetting");
  MenuSetting->setVisible(false);
  rooms->addSeparator()->setVisible(false);
  CreateMenu = action(rooms, "部屋作成(&C)...", "CreateMenu");

  QMenu* tools = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
  MenuHtmlHome = action(tools, "ホームページ(&H)", "MenuHtmlHome");
  MenuHtmlMember = action(tools, "MYページ(&M)", "MenuHtmlMember");
  MenuHtmlNew = action(tools, "登録ページ(&N)", "MenuHtmlNew");
  MenuHtmlNew->setVisible(false);
  tools->addSeparator();
  MenuGameListDisp = action(tools, "競技場一覧表示／非表示(&V)", "MenuGameListDisp");
  MenuPreview = action(tools, "プレビューデータ再生(&P)...", "MenuPreview");
  MenuGameOption = action(tools, "設定(&S)...", "MenuGameOption");
  tools->addSeparator();
  MenuPing = action(tools, "Ping(&P)...", "MenuPing");
  tools->addSeparator();
  MenuKeepInTray = action(tools, "トレイに常駐(&K)", "MenuKeepInTray");
  MenuKeepInTray->setCheckable(true);
  tools->addSeparator();
  MenuSaveChatLog = action(tools, "チャットログを保存(&G)", "MenuSaveChatLog");
  MenuSaveChatLog->setCheckable(true);
  MenuOpenLogFolder = action(tools, "チャットログのフォルダを開く(&F)", "MenuOpenLogFolder");
  // Without a home for the logs there is nothing to open.
  MenuOpenLogFolder->setEnabled(!logsFolder_.empty());

  connect(OpenMenu, &QAction::triggered, this, &TFormMain::OpenMenuClick);
  connect(CloseMenu, &QAction::triggered, this, &TFormMain::CloseMenuClick);
  connect(ExitMenu, &QAction::triggered, this, &TFormMain::ExitMenuClick);
  connect(MenuKeepInTray, &QAction::toggled, this, [this](bool on) { settings_.KeepInTray = on; });
  connect(MenuSaveChatLog, &QAction::toggled, this, &TFormMain::MenuSaveChatLogToggled);
  connect(MenuOpenLogFolder, &QAction::triggered, this, &TFormMain::MenuOpenLogFolderClick);
  connect(CreateMenu, &QAction::triggered, this, &TFormMain::CreateMenuClick);
  connect(MenuPrev, &QAction::triggered, this, [this] { chatTabs_->MenuPrev(); });
  connect(MenuNext, &QAction::triggered, this, [this] { chatTabs_->MenuNext(); });
  connect(MenuRoomList, &QAction::triggered, this, &TFormMain::ShowRoomList);
  connect(RetireMenu, &QAction::triggered, this, [this] { chatTabs_->LeaveActiveRoom(); });
  connect(MenuHtmlHome, &QAction::triggered, this, [this] { OpenPage(settings_.Access.UrlHome); });
  connect(MenuHtmlMember, &QAction::triggered, this, [this] { OpenPage(settings_.Access.UrlMember); });
  connect(MenuHtmlNew, &QAction::triggered, this, [this] { OpenPage(settings_.Access.UrlNew); });
  connect(MenuGameListDisp, &QAction::triggered, this, &TFormMain::MenuGameListDispClick);
  connect(MenuPreview, &QAction::triggered, this, &TFormMain::MenuPreviewClick);
  connect(MenuGameOption, &QAction::triggered, this, &TFormMain::MenuGameOptionClick);
  connect(MenuPing, &QAction::triggered, this, &TFormMain::MenuPingClick);
}

void TFormMain::CreateLayout() {
  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);

  Splitter1 = new QSplitter(Qt::Vertical, central);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Splitter1->setHandleWidth(3);
  Splitter1->setChildrenCollapsible(false);
  PanelGameList = new TGameListPanel(
      *session_, [this] { return CurrentGameSetup(); }, Splitter1);
  PanelGameList->setObjectName(QStringLiteral("PanelGameList"));
  PageControl1 = new QTabWidget(Splitter1);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  // The parts follow the session in the order a disconnect empties them: the
  // stadium list, the chat tabs, then the room list (CreateDialogs).
  chatTabs_ = new ChatTabs(*this, *session_, roomRows_, PageControl1);
  Splitter1->setStretchFactor(0, 0);
  Splitter1->setStretchFactor(1, 1);
  Splitter1->setSizes({DesignGameListHeight, DesignClientHeight - DesignGameListHeight});
  column->addWidget(Splitter1, 1);
  // The panel's height is kept while it is hidden, for the settings file.
  connect(Splitter1, &QSplitter::splitterMoved, this, [this] {
    if (!PanelGameList->isHidden()) roomHeight_ = Splitter1->sizes().value(0);
  });

  PanelInput = new QWidget(central);
  PanelInput->setObjectName(QStringLiteral("PanelInput"));
  auto* row = new QHBoxLayout(PanelInput);
  row->setContentsMargins(4, 4, 4, 4);
  auto* label = new QLabel(QStringLiteral("入力(&I)"), PanelInput);
  EditInputChat = new QComboBox(PanelInput);
  EditInputChat->setObjectName(QStringLiteral("EditInputChat"));
  NameForScreenReaders(EditInputChat, label->text());
  EditInputChat->setEditable(true);
  EditInputChat->setInsertPolicy(QComboBox::NoInsert);
  EditInputChat->setCompleter(nullptr);
  EditInputChat->setMaxCount(HistoryLimit + 1);
  // The reader meets the combo box's text field itself too: the same name.
  NameForScreenReaders(EditInputChat->lineEdit(), label->text());
  EditInputChat->lineEdit()->setValidator(new Cp932Validator(InputLimitBytes, EditInputChat));
  new TNameCompleter(EditInputChat, InputLimitBytes, [this] {
    const TChatSheet* tab = chatTabs_->ActiveChatTab();
    return tab != nullptr ? CompletionCandidates(tab->Users(), session_->playerName()) : std::vector<std::string>{};
  });
  EditInputChat->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  label->setBuddy(EditInputChat);
  ButtonSendChat = new QPushButton(QStringLiteral("送信"), PanelInput);
  ButtonSendChat->setObjectName(QStringLiteral("ButtonSendChat"));
  ButtonSendChat->setFixedWidth(48);
  row->addWidget(label);
  row->addWidget(EditInputChat, 1);
  row->addWidget(ButtonSendChat);
  column->addWidget(PanelInput);

  connect(EditInputChat, &QComboBox::editTextChanged, this, &TFormMain::EditInputChatChange);
  // Enter in the input presses the send button, as the window's default button.
  connect(EditInputChat->lineEdit(), &QLineEdit::returnPressed, this, [this] {
    if (ButtonSendChat->isEnabled()) ButtonSendChatClick();
  });
  connect(ButtonSendChat, &QPushButton::clicked, this, &TFormMain::ButtonSendChatClick);
  setCentralWidget(central);
}

bool TFormMain::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) FormActivate();
  const bool handled = QMainWindow::event(e);
  if (e->type() == QEvent::WindowStateChange || e->type() == QEvent::Hide || e->type() == QEvent::Show) {
    UpdateTrayMark();
  }
  return handled;
}

void TFormMain::FormActivate() {
  if (!autoConnectPending_) return;
  autoConnectPending_ = false;
  // Leave the activation event before the modal login dialog opens.
  QTimer::singleShot(0, this, &TFormMain::OpenMenuClick);
}

void TFormMain::closeEvent(QCloseEvent* e) {
  if (settings_.KeepInTray && !quitting_ && tray_ != nullptr && tray_->isVisible()) {
    // Kept in the tray: only hidden; the settings are saved when the program ends.
    hide();
    e->ignore();
    return;
  }
  if (!SaveSettings()) {
    Platform::current().errorBox(this, QStringLiteral("設定ファイルを保存できませんでした。\n") +
                                           QString::fromLocal8Bit(settings_.SettingsFilePath().c_str()));
  }
  QMainWindow::closeEvent(e);
}

void TFormMain::UpdateControlStates() {
  const bool open = session_->isOpen();
  const MainControlStates s = ComputeControlStates(open, !EditInputChat->currentText().isEmpty());
  OpenMenu->setEnabled(s.OpenMenu);
  CloseMenu->setEnabled(s.CloseMenu);
  CreateMenu->setEnabled(s.CreateMenu);
  MenuNext->setEnabled(s.MenuNext);
  MenuPrev->setEnabled(s.MenuPrev);
  MenuRoomList->setEnabled(s.MenuRoomList);
  RetireMenu->setEnabled(s.RetireMenu);
  MenuPing->setEnabled(s.MenuPing);
  PanelInput->setEnabled(s.PanelInput);
  ButtonSendChat->setEnabled(s.ButtonSendChat);
}

void TFormMain::UpdateTitle(int count) { setWindowTitle(QString::fromStdString(TitleText(count))); }

void TFormMain::EditInputChatChange() {
  // Only the send button follows the input; the ping window keeps its menu command off.
  ButtonSendChat->setEnabled(
      ComputeControlStates(session_->isOpen(), !EditInputChat->currentText().isEmpty()).ButtonSendChat);
}

void TFormMain::ButtonSendChatClick() {
  const QString text = EditInputChat->currentText();
  SendTalk(ToCp932Lossy(text));
  // The text enters the history whether or not anything was sent.
  EditInputChat->insertItem(0, text);
  if (EditInputChat->count() > HistoryLimit) EditInputChat->removeItem(HistoryLimit);
  EditInputChat->setCurrentIndex(-1);
  EditInputChat->setEditText(QString());
  ButtonSendChat->setEnabled(false);
}
