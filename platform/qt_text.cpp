#include "platform/qt_text.h"

#include <QWidget>

#include "platform/colour_contrast.h"
#include "platform/cp932.h"

QString ToQString(std::string_view cp932Bytes) {
  const std::u16string u = cp932::ToUtf16(cp932Bytes);
  return QString::fromStdU16String(u);
}

std::optional<std::string> ToCp932(const QString& text) {
  std::string out;
  if (!cp932::FromUtf16(text.toStdU16String(), out)) return std::nullopt;
  return out;
}

std::string ToCp932Lossy(const QString& text) {
  std::u16string u = text.toStdU16String();
  std::string out;
  std::string all;
  size_t bad = 0;
  while (!cp932::FromUtf16(u, out, &bad)) {
    all += out;
    const size_t skip = (u[bad] >= 0xD800 && u[bad] <= 0xDBFF && bad + 1 < u.size()) ? 2 : 1;
    u.erase(0, bad + skip);
  }
  return all + out;
}

QValidator::State Cp932Validator::validate(QString& input, int& /*pos*/) const {
  std::string bytes;
  if (!cp932::FromUtf16(input.toStdU16String(), bytes)) return Invalid;
  return static_cast<int>(bytes.size()) <= maxBytes_ ? Acceptable : Invalid;
}

QString WithoutMnemonic(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
      ++i;  // "&&" stands for one "&"; "&X" for X
      // "(&U)" after a caption says only which key: drop it whole.
      if (caption[i] != QLatin1Char('&') && !out.isEmpty() && out.back() == QLatin1Char('(') &&
          i + 1 < caption.size() && caption[i + 1] == QLatin1Char(')')) {
        out.chop(1);
        ++i;
        continue;
      }
    }
    out += caption[i];
  }
  return out;
}

void NameForScreenReaders(QWidget* widget, const QString& caption) {
  widget->setAccessibleName(WithoutMnemonic(caption));
}

namespace {
Rgb RgbOf(const QColor& c) {
  return {static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue())};
}
}  // namespace

QColor ReadableOn(const QColor& color, const QColor& background) {
  const Rgb shown = ReadableOn(RgbOf(color), RgbOf(background));
  return {shown.r, shown.g, shown.b};
}

bool IsDarkBackground(const QColor& background) { return IsDarkBackground(RgbOf(background)); }

QColor Blended(const QColor& over, const QColor& under, int parts, int whole) {
  auto mix = [&](int o, int u) { return (parts * o + (whole - parts) * u) / whole; };
  return {mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue())};
}
