// The client as a player gets it: the Debian packages unpacked into a
// throw-away root, the client run from there under a real X server by a new
// user (an empty home, a configuration folder holding only an access.ini that
// names the packaged turfwing-lobbyd), logged in by keyboard and closed as a
// window manager closes a window. What the user should find afterwards is in
// their configuration folder, and nowhere else.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (Clock::now() < end) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (done()) return true;
    QThread::msleep(20);
  }
  return done();
}

// Another program's windows, as the X server holds them.
class Screen {
 public:
  Screen() : c_(xcb_connect(nullptr, nullptr)) {}
  ~Screen() { xcb_disconnect(c_); }
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;
  bool ok() const { return xcb_connection_has_error(c_) == 0; }

  std::string Property(xcb_window_t w, const char* name) {
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c_, xcb_get_property(c_, 0, w, Atom(name), XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
    if (r == nullptr) return {};
    std::string v(static_cast<const char*>(xcb_get_property_value(r)),
                  static_cast<size_t>(xcb_get_property_value_length(r)));
    free(r);
    return v;
  }
  // The mapped top-level windows whose caption (_NET_WM_NAME, UTF-8) is title.
  std::vector<xcb_window_t> Titled(const std::string& title) {
    return Titled([&title](const std::string& t) { return t == title; });
  }
  std::vector<xcb_window_t> Titled(const std::function<bool(const std::string&)>& match) {
    std::vector<xcb_window_t> found;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c_, xcb_query_tree(c_, root), nullptr);
    if (tree == nullptr) return found;
    const xcb_window_t* children = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
      xcb_get_window_attributes_reply_t* a =
          xcb_get_window_attributes_reply(c_, xcb_get_window_attributes(c_, children[i]), nullptr);
      const bool viewable = a != nullptr && a->map_state == XCB_MAP_STATE_VIEWABLE;
      free(a);
      if (viewable && match(Property(children[i], "_NET_WM_NAME"))) found.push_back(children[i]);
    }
    free(tree);
    return found;
  }
  bool HasFocus(xcb_window_t w) {
    xcb_get_input_focus_reply_t* r = xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr);
    const bool yes = r != nullptr && r->focus == w;
    free(r);
    return yes;
  }
  void Type(const char* text) {
    for (const char* p = text; *p != '\0'; ++p) Press(static_cast<uint32_t>(*p));
  }
  void Press(uint32_t keysym) {
    const xcb_keycode_t code = Code(keysym);
    xcb_test_fake_input(c_, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_test_fake_input(c_, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(c_);
  }
  // What a window manager sends when the user closes the window.
  void Close(xcb_window_t w) {
    xcb_client_message_event_t e{};
    e.response_type = XCB_CLIENT_MESSAGE;
    e.format = 32;
    e.window = w;
    e.type = Atom("WM_PROTOCOLS");
    e.data.data32[0] = Atom("WM_DELETE_WINDOW");
    e.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(c_, 0, w, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&e));
    xcb_flush(c_);
  }

 private:
  xcb_atom_t Atom(const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
    const xcb_atom_t a = r != nullptr ? r->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(r);
    return a;
  }
  xcb_keycode_t Code(uint32_t keysym) {
    const xcb_setup_t* setup = xcb_get_setup(c_);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    xcb_get_keyboard_mapping_reply_t* map = xcb_get_keyboard_mapping_reply(
        c_, xcb_get_keyboard_mapping(c_, setup->min_keycode, static_cast<uint8_t>(count)), nullptr);
    if (map == nullptr) return 0;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(map);
    xcb_keycode_t found = 0;
    for (int i = 0; i < count && found == 0; ++i) {
      if (syms[i * map->keysyms_per_keycode] == keysym) found = static_cast<xcb_keycode_t>(setup->min_keycode + i);
    }
    free(map);
    return found;
  }
  xcb_connection_t* c_;
};

// Every file below a folder with its size and time of change.
std::map<QString, QString> Snapshot(const QString& folder) {
  std::map<QString, QString> files;
  QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo f(it.next());
    files[f.filePath()] = QString::number(f.size()) + QLatin1Char(' ') + f.lastModified().toString(Qt::ISODateWithMs);
  }
  return files;
}

QString PackageFile(const QString& folder, const QString& name) {
  const QStringList found = QDir(folder).entryList({name + QStringLiteral("_*_amd64.deb")}, QDir::Files);
  return found.size() == 1 ? QDir(folder).filePath(found.front()) : QString();
}

