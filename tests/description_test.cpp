// The window description: its controls, their order and places, and the window's own settings.
#include "app/form_handlers.h"
#include "app/frmbzz.h"
#include "docking/docking_step.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace tolvane {
namespace {

std::string nameOf(const ControlDescription& control) {
    return control.index < 0 ? std::string(control.name)
                             : std::string(control.name) + "(" + std::to_string(control.index) + ")";
}

TEST(DescriptionTest, CreatesTheFortyEightControlsInOrderOfFallingTabIndex) {
    const std::vector<std::string> expected = {
        "Picture1(1)", "Picture2(1)", "Picture2(0)", "Picture1(0)", "Timer1",    "Label11",   "Label9",
        "Line2(1)",    "Line1(1)",    "Line2(0)",    "Line1(0)",    "Label50",   "Label80",   "Label70",
        "Label60",     "Label1(10)",  "Label1(9)",   "Label1(5)",   "Label1(4)", "Label1(3)", "Label1(2)",
        "Label30",     "Label29",     "Label28",     "Label27",     "Label26",   "Label25",   "Label24",
        "Label23",     "Label22",     "Label21",     "Label20",     "Label19",   "Label18",   "Label17",
        "Label16",     "Label15",     "Label14",     "Label12",     "Label10",   "Label8",    "Label7",
        "Label6",      "Label5",      "Label4",      "Label3",      "Label2",    "Label1(0)"};
    std::vector<std::string> names;
    int previousTab = 43;
    for (const ControlDescription& control : Frmbzz.controls) {
        names.push_back(nameOf(control));
        const bool tabbed = control.kind == ControlKind::Label || control.kind == ControlKind::PictureBox;
        if (tabbed) {
            EXPECT_EQ(control.tabIndex, previousTab - 1) << nameOf(control);
            previousTab = control.tabIndex;
        } else {
            EXPECT_EQ(control.tabIndex, -1) << nameOf(control);
        }
    }
    EXPECT_EQ(names, expected);
    EXPECT_EQ(previousTab, 0);
}

TEST(DescriptionTest, EveryPositionAndSizeIsWholePixels) {
    for (const ControlDescription& control : Frmbzz.controls) {
        for (Twips value : {control.left, control.top, control.width, control.height}) {
            EXPECT_EQ(std::fmod(value, 15.0F), 0.0F) << nameOf(control) << " " << value;
        }
    }
    EXPECT_EQ(Frmbzz.clientWidth, 7080);
    EXPECT_EQ(Frmbzz.clientHeight, 7530);
}

TEST(DescriptionTest, AgeGridHasTwoColumnsOfThirteenCells) {
    std::set<std::pair<int, int>> cells;
    for (const ControlDescription& control : Frmbzz.controls) {
        if (control.background != LabelBackground::Opaque || control.kind != ControlKind::Label) {
            continue;
        }
        SCOPED_TRACE(nameOf(control));
        EXPECT_TRUE(control.left == 240 || control.left == 1200);
        EXPECT_EQ(std::fmod(control.top - 720, 480.0F), 0.0F);
        EXPECT_EQ(control.width, 735);
        EXPECT_EQ(control.height, 375);
        EXPECT_EQ(control.font.face, "宋体");
        EXPECT_EQ(control.font.points, 12);
        EXPECT_NE(control.click, nullptr);
        cells.emplace(static_cast<int>(control.left), static_cast<int>(control.top));
    }
    EXPECT_EQ(cells.size(), 26U);
    EXPECT_EQ(cells.rbegin()->second, 6480);
    const ControlDescription* exit = findControl(Frmbzz, "Label17");
    ASSERT_NE(exit, nullptr);
    EXPECT_EQ(exit->left, 1200);
    EXPECT_EQ(exit->top, 6480);
    EXPECT_EQ(exit->caption, "退出");
    EXPECT_EQ(exit->backColour, 0x000000FFU);
    EXPECT_EQ(exit->foreColour, 0x00000000U);
    EXPECT_EQ(exit->click, &Label17_Click);
}

TEST(DescriptionTest, NoTwoLabelsOverlap) {
    std::vector<const ControlDescription*> labels;
    for (const ControlDescription& control : Frmbzz.controls) {
        if (control.kind == ControlKind::Label) {
            labels.push_back(&control);
        }
    }
    ASSERT_EQ(labels.size(), 39U);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        for (std::size_t j = i + 1; j < labels.size(); ++j) {
            const ControlDescription& a = *labels[i];
            const ControlDescription& b = *labels[j];
            const bool apart = a.left + a.width <= b.left || b.left + b.width <= a.left ||
                               a.top + a.height <= b.top || b.top + b.height <= a.top;
            EXPECT_TRUE(apart) << nameOf(a) << " overlaps " << nameOf(b);
        }
    }
}

