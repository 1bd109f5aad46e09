#include "toolkit/qt/qt_toolkit.h"

#include "toolkit/qt/colours.h"
#include "toolkit/qt/label_accessibility.h"
#include "toolkit/qt/label_font.h"
#include "toolkit/qt/picture_box.h"
#include "toolkit/qt/picture_decoding.h"
#include "toolkit/qt/twips.h"
#include "toolkit/qt/x11_placement.h"
#include "toolkit/runtime_error.h"

#include <QApplication>
#include <QCursor>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>
#include <future>
#include <utility>

namespace tolvane::qt {

namespace {

QString toQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Window positions are relative to the primary screen's top-left corner, which on X11 need not be
// the origin of the root window.
QPoint screenOrigin() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    return primary != nullptr ? primary->geometry().topLeft() : QPoint();
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

QtToolkit::QtToolkit(const WindowDescription& description) : description_(description) {
    // The layer ends the event loop itself when the window is unloaded; a message box closing must
    // not end it early.
    QGuiApplication::setQuitOnLastWindowClosed(false);

    // The background and the icon are decoded on another thread while this one reads the font
    // configuration and builds the window and its labels: the background, the largest picture by far,
    // takes about as long as the fonts, and the window needs neither picture before the end of this.
    // Where no thread can be started they are decoded here, when they are needed.
    auto decoding = std::async(std::launch::async | std::launch::deferred, [&description] {
        return std::pair(decodeImage(description.picture), decodeImage(description.icon));
    });

    content_.backColour = toQColor(description.backColour);
    window_ = std::make_unique<FormWindow>(content_, static_cast<FormEvents&>(*this));
    window_->setWindowFlags(windowFlagsFor(description));
    window_->setWindowTitle(toQString(description.caption));
    window_->resize(describedPixels(description.clientWidth), describedPixels(description.clientHeight));
    if (!description.sizable) {
        window_->setFixedSize(window_->size());
    }
    // Moved before its native window exists, a window is placed by its frame's corner, not by its
    // client area's, whatever frame the window manager gives it.
    window_->move(screenOrigin() +
                  QPoint(describedPixels(description.outerLeft), describedPixels(description.outerTop)));

    for (const ControlDescription& control : description.controls) {
        addControl(control);
    }
    // The native window is made here, once, with its flags: the stays-on-top hint that Form_Load asks for
    // later is given to the window system without replacing it, so the id is the window's for its life.
    handle_ = static_cast<WindowHandle>(window_->winId());
    x11_ = X11Window::forWindow(*window_);
    if (x11_) {
        placement_ = std::make_unique<X11Placement>(*x11_);
        pointer_ = std::make_unique<PointerWatch>(*x11_, [] { return QCursor::pos(); });
    }

    auto [background, icon] = decoding.get();
    content_.background = QPixmap::fromImage(std::move(background));
    window_->setWindowIcon(QIcon(QPixmap::fromImage(std::move(icon))));
}

QtToolkit::~QtToolkit() = default;

void QtToolkit::addControl(const ControlDescription& control) {
    switch (control.kind) {
    case ControlKind::Label:
        content_.labels.push_back({.control = &control,
                                   .rect = controlRect(control),
                                   .font = labelFont(control.font),
                                   .foreColour = toQColor(control.foreColour),
                                   .backColour = toQColor(control.backColour),
                                   .caption = toQString(control.caption),
                                   .opaque = control.background == LabelBackground::Opaque,
                                   .description = toQString(accessibleDescription(description_, control)),
                                   .chosen = isChosen(control, control.backColour)});
        break;
    case ControlKind::Line:
        content_.lines.push_back({.line = controlLine(control), .colour = toQColor(control.foreColour)});
        break;
    case ControlKind::PictureBox: {
        auto box =
            std::make_unique<PictureBox>(window_.get(), controlRect(control), decodePicture(control.picture),
                                         toQColor(control.backColour), control.tabIndex);
        static_cast<void>(box.release()); // owned by the window from here on, as Qt children are
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

int QtToolkit::run() {
    deliver(description_.load);
    if (!loaded_) { // unloaded, or failed, while loading
        return exitStatus_.value_or(0);
    }
    window_->show();
    const int loopStatus = QApplication::exec();
    return exitStatus_.value_or(loopStatus);
}

void QtToolkit::deliver(Handler handler) {
    if (loaded_ && handler != nullptr) {
        dispatch(handler, *this, description_.name);
    }
}

void QtToolkit::labelClicked(std::size_t label) {
    deliver(content_.labels.at(label).control->click);
}

void QtToolkit::closeRequested() {
    if (loaded_) {
        endProgram(0);
    }
}

void QtToolkit::endProgram(int exitStatus) {
    loaded_ = false;
    exitStatus_ = exitStatus;
    for (const std::unique_ptr<QTimer>& timer : timers_) {
        timer->stop();
    }
    window_->hide();
    QCoreApplication::exit(exitStatus);
}

QRect QtToolkit::outerRect() const {
    const QRect outer = placement_ ? placement_->outerRect() : window_->frameGeometry();
    return outer.translated(-screenOrigin());
}

void QtToolkit::moveOuterEdges(std::optional<int> left, std::optional<int> top) {
    const QPoint origin = screenOrigin();
    if (placement_) {
        placement_->move(left ? std::optional(*left + origin.x()) : std::nullopt,
                         top ? std::optional(*top + origin.y()) : std::nullopt);
        return;
    }
    // QWidget::move places a window by its frame, which is what Top and Left measure.
    const QRect outer = outerRect();
    window_->move(origin + QPoint(left.value_or(outer.left()), top.value_or(outer.top())));
}

Status QtToolkit::hWnd(WindowHandle& handle) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    handle = handle_;
    return kStatusOk;
}

Status QtToolkit::WindowState(std::int16_t& state) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    state = window_->isMinimized() ? vbMinimized : window_->isMaximized() ? vbMaximized : vbNormal;
    return kStatusOk;
}

Status QtToolkit::Top(Twips& value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    value = toTwips(outerRect().top());
    return kStatusOk;
}

Status QtToolkit::setTop(Twips value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    const std::optional<int> top = toPixels(value);
    if (!top) {
        return kStatusOverflow;
    }
    moveOuterEdges(std::nullopt, *top);
    return kStatusOk;
}

Status QtToolkit::Left(Twips& value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    value = toTwips(outerRect().left());
    return kStatusOk;
}

Status QtToolkit::setLeft(Twips value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    const std::optional<int> left = toPixels(value);
    if (!left) {
        return kStatusOverflow;
    }
    moveOuterEdges(*left, std::nullopt);
    return kStatusOk;
}

Status QtToolkit::Width(Twips& value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    value = toTwips(outerRect().width());
    return kStatusOk;
}

Status QtToolkit::Height(Twips& value) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    value = toTwips(outerRect().height());
    return kStatusOk;
}

Status QtToolkit::Show() {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    window_->show();
    return kStatusOk;
}

Status QtToolkit::Unload() {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    endProgram(0);
    return kStatusOk;
}

Status QtToolkit::ScreenWidth(Twips& value) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary == nullptr) {
        return kStatusNoScreen;
    }
    value = toTwips(primary->geometry().width());
    return kStatusOk;
}

