// The pointer watch on X11 under a window manager (linux.contract.xcb_openbox): which readings ask the X
// server, and that every reading is where the pointer is. A reading kept while the pointer has come over
// the window would leave a docked window hidden under the pointer; one asked for at rest, over the window
// or away from it, is the cost the watch is there to save.
#include "toolkit/qt/pointer_watch.h"
#include "toolkit/qt/x11_window.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace tolvane::qt {
namespace {

// How long a window manager may take to show, frame or move a window on a busy machine.
constexpr int kDeadlineMs = 30000;

enum class Move : std::uint8_t {
    None,
    PointerAway,
    PointerOnTitleBar,
    PointerOnWindow,
    PointerElsewhere,
    WindowUnderOldPlace
};

struct Step {
    const char* what;
    Move move;
    int readings;
    int asked; // of those readings, how many ask the server
};

TEST(PointerWatchTest, AsksTheServerOnlyWhenItsLastReportMayNoLongerStand) {
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>() == nullptr) {
        GTEST_SKIP() << "X11 only";
    }
    const QPoint away(750, 650);
    const QPoint elsewhere(750, 900); // over neither window
    QWidget window;
    window.resize(300, 200);
    window.move(300, 300);
    window.show();
    // Where the pointer rests away: over another window, so that the pointer comes onto the window's
    // frame from a sibling, as on a desktop, and the root window hears nothing of it.
    QWidget neighbour;
    neighbour.setGeometry(QRect(away - QPoint(50, 50), QSize(200, 150)));
    neighbour.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&neighbour, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window, kDeadlineMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry() != window.geometry(); }, kDeadlineMs))
        << "the window manager framed no window";
    QCursor::setPos(away);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == away; }, kDeadlineMs));
    QCoreApplication::processEvents();
    const auto x11 = X11Window::forWindow(window);
    int asked = 0;
    PointerWatch watch(*x11, [&] {
        ++asked;
        return x11->queryPointer();
    });
    const auto reported = [&] {
        return watch.reading() ? std::optional(watch.reading()->position) : std::nullopt;
    };
    const auto outer = [&] { return window.frameGeometry(); };

    constexpr int kKept = PointerWatch::kRecheckReadings - 1;
    const Step steps[] = {
        {"the first reading", Move::None, 1, 1},
        {"at rest away from the window", Move::None, kKept, 0},
        {"one reading in so many all the same", Move::None, 1, 1},
        {"onto the title bar, the manager's frame", Move::PointerOnTitleBar, 2, 0},
        {"onto the window itself", Move::PointerOnWindow, 1, 0},
        {"at rest over the window", Move::None, kKept - 1, 0},
        {"over the window, one reading in so many all the same", Move::None, 1, 1},
        {"away again", Move::PointerAway, 3, 0},
        {"on elsewhere, unreported", Move::PointerElsewhere, 0, 0},
        {"the window moved under the pointer's last reported place", Move::WindowUnderOldPlace, 2, 1},
    };
    QPoint pointer = away;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const QRect frame = window.frameGeometry();
        switch (step.move) {
        case Move::None:
            break;
        case Move::PointerAway:
            pointer = away;
            break;
        case Move::PointerOnTitleBar:
            pointer = QPoint(frame.center().x(), (frame.top() + window.geometry().top()) / 2);
            break;
        case Move::PointerOnWindow:
            pointer = window.geometry().center();
            break;
        case Move::PointerElsewhere:
            pointer = elsewhere;
            break;
        case Move::WindowUnderOldPlace:
            window.move(away - QPoint(100, 100)); // the frame's corner
            ASSERT_TRUE(QTest::qWaitFor([&] { return window.frameGeometry().contains(away); }, kDeadlineMs));
            ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.reading().has_value(); }, kDeadlineMs))
                << "the window's move did not reach the watch";
            break;
        }
        if (step.move == Move::PointerElsewhere) {
            QCursor::setPos(pointer);
            ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == pointer; }, kDeadlineMs));
            QCoreApplication::processEvents();
            EXPECT_EQ(reported(), away) << "the server reported the pointer away from the window";
        } else if (step.move != Move::None && step.move != Move::WindowUnderOldPlace) {
            QCursor::setPos(pointer);
            // The server's report comes in its own time.
            ASSERT_TRUE(QTest::qWaitFor([&] { return reported() == pointer; }, kDeadlineMs))
                << "no report of the pointer reached the watch";
        }
        // No events are handled from here to the next move's wait, so no report can come between the
        // readings.
        asked = 0;
        for (int i = 0; i < step.readings; ++i) {
            EXPECT_EQ(watch.position(outer), pointer);
        }
        EXPECT_EQ(asked, step.asked);
    }
}

// Under XWayland the server keeps the place where the pointer left the window for a Wayland surface; only
// its crossing and its empty query say that the pointer has gone. A position off the window must then
// never be one inside it, or a revealed window never hides again.
TEST(PointerWatchTest, APointerOffTheWindowIsNeverInsideIt) {
    if (qGuiApp->nativeInterface<QNativeInterface::QX11Application>() == nullptr) {
        GTEST_SKIP() << "X11 only";
    }
    QWidget window;
    const auto x11 = X11Window::forWindow(window);
    const QRect outer(100, 50, 300, 200);
    struct Case {
        const char* what;
        PointerReport report;
        QPoint expected;
    } const cases[] = {
        {"on the window", {QPoint(200, 100), false}, QPoint(200, 100)},
        {"gone, its last place inside", {QPoint(200, 100), true}, QPoint(99, 49)},
        {"gone, from the strip's row", {QPoint(100, 50), true}, QPoint(99, 49)},
        {"gone, the server knowing where", {QPoint(600, 400), true}, QPoint(600, 400)},
        {"the window moved away, leaving its title bar under the pointer",
         {.position = QPoint(200, 60), .offTheWindow = true, .leftBehind = true},
         QPoint(200, 60)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PointerWatch watch(*x11, [&] { return c.report; });
        for (int i = 1; i < PointerWatch::kOffInsideReadings; ++i) {
            EXPECT_EQ(watch.position([&] { return outer; }), c.report.position) << "gone for a moment only";
        }
        EXPECT_EQ(watch.position([&] { return outer; }), c.expected);
    }
    // Which crossings out of the outermost window take the pointer off it (Xlib's detail and mode values).
    struct Leave {
        const char* what;
        PointerLeave leave;
        bool leaves;
    } const leaves[] = {
        {"to the desktop or a Wayland surface", {.detail = 0, .mode = 0}, true},
        {"to another window", {.detail = 3, .mode = 0}, true},
        {"into the client from its frame", {.detail = 2, .mode = 0}, false},
        {"a manager's grab to move it", {.detail = 0, .mode = 1}, false},
        {"the grab's end", {.detail = 0, .mode = 2}, false},
        {"dragged with a button held", {.detail = 0, .mode = 0, .buttonHeld = true}, false},
    };
    for (const Leave& l : leaves) {
        EXPECT_EQ(leavesTheWindow(l.leave), l.leaves) << l.what;
    }
}

} // namespace
} // namespace tolvane::qt
