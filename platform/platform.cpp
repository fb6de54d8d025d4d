#include "platform/platform.h"

#ifdef TURFWING_HAVE_DBUS
#include "platform/desktop_notifier.h"
#endif

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibrary>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QUrl>
#include <QWidget>

#include "platform/program_start.h"
#include "platform/sound_player.h"

namespace {

// A box belongs to the window that asked for it and lives on the heap: a server
// message handled in the box's nested loop may destroy that window (a chat tab
// and its formation window when the room is left, every tab on a disconnect),
// and Qt then deletes the box with it and ends its loop. A box on the stack
// would be freed twice. NoButton tells the caller that the owner is gone.
QMessageBox::StandardButton ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                                    const QString& text, QMessageBox::StandardButtons buttons) {
  QPointer<QMessageBox> box = new QMessageBox(icon, caption, text, buttons, parent);
  box->setTextFormat(Qt::PlainText);  // server text is never markup
  const int answer = box->exec();
  if (box.isNull()) return QMessageBox::NoButton;
  delete box.data();
  return static_cast<QMessageBox::StandardButton>(answer);
}

class QtPlatform final : public Platform {
 public:
  void errorBox(QWidget* parent, const QString& text) override {
    ShowBox(parent, QMessageBox::Critical, QStringLiteral("エラー"), text, QMessageBox::Ok);
  }
  void informationBox(QWidget* parent, const QString& caption, const QString& text) override {
    ShowBox(parent, QMessageBox::Information, caption, text, QMessageBox::Ok);
  }
  bool yesNoQuestion(QWidget* parent, const QString& caption, const QString& text) override {
    return ShowBox(parent, QMessageBox::Information, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  }

  void openUrl(const QString& address) override {
    if (address.isEmpty()) return;
    QDesktopServices::openUrl(QUrl(address));
  }

  bool startProgram(const QString& program, const QString& parameters, const QString& workingDirectory,
                    const QString& runner) override {
    // access.ini names programs the Windows way (game\soccer.exe); a backslash
    // separates folders here too.
    QString relative = QDir::fromNativeSeparators(program);
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString path = QDir(workingDirectory).absoluteFilePath(relative);
    if (!QFileInfo(path).isFile()) return false;
    QProcess process;
#ifdef Q_OS_WIN
    Q_UNUSED(runner);
    process.setProgram(path);
    process.setNativeArguments(parameters);
#else
    // A Windows program (the game usually is) goes through Wine or the runner
    // that access.ini names.
    const ProgramStart start =
        PlanProgramStart(QFile::encodeName(path).toStdString(), parameters.toStdU16String(),
                         QFile::encodeName(runner).toStdString(), qEnvironmentVariable("PATH").toStdString());
    if (!start.ok) return false;
    QStringList args;
    for (const std::u16string& a : start.arguments) args << QString::fromStdU16String(a);
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(start.executable)));
    process.setArguments(args);
#endif
    process.setWorkingDirectory(workingDirectory);
    return process.startDetached();
  }

  void playSound(const QString& wavPath) override {
    if (!QFileInfo(wavPath).isFile()) return;
    static const PlaySoundFunction play = LoadSoundPlayer(SoundModuleFolders());
    if (play != nullptr) play(wavPath);
  }

  uint32_t tick() override {
    if (!clock_.isValid()) clock_.start();
    return static_cast<uint32_t>(clock_.elapsed());
  }

  QString openFileName(QWidget* parent, const QString& caption, const QString& directory, const QString& filter,
                       const QString& defaultSuffix) override {
    // On the heap for the same reason as the boxes.
    QPointer<QFileDialog> dialog = new QFileDialog(parent, caption, directory, filter);
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setDefaultSuffix(defaultSuffix);
    dialog->setOption(QFileDialog::ReadOnly, false);
    const int result = dialog->exec();
    if (dialog.isNull()) return {};
    const QStringList chosen = dialog->selectedFiles();
    delete dialog.data();
    if (result != QDialog::Accepted || chosen.isEmpty()) return {};
    return QDir::toNativeSeparators(chosen.first());
  }

  void alert(QWidget* window) override {
    if (window != nullptr && !window->isActiveWindow()) QApplication::alert(window);
  }

  void notify(QWidget* window, const QString& summary, const QString& body) override {
#ifdef TURFWING_HAVE_DBUS
    if (notifier_ == nullptr) notifier_ = new DesktopNotifier(qApp);
    notifier_->notify(window, summary, body);
#else
    (void)window, (void)summary, (void)body;
#endif
  }

 private:
#ifdef TURFWING_HAVE_DBUS
  DesktopNotifier* notifier_ = nullptr;
#endif
  QElapsedTimer clock_;
};

Platform*& Installed() {
  static Platform* installed = nullptr;
  return installed;
}

}  // namespace

Platform& Platform::real() {
  static QtPlatform real;
  return real;
}

Platform& Platform::current() { return Installed() != nullptr ? *Installed() : real(); }

void Platform::install(Platform* p) { Installed() = p; }

QStringList SoundModuleFolders() {
  const QString own = QCoreApplication::applicationDirPath();
  return {own, QDir::cleanPath(own + QStringLiteral("/" TURFWING_SOUND_MODULE_FROM_BIN))};
}

PlaySoundFunction LoadSoundPlayer(const QStringList& folders) {
  for (const QString& folder : folders) {
    // QLibrary adds the system's suffix (.so, .dll); the module is never unloaded.
    QLibrary module(folder + QStringLiteral("/turfwing-sound"));
    if (!module.load()) continue;
    if (auto play = reinterpret_cast<PlaySoundFunction>(module.resolve("TurfwingPlaySound"))) return play;
  }
  return nullptr;
}
