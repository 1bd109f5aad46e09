#include "toolkit/qt/form_window.h"

#include "toolkit/qt/label_accessibility.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace tolvane::qt {

FormWindow::FormWindow(const FormContent& content, FormEvents& events) : content_(content), events_(events) {
    // Every pixel is painted by paintFormContent, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    installLabelAccessibility();
}

void FormWindow::repaintLabel(std::size_t label) {
    // Only this label's rectangle is drawn again, as soon as the running handler returns to the event
    // loop: a handler never waits on the loop, so no one can see the label before that anyway.
    update(content_.labels.at(label).rect);
}

void FormWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFormContent(painter, content_);
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        clicks_.press(labelAt(event->position().toPoint()));
    }
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    if (const auto clicked = clicks_.release(labelAt(event->position().toPoint()))) {
        events_.labelClicked(*clicked);
    }
}

void FormWindow::closeEvent(QCloseEvent* event) {
    // Nothing in the program intercepts closing: the window always goes.
    event->accept();
    events_.closeRequested();
}

std::optional<std::size_t> FormWindow::labelAt(QPoint position) const {
    for (std::size_t i = 0; i < content_.labels.size(); ++i) {
        if (content_.labels[i].rect.contains(position)) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace tolvane::qt