TEST(InstalledClientTest, ANewUserLogsInAndFindsTheSettingsInTheirConfigFolder) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs an X server; scripts/test starts one";
  const QString packages = qEnvironmentVariable("TURFWING_PACKAGES");
  const QString client = PackageFile(packages, QStringLiteral("turfwing"));
  const QString lobbyd = PackageFile(packages, QStringLiteral("turfwing-lobbyd"));
  ASSERT_FALSE(client.isEmpty()) << "no client package in " << packages.toStdString();
  ASSERT_FALSE(lobbyd.isEmpty()) << "no server package in " << packages.toStdString();
  Screen screen;
  ASSERT_TRUE(screen.ok());

  QTemporaryDir temp;
  ASSERT_TRUE(temp.isValid());
  const QString root = temp.filePath(QStringLiteral("root"));
  for (const QString& deb : {client, lobbyd}) {
    ASSERT_EQ(QProcess::execute(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, root}), 0);
  }
  ASSERT_TRUE(QFileInfo(root + QStringLiteral("/usr/bin/turfwing")).isExecutable());
  const std::map<QString, QString> installed = Snapshot(root);

  QProcess server;
  server.start(root + QStringLiteral("/usr/bin/turfwing-lobbyd"),
               {QStringLiteral("--demo"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")});
  ASSERT_TRUE(server.waitForStarted());
  QByteArray serverLog;
  int port = 0;
  ASSERT_TRUE(WaitFor(
      [&] {
        serverLog += server.readAllStandardError();
        const auto m = QRegularExpression(QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"))
                           .match(QString::fromUtf8(serverLog));
        if (m.hasMatch()) port = m.captured(1).toInt();
        return port != 0;
      },
      10000));

  // A new user: an empty home, and a configuration folder with only access.ini.
  const QString home = temp.filePath(QStringLiteral("home"));
  const QString config = temp.filePath(QStringLiteral("config"));
  const QString work = temp.filePath(QStringLiteral("work"));
  for (const QString& d : {home, config + QStringLiteral("/turfwing"), work}) ASSERT_TRUE(QDir().mkpath(d));
  {
    QFile access(config + QStringLiteral("/turfwing/access.ini"));
    ASSERT_TRUE(access.open(QIODevice::WriteOnly));
    access.write("[Common]\nIP=127.0.0.1\nPort=" + QByteArray::number(port) + "\n");
  }
  QProcessEnvironment env;
  for (const char* keep : {"PATH", "DISPLAY", "XAUTHORITY", "LANG"}) {
    if (qEnvironmentVariableIsSet(keep)) env.insert(QString::fromLatin1(keep), qEnvironmentVariable(keep));
  }
  env.insert(QStringLiteral("HOME"), home);
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  QProcess turfwing;
  turfwing.setProcessEnvironment(env);
  turfwing.setWorkingDirectory(work);
  turfwing.start(root + QStringLiteral("/usr/bin/turfwing"), {});
  ASSERT_TRUE(turfwing.waitForStarted());

  // Any error box, at any moment, fails the run.
  bool errorBox = false;
  auto watching = [&](const std::function<bool()>& done) {
    return [&, done] {
      errorBox = errorBox || !screen.Titled("エラー").empty();
      return done();
    };
  };
  std::vector<xcb_window_t> login;
  ASSERT_TRUE(WaitFor(watching([&] { return !(login = screen.Titled("接続")).empty(); }), 15000))
      << "no login dialog; client said: " << turfwing.readAllStandardError().toStdString();
  ASSERT_TRUE(WaitFor([&] { return screen.HasFocus(login.front()); }, 5000));
  EXPECT_FALSE(screen.Property(login.front(), "_NET_WM_ICON").empty()) << "the login dialog has no icon";
  QThread::msleep(200);  // the dialog sets up its focus widget after it gets the focus
  screen.Type("1234");
  screen.Press(0xff09);  // Tab
  screen.Type("abc1");
  screen.Press(0xff0d);  // Return

  std::vector<xcb_window_t> main;
  // Logged in: the server's count of members is in the caption.
  const QRegularExpression loggedIn(QStringLiteral("^Turfwing ver2\\.18\\.55 - [1-9][0-9]*人$"));
  ASSERT_TRUE(WaitFor(watching([&] {
                        main = screen.Titled(
                            [&](const std::string& t) { return loggedIn.match(QString::fromStdString(t)).hasMatch(); });
                        return !main.empty();
                      }),
                      15000))
      << "never logged in; client said: " << turfwing.readAllStandardError().toStdString();
  EXPECT_FALSE(screen.Property(main.front(), "_NET_WM_ICON").empty()) << "the main window has no icon";
  const std::string wmClass = screen.Property(main.front(), "WM_CLASS");
  EXPECT_EQ(wmClass, std::string("turfwing\0Turfwing\0", 18)) << "the desktop entry's StartupWMClass is Turfwing";

  WaitFor(watching([] { return false; }), 500);  // the lobby fills; no box may come
  screen.Close(main.front());
  ASSERT_TRUE(WaitFor(watching([&] { return turfwing.state() == QProcess::NotRunning; }), 10000));
  EXPECT_EQ(turfwing.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(turfwing.exitCode(), 0);
  EXPECT_FALSE(errorBox) << "an error box appeared";
  server.terminate();
  server.waitForFinished(5000);

  QFile settings(config + QStringLiteral("/turfwing/turfwing.INI"));
  ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
  const QByteArray saved = settings.readAll();
  for (const char* line : {"UserID=1234", "Password=ABC1", "[Form]", "Width=", "GameColumn6=", "RoomCount=1"}) {
    EXPECT_TRUE(saved.contains(line)) << line << " is not in\n" << saved.toStdString();
  }
  struct stat st {};
  ASSERT_EQ(::stat(settings.fileName().toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "the settings file holds a password";
  EXPECT_TRUE(Snapshot(work).empty()) << "something was written in the working folder";
  EXPECT_EQ(Snapshot(root), installed) << "something changed under the install root";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
