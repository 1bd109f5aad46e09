// The window's labels as a screen reader reads them through Qt's accessibility, in-process on the
// offscreen platform: one child per label and one per picture box, in the window's tab order, buttons for
// the clickable ones, the name and checked-state changes a click announces in their order (and that a
// write which changes nothing is neither repainted nor announced), and a click through the press action.
// Names, descriptions and states as a screen reader reads them over AT-SPI are e2e/test_screen_reader.py's.
#include "app/frmbzz.h"
#include "reference/age_selection.h"
#include "toolkit/qt/picture_box.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QAccessible>
#include <QTest>
#include <QtGui/private/qguiapplication_p.h>
#include <QtGui/qpa/qplatformaccessibility.h>
#include <QtGui/qpa/qplatformintegration.h>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace tolvane::qt {
namespace {

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QPoint centreOf(std::string_view name) {
    const ControlDescription& control = *findControl(Frmbzz, name);
    return {static_cast<int>(control.left + control.width / 2) / 15,
            static_cast<int>(control.top + control.height / 2) / 15};
}

// The accessible child of the window that a named label is: the tab indices run from 0 without a gap,
// so a control's tab index is its place among the children.
QAccessibleInterface* labelChild(QtToolkit& toolkit, std::string_view name) {
    return QAccessible::queryAccessibleInterface(&toolkit.window())
        ->child(findControl(Frmbzz, name)->tabIndex);
}

// Keeps the name and checked-state changes Qt's accessibility is told of while it lives, as the changed
// child's name, after "checked " or "unchecked " for a state change.
class NameChangeRecorder {
  public:
    NameChangeRecorder() {
        recorder_ = this;
        previous_ = QAccessible::installUpdateHandler(&record);
        // Qt passes events on only while assistive technology is listening, which on the desktop the
        // AT-SPI bus tells it; here the test plays that part, as Qt's own accessibility tests do.
        accessibility_ = QGuiApplicationPrivate::platformIntegration()->accessibility();
        if (accessibility_ != nullptr) {
            accessibility_->setActive(true);
        }
    }
    ~NameChangeRecorder() {
        if (accessibility_ != nullptr) {
            accessibility_->setActive(false);
        }
        QAccessible::installUpdateHandler(previous_);
        recorder_ = nullptr;
    }
    NameChangeRecorder(const NameChangeRecorder&) = delete;
    NameChangeRecorder& operator=(const NameChangeRecorder&) = delete;

    std::vector<QString> names;

  private:
    static void record(QAccessibleEvent* event) {
        QAccessibleInterface* changed = event->accessibleInterface();
        const QString name = changed != nullptr ? changed->text(QAccessible::Name) : QString("?");
        if (event->type() == QAccessible::NameChanged) {
            recorder_->names.push_back(name);
        } else if (event->type() == QAccessible::StateChanged &&
                   static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().checked) {
            recorder_->names.push_back(
                (changed != nullptr && changed->state().checked ? "checked " : "unchecked ") + name);
        }
    }

    static inline NameChangeRecorder* recorder_ = nullptr;
    QAccessible::UpdateHandler previous_ = nullptr;
    QPlatformAccessibility* accessibility_ = nullptr;
};

TEST(LabelAccessibilityTest, EveryLabelAndPictureBoxIsAChildInTabOrder) {
    QtToolkit toolkit(Frmbzz);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&toolkit.window());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), text("0-10 Tolvane"));
    // 39 labels and four picture boxes.
    ASSERT_EQ(window->childCount(), 39 + 4);

    int buttons = 0;
    for (const LabelView& label : toolkit.content().labels) {
        const int i = label.control->tabIndex;
        QAccessibleInterface* child = window->child(i);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(child->parent(), window);
        EXPECT_EQ(window->indexOfChild(child), i);
        EXPECT_EQ(child->rect(),
                  QRect(toolkit.window().mapToGlobal(label.rect.topLeft()), label.rect.size()));
        const bool clickable = label.control->click != nullptr;
        EXPECT_EQ(child->role(), clickable ? QAccessible::Button : QAccessible::StaticText) << i;
        EXPECT_EQ(child->actionInterface() != nullptr, clickable) << i;
        buttons += clickable ? 1 : 0;
    }
    EXPECT_EQ(buttons, 25 + 1); // the ages and the exit
    for (int i = 39; i < 43; ++i) {
        auto* box = dynamic_cast<PictureBox*>(window->child(i)->object());
        ASSERT_NE(box, nullptr) << i;
        EXPECT_EQ(box->tabIndex(), i);
        EXPECT_EQ(window->indexOfChild(window->child(i)), i);
    }

    // What lies under a point is the label drawn there.
    const QPoint onAge = toolkit.window().mapToGlobal(centreOf("Label19"));
    EXPECT_EQ(window->childAt(onAge.x(), onAge.y()), labelChild(toolkit, "Label19"));
}

