#pragma once
// The seam to the world outside the process: message boxes, the shell, program
// start, sound, the millisecond tick and the file-open dialog. The application
// installs the real implementation; tests install a recording one and assert on
// what was asked for.
//
// Every text given here is shown as plain text, never as markup.

#include <QString>
#include <QStringList>
#include <cstdint>

class QWidget;

class Platform {
 public:
  virtual ~Platform() = default;

  // The boxes belong to parent: when a message handled in their nested loop
  // destroys parent, they close with it (a question then answers No). A caller
  // that goes on after a box checks that its own window still exists.

  // Modal box with the caption "エラー", the error icon and an OK button.
  virtual void errorBox(QWidget* parent, const QString& text) = 0;
  // Modal box with the information icon and an OK button.
  virtual void informationBox(QWidget* parent, const QString& caption, const QString& text) = 0;
  // Modal Yes/No box with the information icon; true for Yes.
  virtual bool yesNoQuestion(QWidget* parent, const QString& caption, const QString& text) = 0;

  // Hands a web address to the desktop ("open"); the result is not reported.
  virtual void openUrl(const QString& address) = 0;
  // Starts a program detached. parameters is one Windows-style parameter text
  // (blanks separate, double quotes group); workingDirectory is the program's
  // current directory. A Windows program on another system starts through
  // runner (empty: Wine from the search path). False when the program could
  // not be started.
  virtual bool startProgram(const QString& program, const QString& parameters, const QString& workingDirectory,
                            const QString& runner) = 0;
  // Plays a WAV file asynchronously; a missing or unreadable file is silent.
  virtual void playSound(const QString& wavPath) = 0;
  // Milliseconds of a monotonic clock; wraps like a 32-bit tick.
  virtual uint32_t tick() = 0;
  // The file-open dialog; an empty string when cancelled.
  virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
                               const QString& defaultSuffix) = 0;
  // Draws the user's attention to a window that is not active (a private talk,
  // the match-ready question).
  virtual void alert(QWidget* window) = 0;
  // A desktop notification for the same moments, while window is not active;
  // choosing it raises window. Plain texts.
  virtual void notify(QWidget* window, const QString& summary, const QString& body) = 0;

  // The installed implementation (the real one unless a test installed another).
  static Platform& current();
  // The implementation that reaches the real world, whatever is installed.
  static Platform& real();
  // Installs p (not owned); nullptr goes back to the real implementation.
  static void install(Platform* p);
};
