#pragma once
// The main window's controls and windows as a test reaches them: by object
// name, the way the dialogs' tests find theirs.

#include <QObject>
#include <QString>
#include <cstdio>
#include <cstdlib>

// The child of `window` with this object name and type; a test that asks for
// one the window does not have stops here with the name.
template <class T>
T* Child(const QObject& window, const char* name) {
  T* found = window.findChild<T*>(QString::fromLatin1(name));
  if (found == nullptr) {
    std::fprintf(stderr, "the window has no %s\n", name);
    std::abort();
  }
  return found;
}