TEST(LabelAccessibilityTest, AClickAnnouncesEachChange) {
    QtToolkit toolkit(Frmbzz);
    NameChangeRecorder recorder;
    ASSERT_TRUE(QAccessible::isActive()) << "the platform has no accessibility to switch on";
    QTest::mouseClick(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label2"));
    recorder.names.clear();
    QTest::mouseClick(&toolkit.window(), Qt::LeftButton, {}, centreOf("Label19"));

    // The ages whose checked state the colours change, then one announcement per caption written, in
    // the order the click writes them, each naming the label that changed with its new text.
    EXPECT_EQ(recorder.names, (std::vector<QString>{text("unchecked 1月"), text("checked 2.5岁"),
                                                    text("2.5岁"), text("12.1-15.3"), text("11.7-14.7"),
                                                    text("88.9-95.8"), text("87.9-94.7")}));
}

// Counts the paint events a widget gets.
class PaintCounter final : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

TEST(LabelAccessibilityTest, OnlyAWriteThatChangesALabelRepaintsAndAnnouncesIt) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&toolkit.window()));
    QCoreApplication::processEvents();
    NameChangeRecorder recorder;
    PaintCounter counter;
    toolkit.window().installEventFilter(&counter);
    const struct {
        const char* what;
        std::function<Status()> write;
        bool changes;
    } writes[] = {
        {"the idle colour again", [&] { return toolkit.setBackColor("Label19", kIdleColour); }, false},
        {"green", [&] { return toolkit.setBackColor("Label19", kHighlightColour); }, true},
        {"green again", [&] { return toolkit.setBackColor("Label19", kHighlightColour); }, false},
        {"the first caption again", [&] { return toolkit.setCaption("Label9", "0-10岁儿童"); }, false},
        {"an age", [&] { return toolkit.setCaption("Label9", "2.5岁"); }, true},
        {"that age again", [&] { return toolkit.setCaption("Label9", "2.5岁"); }, false},
    };
    for (const auto& write : writes) {
        recorder.names.clear();
        counter.paints = 0;
        EXPECT_EQ(write.write(), kStatusOk) << write.what;
        QCoreApplication::processEvents();
        EXPECT_EQ(counter.paints > 0, write.changes) << write.what;
        EXPECT_EQ(recorder.names.size(), write.changes ? 1U : 0U) << write.what;
    }
}

TEST(LabelAccessibilityTest, ThePressActionClicksTheLabel) {
    QtToolkit toolkit(Frmbzz);
    toolkit.window().show();
    QAccessibleInterface* age = labelChild(toolkit, "Label2");
    ASSERT_NE(age->actionInterface(), nullptr);
    EXPECT_EQ(age->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    age->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(labelChild(toolkit, "Label9")->text(QAccessible::Name), text("1月"));
    EXPECT_EQ(labelChild(toolkit, "Label50")->actionInterface(), nullptr);
}

TEST(LabelAccessibilityTest, TheLabelsGoWithTheWindow) {
    std::vector<QAccessible::Id> ids;
    {
        QtToolkit toolkit(Frmbzz);
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&toolkit.window());
        for (int i = 0; i < 39; ++i) {
            ids.push_back(QAccessible::uniqueId(window->child(i)));
        }
    }
    for (const QAccessible::Id id : ids) {
        EXPECT_EQ(QAccessible::accessibleInterface(id), nullptr);
    }
}

} // namespace
} // namespace tolvane::qt
