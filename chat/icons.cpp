#include "chat/icons.h"

#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>
#include <functional>

namespace {

// A picture drawn for the scale of the screen it is shown on (100 %, 200 %,
// 150 %...) when that scale is first asked for, and kept: it is sharp at any
// scale, and a screen at 100 % never pays for larger pictures.
class DrawnIconEngine final : public QIconEngine {
 public:
  using Draw = std::function<QPixmap(qreal scale, QIcon::Mode mode, QIcon::State state)>;
  DrawnIconEngine(int logical, Draw draw) : logical_(logical), draw_(std::move(draw)) {}

  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Drawn(size, mode, state, 1.0);
  }
  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    painter->drawPixmap(rect, Drawn(rect.size(), mode, state, scale));
  }
  QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
    return QSize(logical_, logical_).boundedTo(size);
  }
  QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
    return {QSize(logical_, logical_), QSize(2 * logical_, 2 * logical_), QSize(3 * logical_, 3 * logical_)};
  }
  QIconEngine* clone() const override { return new DrawnIconEngine(*this); }
  void virtual_hook(int id, void* data) override {
    if (id == QIconEngine::ScaledPixmapHook) {
      // size is in device pixels here.
      auto& arg = *static_cast<QIconEngine::ScaledPixmapArgument*>(data);
      const qreal scale = arg.scale > 0 ? arg.scale : 1.0;
      arg.pixmap = Drawn(arg.size / scale, arg.mode, arg.state, scale);
      return;
    }
    QIconEngine::virtual_hook(id, data);
  }

 private:
  // Drawn at the picture's own size, never larger than asked for.
  QPixmap Drawn(const QSize& asked, QIcon::Mode mode, QIcon::State state, qreal scale) {
    if (mode != QIcon::Disabled) mode = QIcon::Normal;  // the pictures differ only when disabled
    const int key = qRound(scale * 100) * 16 + static_cast<int>(mode) * 2 + static_cast<int>(state);
    auto it = drawn_.find(key);
    if (it == drawn_.end()) it = drawn_.insert(key, draw_(scale, mode, state));
    if (asked.width() >= logical_ && asked.height() >= logical_) return *it;
    // A smaller place than the picture's own: scaled down, smoothly.
    QPixmap smaller = it->scaled(asked * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    smaller.setDevicePixelRatio(scale);
    return smaller;
  }

  int logical_;
  Draw draw_;
  QHash<int, QPixmap> drawn_;  // by scale, mode and state
};

// A transparent square of size logical pixels at a device pixel ratio; what is
// painted on it in logical coordinates lands on the finer grid.
QPixmap Canvas(int size, qreal scale) {
  QPixmap pm(qRound(size * scale), qRound(size * scale));
  pm.setDevicePixelRatio(scale);
  pm.fill(Qt::transparent);
  return pm;
}

QPixmap Lamp(bool lit, qreal scale) {
  QPixmap pm = Canvas(16, scale);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  if (lit) {
    QRadialGradient glow(QPointF(6.5, 6.0), 7.5);
    glow.setColorAt(0.0, QColor(220, 255, 220));
    glow.setColorAt(0.45, QColor(40, 210, 60));
    glow.setColorAt(1.0, QColor(0, 110, 20));
    p.setPen(QPen(QColor(0, 80, 10), 1.0));
    p.setBrush(glow);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  } else {
    p.setPen(QPen(QColor(140, 140, 140), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(3, 3, 10, 10));
  }
  return pm;
}

// A bell of 24 x 24 in the given colours; waves on either side when ringing, a
// diagonal stroke when muted.
QPixmap Bell(qreal scale, const QColor& body, const QColor& line, bool ringing, bool muted,
             const QColor& stroke = QColor(200, 0, 0)) {
  QPixmap pm = Canvas(24, scale);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath bell;
  bell.moveTo(12, 3);
  bell.cubicTo(7, 3, 6.5, 8, 6.5, 12);
  bell.lineTo(6.5, 15);
  bell.lineTo(4.5, 18);
  bell.lineTo(19.5, 18);
  bell.lineTo(17.5, 15);
  bell.lineTo(17.5, 12);
  bell.cubicTo(17.5, 8, 17, 3, 12, 3);
  p.setPen(QPen(line, 1.2));
  p.setBrush(body);
  p.drawPath(bell);
  p.setBrush(line);
  p.drawEllipse(QRectF(10, 18, 4, 3.5));
  p.drawEllipse(QRectF(11, 1.5, 2, 2));
  if (ringing) {
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(line, 1.2));
    p.drawArc(QRectF(0.5, 6, 5, 10), 110 * 16, 140 * 16);
    p.drawArc(QRectF(18.5, 6, 5, 10), -70 * 16, 140 * 16);
  }
  if (muted) {
    p.setPen(QPen(stroke, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(3, 3), QPointF(21, 21));
  }
  return pm;
}

}  // namespace

// One icon for every frame: QIcon shares its pictures, so the tenth room costs
// no more pictures than the first.
QIcon MemberIcon(int index) {
  static const QIcon lit(
      new DrawnIconEngine(16, [](qreal scale, QIcon::Mode, QIcon::State) { return Lamp(true, scale); }));
  static const QIcon unlit(
      new DrawnIconEngine(16, [](qreal scale, QIcon::Mode, QIcon::State) { return Lamp(false, scale); }));
  return index == 0 ? lit : unlit;
}

QIcon BellIcon() {
  static const QIcon icon(new DrawnIconEngine(24, [](qreal scale, QIcon::Mode mode, QIcon::State state) {
    const QColor gold(250, 200, 40);
    const QColor brown(120, 80, 0);
    const bool muted = state == QIcon::On;
    if (mode == QIcon::Disabled) {
      const QColor grey(150, 150, 150);
      return Bell(scale, QColor(215, 215, 215), grey, !muted, muted, grey);
    }
    return muted ? Bell(scale, gold.darker(115), brown, false, true) : Bell(scale, gold, brown, true, false);
  }));
  return icon;
}
