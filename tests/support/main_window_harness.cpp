#include "main_window_harness.h"

#include "wait.h"

std::string AccessPathIn(const QString& folder) { return (folder + QStringLiteral("/access.ini")).toStdString(); }
std::string SettingsPathIn(const QString& folder) { return (folder + QStringLiteral("/turfwing.INI")).toStdString(); }

void PointAtServer(TFormMain& form, quint16 port, int32_t userId, const std::string& password) {
  form.setAutoConnectPending(false);
  form.settings().Access.IP = "127.0.0.1";
  form.settings().Access.Port = port;
  form.settings().UserID = userId;
  form.settings().Password = password;
}

MainWindowHarness::MainWindowHarness() : form(AccessPathIn(dir.path()), SettingsPathIn(dir.path())) {
  PointAtServer(form, server.port(), 1234, "PASS1");
}

::testing::AssertionResult MainWindowHarness::ConnectClient() {
  const size_t before = server.frames().size();
  form.Connect();
  if (!server.waitForFrames(before + 1)) return ::testing::AssertionFailure() << "no GmReady";
  if (!WaitUntil([&] { return form.session().isOpen(); })) return ::testing::AssertionFailure() << "not connected";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult MainWindowHarness::AnswerLogin(int16_t clientId, const char* playerName) {
  GmAReady::Info ready;
  ready.clientId = clientId;
  server.send<GmAReady>(ready);
  const size_t connectAt = server.frames().size() + 1;
  if (!server.waitForFrames(connectAt)) return ::testing::AssertionFailure() << "no GmConnect";
  GmAConnect::Info ok;
  CopyText(ok.PlayerName, playerName);
  server.send<GmAConnect>(ok);
  if (!WaitUntil([&] { return form.session().playerName() == playerName; }))
    return ::testing::AssertionFailure() << "the login was not taken";
  if (!server.waitForFrames(connectAt + static_cast<size_t>(form.settings().Rooms.Count())))
    return ::testing::AssertionFailure() << "the remembered rooms were not asked for";
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult MainWindowHarness::LogIn(int16_t clientId, const char* playerName) {
  if (auto connected = ConnectClient(); !connected) return connected;
  return AnswerLogin(clientId, playerName);
}

void MainWindowHarness::Disconnect() {
  form.CloseMenuClick();
  server.waitForDisconnect();
}
