#include "app/MenuIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <cmath>

namespace wavelet {
namespace {

void DrawPage(QPainter& p, int x, int y, int w, int h) {
  p.setPen(QColor(60, 60, 60));
  p.setBrush(Qt::white);
  p.drawRect(x, y, w, h);
  p.setPen(QColor(150, 150, 150));
  for (int ly = y + 3; ly < y + h - 1; ly += 2) p.drawLine(x + 2, ly, x + w - 2, ly);
}

void DrawCut(QPainter& p) {
  p.setPen(QPen(QColor(40, 40, 40), 1.2));
  p.drawLine(4, 1, 10, 10);
  p.drawLine(11, 1, 5, 10);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0, 0, 160), 1.5));
  p.drawEllipse(QPointF(4, 12.5), 2.5, 2.5);
  p.drawEllipse(QPointF(11, 12.5), 2.5, 2.5);
}

void DrawPaste(QPainter& p) {
  p.setPen(QColor(90, 60, 20));
  p.setBrush(QColor(200, 150, 70));
  p.drawRect(1, 2, 10, 13);
  p.setBrush(QColor(120, 120, 120));
  p.drawRect(4, 1, 4, 3);
  DrawPage(p, 7, 6, 8, 9);
}

void DrawFolder(QPainter& p) {
  p.setPen(QColor(120, 90, 0));
  p.setBrush(QColor(240, 200, 80));
  QPainterPath path;
  path.moveTo(1, 4);
  path.lineTo(6, 4);
  path.lineTo(7, 6);
  path.lineTo(14, 6);
  path.lineTo(14, 14);
  path.lineTo(1, 14);
  path.closeSubpath();
  p.drawPath(path);
}

void DrawDisk(QPainter& p) {
  p.setPen(QColor(20, 20, 80));
  p.setBrush(QColor(50, 70, 160));
  p.drawRect(1, 1, 14, 14);
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 8, 5);
  p.setBrush(QColor(200, 200, 200));
  p.drawRect(3, 9, 10, 6);
}

}  // namespace

QIcon MenuIcon(int index) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing, index == 0 || index == 4);
  switch (index) {
    case 0: DrawCut(p); break;
    case 1:
      DrawPage(p, 1, 1, 9, 10);
      DrawPage(p, 5, 5, 9, 10);
      break;
    case 2: DrawPaste(p); break;
    case 3:
      p.setPen(QPen(QColor(200, 0, 0), 2));
      p.drawLine(3, 3, 13, 13);
      p.drawLine(13, 3, 3, 13);
      break;
    case 4:
      p.setPen(QPen(QColor(0, 90, 0), 2));
      p.drawArc(3, 3, 10, 10, 90 * 16, 270 * 16);
      p.drawLine(8, 3, 5, 1);
      break;
    case 5:
      p.setPen(QPen(QColor(40, 40, 40), 2));
      p.drawEllipse(2, 2, 8, 8);
      p.drawLine(9, 9, 14, 14);
      break;
    case 6: DrawPage(p, 3, 1, 10, 14); break;
    case 7: DrawFolder(p); break;
    case 8: DrawDisk(p); break;
    default: break;
  }
  return QIcon(pixmap);
}

QPixmap ProgramPicture(int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(Qt::black);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  // A Morlet-like burst over a flat trace, in the scale colours' spirit.
  const QColor colours[3] = {QColor(0, 255, 0), QColor(0, 255, 255), QColor(255, 0, 255)};
  for (int lead = 0; lead < 3; ++lead) {
    QPainterPath path;
    const double base = height * (0.3 + 0.22 * lead);
    for (int x = 0; x < width; ++x) {
      const double t = (x - width * 0.5) / (width * 0.12);
      const double y = base - std::exp(-t * t / 2) * std::cos(5.3 * t) * height * 0.18;
      if (x == 0) path.moveTo(x, y); else path.lineTo(x, y);
    }
    p.setPen(QPen(colours[lead], 1.5));
    p.drawPath(path);
  }
  return pixmap;
}

}  // namespace wavelet
