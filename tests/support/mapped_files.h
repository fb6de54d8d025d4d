#pragma once
// The files this process has mapped, from /proc/self/maps: which libraries and
// font files the code under test has loaded. Empty where there is no /proc.

#include <QFile>
#include <QStringList>

inline QStringList MappedFiles() {
  QStringList files;
  QFile maps(QStringLiteral("/proc/self/maps"));
  if (!maps.open(QIODevice::ReadOnly)) return files;
  for (const QByteArray& line : maps.readAll().split('\n')) {
    const qsizetype path = line.indexOf('/');
    if (path < 0) continue;
    const QString file = QString::fromUtf8(line.mid(path));
    if (!files.contains(file)) files << file;
  }
  return files;
}
