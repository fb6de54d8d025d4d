// The call sounds' player, a module of its own that the client loads at its
// first sound (platform/sound_player.h): the multimedia libraries, and the sound
// system's client libraries they bring, stay out of the many sessions that
// never ring.
#include <QCoreApplication>
#include <QHash>
#include <QSoundEffect>
#include <QUrl>

#include "platform/sound_player.h"

extern "C" Q_DECL_EXPORT void TurfwingPlaySound(const QString& wavPath) {
  // One effect per file, kept for the run: QSoundEffect loads asynchronously
  // and stops when destroyed. The application owns them, so they go before it.
  static QHash<QString, QSoundEffect*> effects;
  QSoundEffect*& effect = effects[wavPath];
  if (effect == nullptr) {
    effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(wavPath));
  }
  effect->play();
}
