#pragma once
// A real main window against a scripted lobby server on loopback, as the gui,
// robustness and x11 suites log one in: its settings files live in a temporary
// folder of its own, it does not connect by itself, and it logs in as user 1234
// with the password PASS1. The end-to-end suite points its windows at the
// development server with PointAtServer.

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "lobby/form_main.h"
#include "scripted_server.h"

// The settings file paths of a window whose files are in folder.
std::string AccessPathIn(const QString& folder);
std::string SettingsPathIn(const QString& folder);
// Points the window at a lobby server on loopback, with this login; it no
// longer connects by itself at its first activation.
void PointAtServer(TFormMain& form, quint16 port, int32_t userId, const std::string& password);

class MainWindowHarness {
 public:
  MainWindowHarness();

  // Connects: the server holds the client's GmReady and the session is open.
  ::testing::AssertionResult ConnectClient();
  // Answers GmReady and GmConnect as a lobby server does, then waits until the
  // login is taken and the remembered rooms are asked for again.
  ::testing::AssertionResult AnswerLogin(int16_t clientId, const char* playerName);
  ::testing::AssertionResult LogIn(int16_t clientId, const char* playerName);
  // Closes from the client side and waits until the server saw it.
  void Disconnect();

  QTemporaryDir dir;
  ScriptedServer server;
  TFormMain form;
};