Status QtToolkit::setBackColor(std::string_view label, Colour colour) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    const std::optional<std::size_t> found = labelIndex(description_, label);
    if (!found) {
        return kStatusNoSuchControl;
    }
    LabelView& view = content_.labels[*found];
    view.backColour = toQColor(colour);
    window_->repaintLabel(*found);
    if (const bool chosen = isChosen(*view.control, colour); chosen != view.chosen) {
        view.chosen = chosen;
        announceChosenChange(*window_, *found);
    }
    return kStatusOk;
}

Status QtToolkit::setCaption(std::string_view label, std::string_view utf8Text) {
    if (!loaded_) {
        return kStatusWindowUnloaded;
    }
    const std::optional<std::size_t> found = labelIndex(description_, label);
    if (!found) {
        return kStatusNoSuchControl;
    }
    content_.labels[*found].caption = toQString(utf8Text);
    window_->repaintLabel(*found);
    announceCaptionChange(*window_, *found);
    return kStatusOk;
}

std::int32_t QtToolkit::GetCursorPos(POINT& point) {
    const QPoint origin = screenOrigin();
    const QPoint global = pointer_ ? pointer_->position() : QCursor::pos();
    const QPoint position = global - origin;
    point = {.x = position.x(), .y = position.y()};
    return 1;
}

std::int32_t QtToolkit::GetWindowRect(WindowHandle window, RECT& rect) {
    if (!loaded_ || window != handle_) {
        return 0;
    }
    // QRect's right() and bottom() are the last pixels inside; the record wants the first outside.
    const QRect outer = outerRect();
    rect = {.left = outer.left(),
            .top = outer.top(),
            .right = outer.left() + outer.width(),
            .bottom = outer.top() + outer.height()};
    return 1;
}

std::int32_t QtToolkit::SetWindowPos(WindowHandle window, WindowHandle insertAfter, std::int32_t x,
                                     std::int32_t y, std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
    if (!loaded_ || window != handle_) {
        return 0;
    }
    // Only what the program asks for: the topmost band (its one caller passes HWND_TOPMOST and
    // SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW). Other places in the z-order and SWP_ flags beyond
    // toolkit.h's are not offered.
    if (insertAfter == HWND_TOPMOST) {
        setStaysOnTop();
    }
    if ((flags & SWP_NOMOVE) == 0) {
        window_->move(screenOrigin() + QPoint(x, y));
    }
    if ((flags & SWP_NOSIZE) == 0) {
        // cx and cy measure the frame; the widget's size is its client area's.
        const QSize frame = window_->frameGeometry().size() - window_->size();
        window_->resize(QSize(cx, cy) - frame);
    }
    if ((flags & SWP_SHOWWINDOW) != 0) {
        window_->show();
    }
    return 1;
}

void QtToolkit::setStaysOnTop() {
    Qt::WindowFlags flags = window_->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint);
    // QWidget::setWindowFlags would make a new native window, and with it a new handle; so the widget only
    // takes note. On X11 Qt would also replace the native window on its next show() once its platform
    // window's stays-on-top hint changed; so there the window system is told directly, as Qt itself would
    // tell it: the hint on a window not yet mapped, a request to the manager for one mapped.
    window_->overrideWindowFlags(flags);
    if (x11_) {
        x11_->keepAbove(window_->isVisible());
    } else if (QWindow* native = window_->windowHandle()) {
        native->setFlags(flags);
    }
}

void QtToolkit::reportUntrappedError(const RuntimeError& error) {
    endAfterUntrappedError(error, *this);
}

void QtToolkit::stopEvents() {
    // No tick may run, and no click be delivered, while the box waits or after it.
    visibleAtError_ = std::exchange(loaded_, false) && window_->isVisible();
    for (const std::unique_ptr<QTimer>& timer : timers_) {
        timer->stop();
    }
}

void QtToolkit::showErrorMessage(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, toQString(description_.caption), QString::fromStdString(text),
                    QMessageBox::Ok, visibleAtError_ ? window_.get() : nullptr);
    box.exec();
}

} // namespace tolvane::qt
