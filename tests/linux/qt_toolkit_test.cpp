// The Qt layer in-process, on the offscreen platform: the window it builds from the description, the
// clicks and ticks it delivers, its services in twips and pixels, and its handling of untrapped errors.
#include "app/frmbzz.h"
#include "reference/age_selection.h"
#include "tests/frmbzz_copy.h"
#include "toolkit/qt/picture_box.h"
#include "toolkit/qt/qt_toolkit.h"
#include "toolkit/runtime_error.h"
#include "toolkit/window.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace tolvane::qt {
namespace {

using tolvane::testing::FrmbzzCopy;

QPoint centreOf(std::string_view name) {
    const ControlDescription& control = *findControl(Frmbzz, name);
    return {static_cast<int>(control.left + control.width / 2) / 15,
            static_cast<int>(control.top + control.height / 2) / 15};
}

const LabelView& label(const QtToolkit& toolkit, std::string_view name) {
    const auto& labels = toolkit.content().labels;
    return *std::ranges::find_if(
        labels, [&](const LabelView& view) { return view.control->index < 0 && view.control->name == name; });
}

QColor colourOf(Colour colour) {
    return {int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)};
}

// Closes every message box that comes up while it lives, and keeps what the boxes said.
class MessageBoxCloser {
  public:
    MessageBoxCloser() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.push_back(box->text().toStdString());
                box->done(QMessageBox::Ok);
            }
        });
        poll_.start(10);
    }
    std::vector<std::string> texts;

  private:
    QTimer poll_;
};

TEST(QtToolkitTest, BuildsTheWindowFromItsDescription) {
    QtToolkit toolkit(Frmbzz);
    FormWindow& window = toolkit.window();
    EXPECT_EQ(window.size(), QSize(472, 502));
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("0-10 Tolvane"));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    EXPECT_EQ(toolkit.content().background.size(), QSize(1024, 768));
    EXPECT_EQ(toolkit.content().backColour, QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(toolkit.content().labels.size(), 39U);
    EXPECT_EQ(toolkit.content().lines.size(), 4U);

    // The picture boxes, in creation order, at their places.
    std::vector<QRect> boxes;
    for (const QObject* child : window.children()) {
        if (const auto* box = qobject_cast<const QWidget*>(child);
            box != nullptr && dynamic_cast<const PictureBox*>(box)) {
            boxes.push_back(box->geometry());
        }
    }
    EXPECT_EQ(boxes, (std::vector<QRect>{
                         {344, 328, 57, 49}, {184, 328, 49, 49}, {192, 168, 49, 49}, {336, 168, 57, 49}}));
}

TEST(QtToolkitTest, DrawsLabelsLinesAndPhotosAsDescribed) {
    QtToolkit toolkit(Frmbzz);
    const QImage image = toolkit.window().grab().toImage();
    const auto at = [&](int x, int y) { return QColor(image.pixel(x, y)); };
    // An age label's bottom corner (its caption starts at the top), the exit label, a line.
    EXPECT_EQ(at(16 + 1, 48 + 23), colourOf(kIdleColour));
    EXPECT_EQ(at(80 + 1, 432 + 23), QColor(Qt::red));
    EXPECT_EQ(at(144, 300), QGuiApplication::palette().color(QPalette::WindowText));
    EXPECT_EQ(at(300, 48), QGuiApplication::palette().color(QPalette::WindowText));
    // Beyond the photo's 46 columns the boy's box shows its own button-face colour.
    EXPECT_EQ(at(192 + 47, 168 + 10), QGuiApplication::palette().color(QPalette::Button));
    // The background picture, not the back colour, behind the window's client area.
    EXPECT_NE(at(460, 490), QColor(0xE0, 0xE0, 0xE0));
}

TEST(QtToolkitTest, BackColourBeyondTheBackgroundPicture) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().resize(1100, 800);
    const QImage image = toolkit.window().grab().toImage();
    EXPECT_EQ(QColor(image.pixel(1050, 100)), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(QColor(image.pixel(100, 780)), QColor(0xE0, 0xE0, 0xE0));
    EXPECT_EQ(QColor(image.pixel(16 + 1, 48 + 23)), colourOf(kIdleColour)) << "a control moved";
}

