#include "TitledFrame.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QRegion>
#include <QStyle>

#include "Twips.h"

namespace brivanto::qt {
namespace {

// As on Windows at 96 dpi: the line stops 6 pixels from the left edge and leaves 2 pixels on
// either side of the title.
constexpr int kTitleIndentTwips = 90;
constexpr int kTitleGapTwips = 30;

}  // namespace

TitledFrame::TitledFrame(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

QRect TitledFrame::TitleRect() const {
  const QFontMetrics metrics = fontMetrics();
  return {Pixels(kTitleIndentTwips + kTitleGapTwips), 0, metrics.horizontalAdvance(title()),
          metrics.height()};
}

void TitledFrame::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QRect titleRect = TitleRect();
  QRect frame = rect();
  frame.setTop(titleRect.center().y());
  const int gap = Pixels(kTitleGapTwips);
  painter.save();
  if (!title().isEmpty()) {
    painter.setClipRegion(QRegion(rect()).subtracted(titleRect.adjusted(-gap, 0, gap, 0)));
  }
  // One dark and one light line: the etched edge of a Windows group box.
  qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
  painter.restore();
  style()->drawItemText(&painter, titleRect,
                        Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                        isEnabled(), title(), QPalette::WindowText);
}

int TitledFrame::Pixels(int twips) const {
  return TwipsToPixels(twips, logicalDpiX());
}

}  // namespace brivanto::qt
