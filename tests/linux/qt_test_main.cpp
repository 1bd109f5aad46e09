// Entry of the in-process tests of the Qt layer: one QApplication on Qt's offscreen platform, so that
// the real window is built, painted and clicked without a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // The offscreen platform asks fontconfig for fonts just as the X11 one does.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ::testing::InitGoogleTest(&argc, argv);
    const QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
