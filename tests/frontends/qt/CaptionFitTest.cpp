// Every caption of the real window fits inside its control in the window's own font, at the dots
// per inch the test's environment gives the screen (BRIVANTO_TEST_DPI), and the frame's title
// sits on the frame's top line as on Windows.

#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>
#include <algorithm>
#include <memory>
#include <optional>

#include "QtFormWindow.h"
#include "TitledFrame.h"
#include "Twips.h"
#include "UiFont.h"
#include "layout/Layout.h"
#include "support/GuiFakes.h"

using namespace brivanto;
using layout::ControlKind;

namespace {

// The room a caption has and what it takes, in pixels.
struct CaptionFit {
  QString control;
  QString caption;
  QSize room;
  QSize text;
  int WidthMargin() const { return room.width() - text.width(); }
  int HeightMargin() const { return room.height() - text.height(); }
};

// The caption's width including what its outer glyphs paint beyond their advances.
int InkWidth(const QFontMetrics& metrics, const QString& text) {
  return metrics.horizontalAdvance(text) + std::max(0, -metrics.leftBearing(text.front())) +
         std::max(0, -metrics.rightBearing(text.back()));
}

// Where the style draws a push button's label: inside its bevel.
QRect ButtonContents(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  if (button.autoDefault() || button.isDefault()) {
    option.features |= QStyleOptionButton::AutoDefaultButton;
  }
  return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
}

// The frame's title needs the width between the line's two ends and the height above the
// frame's first control.
QSize FrameTitleRoom(const qt::TitledFrame& frame) {
  int firstTop = frame.height();
  for (const auto* child : frame.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    firstTop = std::min(firstTop, child->y());
  }
  return {frame.width() - 2 * frame.TitleRect().left(), firstTop};
}

std::optional<CaptionFit> Measure(const layout::ControlLayout& control, const QWidget& widget) {
  const QFontMetrics metrics = widget.fontMetrics();
  const auto fit = [&](const QString& caption, QSize room) {
    return CaptionFit{QString::fromLatin1(control.name.data(), control.name.size()), caption, room,
                      QSize(InkWidth(metrics, caption), metrics.height())};
  };
  // A widget of another class than the kind's has no measure here.
  const auto* button = qobject_cast<const QPushButton*>(&widget);
  const auto* label = qobject_cast<const QLabel*>(&widget);
  const auto* frame = qobject_cast<const qt::TitledFrame*>(&widget);
  switch (control.kind) {
    case ControlKind::Button:
      return button ? std::optional(fit(button->text(), ButtonContents(*button).size()))
                    : std::nullopt;
    case ControlKind::Label:
      return label ? std::optional(fit(label->text(), label->contentsRect().size())) : std::nullopt;
    case ControlKind::Frame:
      return frame ? std::optional(fit(frame->title(), FrameTitleRoom(*frame))) : std::nullopt;
    case ControlKind::PictureButton:
    case ControlKind::TextBox:
    case ControlKind::ListBox:
      break;
  }
  return std::nullopt;
}

}  // namespace

class CaptionFitTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void windowUsesTheDesignFontAtTheScreensDpi();
  void everyCaptionFitsItsControl();
  void frameTitleSitsOnTheTopLine();

 private:
  QWidget& Find(std::string_view name) const {
    auto* control = window_->findChild<QWidget*>(QString::fromLatin1(name.data(), name.size()));
    if (control == nullptr) {
      qFatal("no control %s", name.data());
    }
    return *control;
  }
  // Every caption of the window as it is now.
  QList<CaptionFit> Captions() const;

  int dpi_ = 0;
  std::unique_ptr<guitest::GuiTestServices> services_;
  std::unique_ptr<qt::QtFormWindow> window_;
};