TEST(QtToolkitTest, ClickOnAnAgeLabelRunsItsHandler) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().show();
    QTest::mouseClick(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label19"));
    EXPECT_EQ(label(toolkit, "Label19").backColour, kHighlightColour);
    EXPECT_EQ(label(toolkit, "Label18").backColour, kIdleColour);
    EXPECT_EQ(label(toolkit, "Label9").caption, QString::fromUtf8("2.5岁"));
    EXPECT_EQ(label(toolkit, "Label50").caption, QString::fromUtf8("12.1-15.3"));
    EXPECT_EQ(label(toolkit, "Label80").caption, QString::fromUtf8("87.9-94.7"));
    // And it shows: grab() paints what the window would.
    const QImage image = toolkit.window().grab().toImage();
    EXPECT_EQ(QColor(image.pixel(80 + 1, 48 + 23)), colourOf(kHighlightColour));
}

TEST(QtToolkitTest, PressAndReleaseOnDifferentLabelsIsNoClick) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().show();
    QTest::mousePress(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label19"));
    QTest::mouseRelease(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label20"));
    QTest::mouseClick(&toolkit.window(), Qt::RightButton, {}, centreOf("Label21"));
    EXPECT_EQ(label(toolkit, "Label9").caption, QString::fromUtf8("0-10岁儿童"));
    for (const LabelView& view : toolkit.content().labels) {
        EXPECT_NE(view.backColour, kHighlightColour) << view.control->name;
    }
}

TEST(QtToolkitTest, WindowPropertiesAreTheOuterRectangleInTwips) {
    QtToolkit toolkit(Frmbzz);
    FormWindow& window = toolkit.window();
    window.show();
    const QSize frame = window.frameGeometry().size();
    Window props(toolkit);
    EXPECT_EQ(props.Left(), 0);
    EXPECT_EQ(props.Top(), 0);
    EXPECT_EQ(props.Width(), static_cast<Twips>(frame.width() * 15));
    EXPECT_EQ(props.Height(), static_cast<Twips>(frame.height() * 15));

    props.setLeft(3000);
    props.setTop(-10); // two thirds of a pixel: the nearest pixel row is -1
    EXPECT_EQ(props.Left(), 3000);
    EXPECT_EQ(props.Top(), -15);
    RECT rect;
    EXPECT_NE(toolkit.GetWindowRect(props.hWnd(), rect), 0);
    EXPECT_EQ(rect, (RECT{200, -1, 200 + frame.width(), -1 + frame.height()}));

    EXPECT_EQ(props.ScreenWidth(),
              static_cast<Twips>(QGuiApplication::primaryScreen()->geometry().width() * 15));
}

TEST(QtToolkitTest, GetCursorPosIsThePointerOnThePrimaryScreen) {
    QtToolkit toolkit(Frmbzz);
    QCursor::setPos(123, 45);
    POINT point;
    EXPECT_NE(toolkit.GetCursorPos(point), 0);
    EXPECT_EQ(point, (POINT{123, 45}));
}

TEST(QtToolkitTest, SetWindowPosTopmostShowsInPlaceAndKeepsTheHandle) {
    QtToolkit toolkit(Frmbzz);
    FormWindow& window = toolkit.window();
    WindowHandle handle = 0;
    ASSERT_EQ(toolkit.hWnd(handle), kStatusOk);
    EXPECT_NE(
        toolkit.SetWindowPos(handle, HWND_TOPMOST, 7, 8, 9, 10, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW), 0);
    EXPECT_TRUE(window.isVisible());
    // The frame stays at the screen's corner, and the client area keeps its size.
    EXPECT_EQ(window.frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(window.size(), QSize(472, 502));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    WindowHandle after = 0;
    ASSERT_EQ(toolkit.hWnd(after), kStatusOk);
    EXPECT_EQ(after, handle);
}

TEST(QtToolkitTest, WindowStateFollowsTheWindow) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().show();
    std::int16_t state = -1;
    EXPECT_EQ(toolkit.WindowState(state), kStatusOk);
    EXPECT_EQ(state, vbNormal);
    toolkit.window().setWindowState(Qt::WindowMinimized);
    EXPECT_EQ(toolkit.WindowState(state), kStatusOk);
    EXPECT_EQ(state, vbMinimized);
    toolkit.window().setWindowState(Qt::WindowMaximized);
    EXPECT_EQ(toolkit.WindowState(state), kStatusOk);
    EXPECT_EQ(state, vbMaximized);
}

// What the handlers below saw, in order.
std::vector<std::string> seen;

void recordLoad(Toolkit& toolkit) {
    auto& qt = dynamic_cast<QtToolkit&>(toolkit);
    seen.push_back(qt.window().isVisible() ? "load: visible" : "load: not visible");
}

void recordTickThenUnload(Toolkit& toolkit) {
    auto& qt = dynamic_cast<QtToolkit&>(toolkit);
    seen.push_back(qt.window().isVisible() ? "tick: visible" : "tick: not visible");
    Window(toolkit).Unload();
    seen.push_back("unloaded");
}

TEST(QtToolkitTest, LoadsThenShowsThenTicksUntilUnloaded) {
    seen.clear();
    FrmbzzCopy description(&recordLoad);
    description.control("Timer1").tick = &recordTickThenUnload;
    QtToolkit toolkit(description.window);
    EXPECT_EQ(toolkit.run(), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"load: not visible", "tick: visible", "unloaded"}));
    EXPECT_FALSE(toolkit.window().isVisible());

    // The window is gone: nothing more can be done with it.
    Twips top = 0;
    EXPECT_EQ(toolkit.Top(top), kStatusWindowUnloaded);
    EXPECT_EQ(toolkit.setCaption("Label9", "x"), kStatusWindowUnloaded);
    EXPECT_EQ(toolkit.Show(), kStatusWindowUnloaded);
}

