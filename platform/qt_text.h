#pragma once
// The widget boundary: code page 932 bytes to QString and back, and an input
// validator that counts CP932 bytes.

#include <QColor>
#include <QString>
#include <QValidator>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

// CP932 bytes to text for a widget; invalid bytes show as U+FFFD.
QString ToQString(std::string_view cp932Bytes);
// Text from a widget to CP932 bytes; nullopt when a character has no CP932 form.
std::optional<std::string> ToCp932(const QString& text);
// Like ToCp932, but drops characters that have no CP932 form.
std::string ToCp932Lossy(const QString& text);

// Refuses input whose CP932 form would exceed maxBytes, or that holds a character
// CP932 cannot represent, so nothing typed is lost or garbled on the wire.
class Cp932Validator final : public QValidator {
  Q_OBJECT
 public:
  Cp932Validator(int maxBytes, QObject* parent = nullptr) : QValidator(parent), maxBytes_(maxBytes) {}
  State validate(QString& input, int& pos) const override;
  int maxBytes() const { return maxBytes_; }
  void setMaxBytes(int maxBytes) { maxBytes_ = maxBytes; }

 private:
  int maxBytes_;
};

// A caption as a screen reader says it: without its mnemonic ("入室者一覧(&U)" is
// "入室者一覧", "Q&&A" is "Q&A").
QString WithoutMnemonic(const QString& caption);

// Names an input, list or button for screen readers after the caption a person
// reads beside it.
void NameForScreenReaders(QWidget* widget, const QString& caption);

// The plain colour rule (platform/colour_contrast.h) for Qt's colours.
QColor ReadableOn(const QColor& color, const QColor& background);
bool IsDarkBackground(const QColor& background);
// An opaque colour of `parts` parts of over to (whole - parts) of under, each
// channel rounded down.
QColor Blended(const QColor& over, const QColor& under, int parts, int whole);
