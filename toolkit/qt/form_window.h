// The top-level widget of the window: paints the form's content and turns the user's clicks on labels
// and the window system's close into calls of its FormEvents.
#pragma once

#include "toolkit/click_tracking.h"
#include "toolkit/qt/form_content.h"

#include <QWidget>
#include <cstddef>
#include <optional>

namespace tolvane::qt {

class FormEvents {
  public:
    virtual void labelClicked(std::size_t label) = 0;
    // The window system asks the window to close (its close button, Alt+F4, a window manager's menu).
    virtual void closeRequested() = 0;

  protected:
    ~FormEvents() = default;
};

class FormWindow final : public QWidget {
  public:
    FormWindow(const FormContent& content, FormEvents& events);

    // Repaints one label at once, after its colour or caption changed.
    void repaintLabel(std::size_t label);

    const FormContent& content() const { return content_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    std::optional<std::size_t> labelAt(QPoint position) const;

    const FormContent& content_;
    FormEvents& events_;
    ClickTracking clicks_;
};

} // namespace tolvane::qt