TEST(QtToolkitTest, ClosingTheWindowEndsTheProgramWithStatusZero) {
    FrmbzzCopy description;
    description.control("Timer1").tick = nullptr;
    QtToolkit toolkit(description.window);
    QTimer::singleShot(0, [&] { toolkit.window().close(); });
    EXPECT_EQ(toolkit.run(), 0);
    EXPECT_FALSE(toolkit.window().isVisible());
}

TEST(QtToolkitTest, TheExitLabelEndsTheProgramWithStatusZero) {
    FrmbzzCopy description;
    description.control("Timer1").tick = nullptr;
    QtToolkit toolkit(description.window);
    QTimer::singleShot(
        0, [&] { QTest::mouseClick(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label17")); });
    EXPECT_EQ(toolkit.run(), 0);
}

void writeCaptionOfMissingLabel(Toolkit& toolkit) {
    Window(toolkit).setCaption("Label99", "x");
}

TEST(QtToolkitTest, UntrappedErrorWhileLoadingIsReportedAndEndsTheProgram) {
    FrmbzzCopy description(&writeCaptionOfMissingLabel);
    QtToolkit toolkit(description.window);
    MessageBoxCloser closer;
    ::testing::internal::CaptureStderr();
    const int status = toolkit.run();
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, kExitUntrappedError);
    EXPECT_NE(status, 0);
    EXPECT_NE(stderrText.find(std::to_string(kStatusNoSuchControl)), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find("Label99"), std::string::npos) << stderrText;
    EXPECT_NE(stderrText.find("write Caption"), std::string::npos) << stderrText;
    ASSERT_EQ(closer.texts.size(), 1U);
    EXPECT_EQ(closer.texts[0], "Run-time error -340\n\nObject: Label99\nOperation: write Caption");
    EXPECT_FALSE(toolkit.window().isVisible());
}

TEST(QtToolkitTest, UntrappedErrorInAClickIsReportedAndEndsTheEventLoop) {
    FrmbzzCopy description;
    description.control("Timer1").tick = nullptr;
    description.control("Label2").click = &writeCaptionOfMissingLabel;
    QtToolkit toolkit(description.window);
    MessageBoxCloser closer;
    QTimer::singleShot(0,
                       [&] { QTest::mouseClick(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label2")); });
    ::testing::internal::CaptureStderr();
    const int status = toolkit.run();
    const std::string stderrText = ::testing::internal::GetCapturedStderr();

    EXPECT_EQ(status, kExitUntrappedError);
    EXPECT_NE(stderrText.find("Label99"), std::string::npos) << stderrText;
    EXPECT_EQ(closer.texts.size(), 1U);
    EXPECT_FALSE(toolkit.window().isVisible());
}

} // namespace
} // namespace tolvane::qt
