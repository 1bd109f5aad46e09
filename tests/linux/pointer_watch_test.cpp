// The pointer watch on X11 under a window manager (linux.contract.xcb_openbox): which readings ask the X
// server. A reading kept while the pointer could be over the window would leave a docked window hidden
// under the pointer; one asked for at rest is the cost the watch is there to save.
#include "toolkit/qt/pointer_watch.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace tolvane::qt {
namespace {

// How long a window manager may take to show, frame or move a window on a busy machine.
constexpr int kDeadlineMs = 30000;

enum class Move : std::uint8_t { None, PointerAway, PointerOnTitleBar, PointerOnWindow, WindowUnderPointer };

struct Step {
    const char* what;
    Move move;
    int readings;
    int asked; // of those readings, how many ask the server
};

TEST(PointerWatchTest, AsksTheServerOnlyWhileThePointerMayBeOverTheWindow) {
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr) {
        GTEST_SKIP() << "X11 only";
    }
    const QPoint away(750, 650);
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
    int asked = 0;
    PointerWatch watch(window, x11->connection(), [&] {
        ++asked;
        return QCursor::pos();
    });

    constexpr int kKept = PointerWatch::kRecheckReadings - 1;
    const Step steps[] = {
        {"the first reading", Move::PointerAway, 1, 1},
        {"at rest away from the window", Move::None, kKept, 0},
        {"one reading in so many all the same", Move::None, 1, 1},
        {"onto the title bar, the manager's frame", Move::PointerOnTitleBar, 1, 1},
        {"over the window", Move::None, 3, 3},
        {"away again", Move::PointerAway, 2, 1},
        {"onto the window itself", Move::PointerOnWindow, 2, 2},
        {"away again, at rest", Move::PointerAway, 3, 1},
        {"the window moved under the resting pointer", Move::WindowUnderPointer, 2, 2},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        const QRect frame = window.frameGeometry();
        switch (step.move) {
        case Move::None:
            break;
        case Move::PointerAway:
            QCursor::setPos(away);
            break;
        case Move::PointerOnTitleBar:
            QCursor::setPos(frame.center().x(), (frame.top() + window.geometry().top()) / 2);
            break;
        case Move::PointerOnWindow:
            QCursor::setPos(window.geometry().center());
            break;
        case Move::WindowUnderPointer:
            window.move(away - QPoint(100, 100)); // the frame's corner
            break;
        }
        if (step.move != Move::None && step.move != Move::PointerAway) {
            // The crossing's event comes in its own time.
            ASSERT_TRUE(QTest::qWaitFor([&] { return !watch.keepsLastReading(); }, kDeadlineMs))
                << "no crossing reached the watch";
        }
        // No events are handled from here to the next move's wait, so no crossing can come between
        // the readings.
        asked = 0;
        for (int i = 0; i < step.readings; ++i) {
            static_cast<void>(watch.position(window.frameGeometry()));
        }
        EXPECT_EQ(asked, step.asked);
    }
}

} // namespace
} // namespace tolvane::qt