TEST(DescriptionTest, OnlyTheAgeLabelsAndTheExitLabelAreClickable) {
    int clickable = 0;
    for (const ControlDescription& control : Frmbzz.controls) {
        if (control.click != nullptr) {
            ++clickable;
            EXPECT_EQ(control.background, LabelBackground::Opaque) << nameOf(control);
        }
    }
    EXPECT_EQ(clickable, 26);
}

TEST(DescriptionTest, WindowAndTimerSettings) {
    EXPECT_EQ(Frmbzz.caption, "0-10 Tolvane");
    EXPECT_EQ(Frmbzz.backColour, 0x00E0E0E0U);
    EXPECT_TRUE(Frmbzz.sizable);
    EXPECT_FALSE(Frmbzz.minButton);
    EXPECT_FALSE(Frmbzz.maxButton);
    EXPECT_EQ(Frmbzz.load, &Form_Load);
    const ControlDescription* timer = findControl(Frmbzz, "Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->intervalMs, 200);
    EXPECT_EQ(timer->tick, &Timer1_Timer);
}

TEST(DescriptionTest, DisplayLabelsStartAsCreated) {
    struct Expected {
        std::string_view name;
        std::string_view caption;
        Colour fore;
        float points;
    };
    const Expected expected[] = {{"Label9", "0-10岁儿童", 0x000000FF, 21.75F},
                                 {"Label50", "", 0x000000FF, 18},
                                 {"Label60", "", 0x00FF00FF, 18},
                                 {"Label70", "", 0x000000FF, 18},
                                 {"Label80", "", 0x00FF00FF, 18}};
    for (const Expected& each : expected) {
        const ControlDescription* label = findControl(Frmbzz, each.name);
        ASSERT_NE(label, nullptr) << each.name;
        EXPECT_EQ(label->caption, each.caption);
        EXPECT_EQ(label->foreColour, each.fore);
        EXPECT_EQ(label->font.points, each.points);
        EXPECT_EQ(label->background, LabelBackground::Transparent);
    }
}

TEST(DescriptionTest, PhotosCoverTheBoyAndGirlCaptions) {
    auto covers = [](const ControlDescription& box, const ControlDescription& label) {
        return box.left < label.left + label.width && label.left < box.left + box.width &&
               box.top <= label.top && label.top + label.height <= box.top + box.height;
    };
    std::vector<const ControlDescription*> boxes;
    std::vector<const ControlDescription*> sexes;
    for (const ControlDescription& control : Frmbzz.controls) {
        if (control.kind == ControlKind::PictureBox) {
            boxes.push_back(&control);
        } else if (control.caption == "男" || control.caption == "女") {
            sexes.push_back(&control);
        }
    }
    ASSERT_EQ(sexes.size(), 4U);
    for (const ControlDescription* label : sexes) {
        const auto box = std::ranges::find_if(boxes, [&](const auto* b) { return covers(*b, *label); });
        ASSERT_NE(box, boxes.end()) << nameOf(*label);
        EXPECT_EQ((*box)->picture, label->caption == "男" ? Picture::BoyPhoto : Picture::GirlPhoto);
    }
}

} // namespace
} // namespace tolvane
