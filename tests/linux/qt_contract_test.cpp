// The contract against the Qt layer, on whichever platform the test runs: offscreen in the suite's own
// run, and on X11 under Openbox in linux.contract.xcb_openbox.
#include "tests/contract/contract_gtest.h"
#include "tests/frmbzz_copy.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/qt/twips.h"

#include <QAbstractNativeEventFilter>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstdlib>
#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace tolvane::qt {
namespace {

using tolvane::testing::QuietFrmbzz;

// How long a window manager may take to act on a request on a busy machine.
constexpr int kDeadlineMs = 10000;

class QtSubject : public contract::Subject, private QAbstractNativeEventFilter {
  public:
    QtSubject() { QCoreApplication::instance()->installNativeEventFilter(this); }
    ~QtSubject() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    QtSubject(const QtSubject&) = delete;
    QtSubject& operator=(const QtSubject&) = delete;

    Toolkit& fresh() override {
        toolkit_.reset();
        toolkit_ = std::make_unique<QtToolkit>(description_.window);
        toolkit_->window().show();
        static_cast<void>(QTest::qWaitForWindowExposed(&toolkit_->window()));
        toolkit_->window().repaint(); // all of it drawn before a case looks at it
        return *toolkit_;
    }
    bool topmost() override { return toolkit_->window().windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

    // The window system's own pixels: the X server's on X11, the offscreen platform's backing store
    // offscreen.
    std::vector<Colour> drawing(std::string_view label) override {
        QCoreApplication::processEvents(); // the loop's turn, in which the window draws what changed
        const QRect rect = controlRect(*findControl(description_.window, label));
        const QImage image = QGuiApplication::primaryScreen()
                                 ->grabWindow(windowId(), rect.x(), rect.y(), rect.width(), rect.height())
                                 .toImage();
        std::vector<Colour> shown;
        for (int y = 0; y < image.height() && image.size() == rect.size(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb rgb = image.pixel(x, y);
                shown.push_back(static_cast<Colour>(qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16));
            }
        }
        return shown;
    }
    void hide() override { toolkit_->window().hide(); }
    bool settlesVisible(bool visible) override {
        return QTest::qWaitFor([&] { return shown() == visible; }, kDeadlineMs);
    }
    // The offscreen platform keeps a pointer of its own, which QCursor moves and reads.
    bool putPointer(POINT place) override {
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().topLeft() + QPoint(place.x, place.y));
        if (connection() == nullptr) {
            return true;
        }
        // Every event the server sent before now handled, the pointer's crossings among them: a message
        // sent to the window after them comes back last.
        xcb_client_message_event_t marker{};
        marker.response_type = XCB_CLIENT_MESSAGE;
        marker.format = 32;
        marker.window = windowId();
        marker.type = kMarker;
        markerSeen_ = false;
        xcb_send_event(connection(), 0, marker.window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&marker));
        xcb_flush(connection());
        return QTest::qWaitFor([this] { return markerSeen_; }, kDeadlineMs);
    }

  private:
    static constexpr xcb_atom_t kMarker = XCB_ATOM_CUT_BUFFER0; // any atom: the message never reaches Qt

    static xcb_connection_t* connection() {
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 != nullptr ? x11->connection() : nullptr;
    }
    xcb_window_t windowId() const {
        return static_cast<xcb_window_t>(toolkit_->window().windowHandle()->winId());
    }
    // On X11 the server's map state; offscreen the platform's exposure.
    bool shown() const {
        if (connection() == nullptr) {
            return toolkit_->window().windowHandle()->isExposed();
        }
        xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
            connection(), xcb_get_window_attributes(connection(), windowId()), nullptr);
        const bool viewable = reply != nullptr && reply->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(reply);
        return viewable;
    }
    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* /*result*/) override {
        const auto* event = static_cast<const xcb_client_message_event_t*>(message);
        const bool marker = type == "xcb_generic_event_t" &&
                            (event->response_type & 0x7F) == XCB_CLIENT_MESSAGE && event->type == kMarker;
        markerSeen_ = markerSeen_ || marker;
        return marker;
    }

    QuietFrmbzz description_; // outlives the toolkit, which keeps pointers into it
    std::unique_ptr<QtToolkit> toolkit_;
    bool markerSeen_ = false;
};

TOLVANE_CONTRACT_TESTS(QtContract, QtSubject);

} // namespace
} // namespace tolvane::qt