void CaptionFitTest::init() {
  dpi_ = qEnvironmentVariableIntValue("BRIVANTO_TEST_DPI");
  QVERIFY2(dpi_ > 0, "BRIVANTO_TEST_DPI must name the screen's dots per inch");
  services_ = std::make_unique<guitest::GuiTestServices>();
  window_ = std::make_unique<qt::QtFormWindow>(services_->Bundle());
  services_->messageBox.SetParentWindow(window_.get());
  QVERIFY(window_->Load());
  window_->show();
  QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

void CaptionFitTest::cleanup() {
  window_.reset();
  services_.reset();
}

void CaptionFitTest::windowUsesTheDesignFontAtTheScreensDpi() {
  // The layout itself follows the screen: else this run would measure 96 dpi once more.
  QCOMPARE(window_->logicalDpiY(), dpi_);
  QCOMPARE(window_->width(), qt::TwipsToPixels(layout::kClientWidth, dpi_));

  const QFontInfo font(Find("cmdRepair").font());
  QCOMPARE(font.family(), qt::FirstInstalledFamily(QFontDatabase::families()));
  QVERIFY2(font.family() != "DejaVu Sans",
           "no font with Tahoma's or Arial's widths is installed (fonts-liberation2)");
  QCOMPARE(font.pointSize(), qt::kUiFontPoints);
  qInfo("font %s %d pt: %d px at %d dpi", qPrintable(font.family()), font.pointSize(),
        font.pixelSize(), dpi_);
}

QList<CaptionFit> CaptionFitTest::Captions() const {
  QList<CaptionFit> fits;
  for (const auto& control : layout::kControls) {
    const auto fit = Measure(control, Find(control.name));
    if (!control.caption.empty() && !fit) {
      qFatal("no measure for the caption of %s", control.name.data());
    }
    if (fit) {
      fits.append(*fit);
    }
  }
  return fits;
}

void CaptionFitTest::everyCaptionFitsItsControl() {
  // The maintenance button's caption changes when the panel opens.
  auto fits = Captions();
  QTest::mouseClick(&Find("cmdMaintenance"), Qt::LeftButton);
  QCOMPARE(Find("cmdMaintenance").property("text").toString(), "Verbergen");
  fits += Captions();

  QStringList clipped;
  const auto byWidth = [](const auto& a, const auto& b) {
    return a.WidthMargin() < b.WidthMargin();
  };
  const auto byHeight = [](const auto& a, const auto& b) {
    return a.HeightMargin() < b.HeightMargin();
  };
  for (const auto& fit : fits) {
    qInfo("%-16s %-20s text %3dx%-3d room %3dx%-3d", qPrintable(fit.control),
          qPrintable(fit.caption), fit.text.width(), fit.text.height(), fit.room.width(),
          fit.room.height());
    if (fit.WidthMargin() < 0 || fit.HeightMargin() < 0) {
      clipped << fit.control + " \"" + fit.caption + "\"";
    }
  }
  const auto& narrowest = *std::min_element(fits.begin(), fits.end(), byWidth);
  const auto& lowest = *std::min_element(fits.begin(), fits.end(), byHeight);
  qInfo("smallest margins at %d dpi: %d px wide (%s \"%s\"), %d px high (%s)", dpi_,
        narrowest.WidthMargin(), qPrintable(narrowest.control), qPrintable(narrowest.caption),
        lowest.HeightMargin(), qPrintable(lowest.control));
  QVERIFY2(clipped.isEmpty(), qPrintable("clipped: " + clipped.join(", ")));
}

void CaptionFitTest::frameTitleSitsOnTheTopLine() {
  QTest::mouseClick(&Find("cmdMaintenance"), Qt::LeftButton);
  auto* titled = qobject_cast<qt::TitledFrame*>(&Find("frmMaintenance"));
  QVERIFY2(titled != nullptr, "the frame is no TitledFrame");
  auto& frame = *titled;
  const QImage picture = frame.grab().toImage();
  const QRgb background = picture.pixel(picture.width() - 4, 1);
  const auto painted = [&](int x, int y) { return picture.pixel(x, y) != background; };

  // The top line, seen at the right, where no title is.
  const int x = picture.width() - 20;
  int line = 0;
  while (line < picture.height() && !painted(x, line)) {
    ++line;
  }
  // The title's ink, right of the frame's left edge.
  const QRect title = frame.TitleRect();
  QRect ink;
  for (int y = 0; y <= title.bottom(); ++y) {
    for (int column = 2; column <= title.right() + 1; ++column) {
      if (painted(column, y) && y != line && y != line + 1) {
        ink |= QRect(column, y, 1, 1);
      }
    }
  }
  qInfo("line at y %d, title ink %d,%d %dx%d", line, ink.x(), ink.y(), ink.width(), ink.height());
  QVERIFY2(ink.top() < line && line + 1 < ink.bottom(), "the line does not cross the title");
  QVERIFY(std::abs(ink.center().y() - line) <= dpi_ / 48);
  // At the left, a few pixels in, as on Windows.
  QVERIFY(ink.left() >= dpi_ / 24 && ink.left() <= dpi_ / 8);
}

QTEST_MAIN(CaptionFitTest)
#include "CaptionFitTest.moc"
