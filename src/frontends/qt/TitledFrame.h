#pragma once

#include <QGroupBox>
#include <QRect>
#include <QString>

namespace brivanto::qt {

// A group box drawn as Windows draws one: the frame's top line runs through the middle of the
// title, which stands at the left on a short gap in the line. Qt's styles put the title above
// the frame instead, which moves the line down into the space the layout table gives the first
// controls.
class TitledFrame : public QGroupBox {
  Q_OBJECT

 public:
  TitledFrame(const QString& title, QWidget* parent);

  // Where the title is drawn, in the frame's own coordinates.
  QRect TitleRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int Pixels(int twips) const;
};

}  // namespace brivanto::qt
