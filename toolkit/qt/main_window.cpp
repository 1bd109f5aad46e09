#include "toolkit/qt/main_window.h"

#include "toolkit/qt/colours.h"
#include "toolkit/qt/label_accessibility.h"
#include "toolkit/qt/label_font.h"
#include "toolkit/qt/picture_box.h"
#include "toolkit/qt/picture_decoding.h"
#include "toolkit/qt/twips.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <future>
#include <utility>

namespace tolvane::qt {

namespace {

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Qt::WindowFlags windowFlagsFor(const WindowDescription& description) {
    // A title bar with the system menu and the close button, and only the other buttons asked for.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    flags.setFlag(Qt::WindowMinimizeButtonHint, description.minButton);
    flags.setFlag(Qt::WindowMaximizeButtonHint, description.maxButton);
    return flags;
}

} // namespace

MainWindow::MainWindow(const WindowDescription& description, Toolkit& program)
    : description_(description), program_(program) {
    // The window ends the event loop itself when it is unloaded; a message box closing must not end
    // it early.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // The background and the icon are decoded on another thread while this one reads the font
    // configuration and builds the window and its labels: the background, the largest picture by far,
    // takes about as long as the fonts, and the window needs neither picture before the end of this.
    // Where no thread can be started they are decoded here, when they are needed.
    auto decoding = std::async(std::launch::async | std::launch::deferred, [&description] {
        return std::pair(decodeImage(description.picture), decodeImage(description.icon));
    });

    content_.backColour = toQColor(description.backColour);
    widget_ = std::make_unique<FormWindow>(content_, static_cast<FormEvents&>(*this));
    widget_->setWindowFlags(windowFlagsFor(description));
    widget_->setWindowTitle(toQString(description.caption));
    widget_->resize(describedPixels(description.clientWidth), describedPixels(description.clientHeight));
    if (!description.sizable) {
        widget_->setFixedSize(widget_->size());
    }
    // Moved before its native window exists, a window is placed by its frame's corner, not by its
    // client area's, whatever frame the window manager gives it.
    widget_->move(screenOrigin() +
                  QPoint(describedPixels(description.outerLeft), describedPixels(description.outerTop)));

    for (const ControlDescription& control : description.controls) {
        addControl(control);
    }

    auto [background, icon] = decoding.get();
    content_.background = QPixmap::fromImage(std::move(background));
    widget_->setWindowIcon(QIcon(QPixmap::fromImage(std::move(icon))));
}

MainWindow::~MainWindow() = default;

void MainWindow::addControl(const ControlDescription& control) {
    switch (control.kind) {
    case ControlKind::Label:
        content_.labels.push_back({.control = &control,
                                   .rect = controlRect(control),
                                   .font = labelFont(control.font),
                                   .foreColour = toQColor(control.foreColour),
                                   .backColour = control.backColour,
                                   .caption = toQString(control.caption),
                                   .opaque = control.background == LabelBackground::Opaque,
                                   .description = toQString(accessibleDescription(description_, control))});
        break;
    case ControlKind::Line:
        content_.lines.push_back({.line = controlLine(control), .colour = toQColor(control.foreColour)});
        break;
    case ControlKind::PictureBox: {
        auto box =
            std::make_unique<PictureBox>(widget_.get(), controlRect(control), decodePicture(control.picture),
                                         toQColor(control.backColour), control.tabIndex);
        static_cast<void>(box.release()); // owned by the widget from here on, as Qt children are
        break;
    }
    case ControlKind::Timer: {
        // Enabled from creation: it ticks as soon as the event loop runs.
        auto timer = std::make_unique<QTimer>();
        timer->setInterval(control.intervalMs);
        QObject::connect(timer.get(), &QTimer::timeout, [this, tick = control.tick] { deliver(tick); });
        timer->start();
        timers_.push_back(std::move(timer));
        break;
    }
    }
}

int MainWindow::run() {
    deliver(description_.load);
    if (!loaded_) { // unloaded, or failed, while loading
        return exitStatus_.value_or(0);
    }
    widget_->show();
    const int loopStatus = QApplication::exec();
    return exitStatus_.value_or(loopStatus);
}

void MainWindow::deliver(Handler handler) {
    if (loaded_ && handler != nullptr) {
        dispatch(handler, program_, description_.name);
    }
}

void MainWindow::labelClicked(std::size_t label) {
    deliver(content_.labels.at(label).control->click);
}

void MainWindow::closeRequested() {
    if (loaded_) {
        endProgram(0);
    }
}

// Labels
// ------

// A write that changes nothing changes no pixel and no name or state a screen reader knows: a click
// writes all 25 age colours and changes two.
void MainWindow::setBackColour(std::size_t index, Colour colour) {
    LabelView& label = content_.labels.at(index);
    if (label.backColour == colour) {
        return;
    }
    const Colour previous = std::exchange(label.backColour, colour);
    widget_->repaintLabel(index);
    if (isChosen(*label.control, previous) != isChosen(*label.control, colour)) {
        announceChosenChange(*widget_, index);
    }
}

void MainWindow::setCaption(std::size_t index, std::string_view utf8Text) {
    LabelView& label = content_.labels.at(index);
    QString caption = toQString(utf8Text);
    if (label.caption == caption) {
        return;
    }
    label.caption = std::move(caption);
    widget_->repaintLabel(index);
    announceCaptionChange(*widget_, index);
}

// The program's end
// -----------------

void MainWindow::endProgram(int exitStatus) {
    loaded_ = false;
    exitStatus_ = exitStatus;
    stopTimers();
    widget_->hide();
    QCoreApplication::exit(exitStatus);
}

void MainWindow::stopTimers() {
    for (const std::unique_ptr<QTimer>& timer : timers_) {
        timer->stop();
    }
}

void MainWindow::reportUntrappedError(const RuntimeError& error) {
    if (!ending_) {
        endAfterUntrappedError(error, *this);
    }
}

void MainWindow::stopEvents() {
    // No tick may run, and no click be delivered, while the box waits or after it.
    ending_ = true;
    visibleAtError_ = std::exchange(loaded_, false) && widget_->isVisible();
    stopTimers();
}

void MainWindow::showErrorMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, toQString(description_.caption), QString::fromStdString(text),
                    QMessageBox::Ok, visibleAtError_ ? widget_.get() : nullptr);
    box.exec();
}

} // namespace tolvane::qt
