// A picture box: a child widget above the window's labels that shows its photo at its own size from
// its top-left corner, clipped to the box, over the box's back colour.
#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

namespace tolvane::qt {

class PictureBox final : public QWidget {
  public:
    PictureBox(QWidget* parent, const QRect& rect, QPixmap picture, QColor backColour, int tabIndex);

    // Its place in the window's tab order, which is a screen reader's reading order.
    int tabIndex() const { return tabIndex_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap picture_;
    QColor backColour_;
    int tabIndex_;
};

} // namespace tolvane::qt
