#include "DrawnIcons.h"

#include <QPainter>
#include <QPolygon>

#include "layout/Layout.h"

namespace brivanto::qt {
namespace {

constexpr QColor kBlack(0, 0, 0);
constexpr QColor kWhite(255, 255, 255);
constexpr QColor kGray(128, 128, 128);
constexpr QColor kSilver(192, 192, 192);
constexpr QColor kOlive(128, 128, 0);
constexpr QColor kYellow(255, 255, 0);
constexpr QColor kTeal(0, 128, 128);
constexpr QColor kCyan(0, 255, 255);

QPixmap EmptyIconPixmap() {
  QPixmap pixmap(layout::kIconPixels, layout::kIconPixels);
  pixmap.fill(Qt::transparent);
  return pixmap;
}

}  // namespace

QPixmap FolderPixmap() {
  auto pixmap = EmptyIconPixmap();
  QPainter painter(&pixmap);
  painter.setPen(kBlack);
  painter.setBrush(kOlive);
  painter.drawPolygon(QPolygon({{2, 6}, {11, 6}, {14, 9}, {28, 9}, {28, 26}, {2, 26}}));
  painter.setBrush(kYellow);
  painter.drawPolygon(QPolygon({{6, 13}, {31, 13}, {27, 26}, {2, 26}}));
  painter.setPen(kWhite);
  painter.drawLine(7, 14, 29, 14);
  return pixmap;
}

QPixmap DatabasePixmap() {
  auto pixmap = EmptyIconPixmap();
  QPainter painter(&pixmap);
  painter.setPen(kBlack);
  painter.setBrush(kTeal);
  painter.drawRect(5, 6, 22, 19);
  painter.drawEllipse(5, 20, 22, 9);
  painter.setPen(Qt::NoPen);
  painter.drawRect(6, 7, 21, 18);
  painter.setPen(kSilver);
  painter.drawLine(6, 13, 26, 13);
  painter.drawLine(6, 19, 26, 19);
  painter.setPen(kBlack);
  painter.setBrush(kCyan);
  painter.drawEllipse(5, 2, 22, 9);
  painter.setPen(kGray);
  painter.drawLine(9, 8, 23, 8);
  return pixmap;
}

}  // namespace brivanto::qt
