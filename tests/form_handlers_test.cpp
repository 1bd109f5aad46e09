// The window's own handlers: topmost at load, the exit label, and errors reaching the default handling.
#include "app/form_handlers.h"
#include "fake_toolkit.h"
#include "toolkit/window.h"

#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <utility>

namespace tolvane::testing {
namespace {

TEST(FormLoadTest, MakesTheWindowTopmostAndVisibleWithoutMovingIt) {
    FakeToolkit toolkit;
    dispatch(Form_Load, toolkit);
    EXPECT_EQ(toolkit.log, (std::vector<std::string>{"Frmbzz.hWnd", "SetWindowPos(18016,-1,0,0,0,0,&H43)"}));
    EXPECT_TRUE(toolkit.visible);
    EXPECT_TRUE(toolkit.untrapped.empty());
}

TEST(FormLoadTest, IgnoresARefusedSetWindowPos) {
    FakeToolkit toolkit;
    toolkit.declaredResult = 0;
    dispatch(Form_Load, toolkit);
    EXPECT_EQ(toolkit.log.size(), 2U);
    EXPECT_TRUE(toolkit.untrapped.empty());
}

TEST(FormLoadTest, AFailedHandleReadStopsBeforeSetWindowPos) {
    FakeToolkit toolkit;
    toolkit.failOperation(1, -7);
    dispatch(Form_Load, toolkit);
    EXPECT_EQ(toolkit.log, (std::vector<std::string>{"Frmbzz.hWnd failed"}));
    ASSERT_EQ(toolkit.untrapped.size(), 1U);
    EXPECT_EQ(toolkit.untrapped[0].status(), -7);
    EXPECT_EQ(toolkit.untrapped[0].object(), "Frmbzz");
    EXPECT_EQ(toolkit.untrapped[0].operation(), "read hWnd");
    EXPECT_STREQ(toolkit.untrapped[0].what(), "Run-time error -7 in Frmbzz: read hWnd");
}

TEST(ExitLabelTest, UnloadsTheWindowAndNothingElse) {
    FakeToolkit toolkit;
    dispatch(Label17_Click, toolkit);
    EXPECT_EQ(toolkit.log, (std::vector<std::string>{"Frmbzz.Unload"}));
    EXPECT_TRUE(toolkit.unloaded);
}

TEST(ExitLabelTest, AFailedUnloadReachesTheDefaultHandlingOnce) {
    FakeToolkit toolkit;
    toolkit.failOperation(1, -3);
    dispatch(Label17_Click, toolkit);
    EXPECT_FALSE(toolkit.unloaded);
    ASSERT_EQ(toolkit.untrapped.size(), 1U);
    EXPECT_EQ(toolkit.untrapped[0].operation(), "Unload");
}

TEST(DispatchTest, AnUnknownLabelIsARunTimeErrorNamingIt) {
    FakeToolkit toolkit;
    dispatch([](Toolkit& tk) { Window(tk).setCaption("Label13", "x"); }, toolkit);
    ASSERT_EQ(toolkit.untrapped.size(), 1U);
    EXPECT_EQ(toolkit.untrapped[0].status(), kStatusNoSuchControl);
    EXPECT_EQ(toolkit.untrapped[0].object(), "Label13");
}

// Nothing a handler throws may escape into the window system's event loop.
TEST(DispatchTest, EveryOtherExceptionReachesTheDefaultHandlingWithAStatusOfItsOwn) {
    const std::pair<Handler, Status> throwers[] = {
        {[](Toolkit&) { throw std::bad_alloc(); }, kStatusOutOfMemory},
        {[](Toolkit&) { throw std::logic_error("broken"); }, kStatusInternalError},
        {[](Toolkit&) { throw 42; }, kStatusInternalError},
    };
    for (const auto& [thrower, status] : throwers) {
        FakeToolkit toolkit;
        dispatch(thrower, toolkit);
        ASSERT_EQ(toolkit.untrapped.size(), 1U);
        EXPECT_EQ(toolkit.untrapped[0].status(), status);
        EXPECT_EQ(toolkit.untrapped[0].object(), "Frmbzz");
    }
}

} // namespace
} // namespace tolvane::testing
