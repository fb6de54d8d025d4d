#pragma once
// Gives every widget of class Widget (exactly that class, not a subclass) the
// accessible interface View, for screen readers. Installed once per program;
// Qt asks each installed factory for every widget a reader looks at.

#include <QAccessible>

template <class Widget, class View>
void InstallAccessibleFactory() {
  static const bool installed = [] {
    QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
      if (className == QLatin1String(Widget::staticMetaObject.className()) && object->isWidgetType()) {
        return new View(static_cast<Widget*>(object));
      }
      return nullptr;
    });
    return true;
  }();
  (void)installed;
}
