#include "apps/gui/glyphs.h"

#include <functional>
#include <map>

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace gui {

namespace {

QIcon Draw(int size, const std::function<void(QPainter&)>& paint) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  paint(painter);
  return QIcon(pixmap);
}

void PaintMagnifier(QPainter& painter) {
  painter.setPen(QPen(QColor(40, 40, 40), 1.6));
  painter.setBrush(QColor(170, 210, 245, 160));
  painter.drawEllipse(QPointF(6.5, 6.5), 4.5, 4.5);
  painter.setPen(QPen(QColor(110, 70, 30), 2.6, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(QPointF(10.0, 10.0), QPointF(14.5, 14.5));
}

void PaintConfirm(QPainter& painter) {
  QPainterPath tick;
  tick.moveTo(5, 13);
  tick.lineTo(10, 18);
  tick.lineTo(19, 6);
  painter.setPen(QPen(QColor(46, 139, 50), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.drawPath(tick);
}

}  // namespace

QIcon GlyphIcon(const std::string& name) {
  static const std::map<std::string, std::function<QIcon()>> kGlyphs = {
      {"magnifier", [] { return Draw(16, PaintMagnifier); }},
      {"confirm", [] { return Draw(24, PaintConfirm); }},
  };
  auto it = kGlyphs.find(name);
  return it == kGlyphs.end() ? QIcon() : it->second();
}

}  // namespace gui
