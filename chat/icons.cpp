#include "chat/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRadialGradient>

namespace {

// The scales every picture is drawn at: a screen at 100 %, 200 % or 300 % takes
// its own, drawn for it rather than stretched.
constexpr qreal kScales[] = {1.0, 2.0, 3.0};

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

QIcon MemberIcon(int index) {
  QIcon icon;
  for (qreal scale : kScales) icon.addPixmap(Lamp(index == 0, scale));
  return icon;
}

QIcon BellIcon() {
  QIcon icon;
  const QColor gold(250, 200, 40);
  const QColor brown(120, 80, 0);
  const QColor paleGrey(215, 215, 215);
  const QColor grey(150, 150, 150);
  for (qreal scale : kScales) {
    icon.addPixmap(Bell(scale, gold, brown, true, false), QIcon::Normal, QIcon::Off);
    icon.addPixmap(Bell(scale, gold, brown, true, false), QIcon::Active, QIcon::Off);
    icon.addPixmap(Bell(scale, gold.darker(115), brown, false, true), QIcon::Normal, QIcon::On);
    icon.addPixmap(Bell(scale, gold.darker(115), brown, false, true), QIcon::Active, QIcon::On);
    icon.addPixmap(Bell(scale, paleGrey, grey, true, false), QIcon::Disabled, QIcon::Off);
    icon.addPixmap(Bell(scale, paleGrey, grey, false, true, grey), QIcon::Disabled, QIcon::On);
  }
  return icon;
}
