// The reference table: its rows, their binding to the age labels, and the shape of every cell.
#include "app/frmbzz.h"
#include "fake_toolkit.h"
#include "reference/age_selection.h"

#include <gtest/gtest.h>
#include <string>

namespace tolvane::testing {
namespace {

// Splits "105.3-114.5" into tenths; fails the test on anything else.
std::pair<int, int> boundsInTenths(std::string_view range) {
    auto parse = [&](std::string_view bound) {
        const auto point = bound.find('.');
        EXPECT_NE(point, std::string_view::npos) << range;
        EXPECT_EQ(bound.size() - point, 2U) << range; // exactly one digit after the point
        int tenths = 0;
        for (char c : bound) {
            if (c != '.') {
                EXPECT_TRUE(c >= '0' && c <= '9') << range;
                tenths = tenths * 10 + (c - '0');
            }
        }
        return tenths;
    };
    const auto dash = range.find('-');
    EXPECT_NE(dash, std::string_view::npos) << range;
    EXPECT_TRUE(range.size() >= 7 && range.size() <= 11) << range;
    return {parse(range.substr(0, dash)), parse(range.substr(dash + 1))};
}

TEST(ReferenceTableTest, EachRowIsShownByItsOwnLabel) {
    ASSERT_EQ(kReferenceTable.size(), 25U);
    for (const ReferenceRow& row : kReferenceTable) {
        SCOPED_TRACE(row.ageLabel);
        const ControlDescription* label = findControl(Frmbzz, row.ageLabel);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->caption, row.ageText);
        ASSERT_NE(label->click, nullptr);
        FakeToolkit toolkit;
        dispatch(label->click, toolkit);
        EXPECT_EQ(toolkit.labels.at("Label9").caption, row.ageText);
        EXPECT_EQ(toolkit.labels.at("Label50").caption, row.boysWeight);
        EXPECT_EQ(toolkit.labels.at("Label60").caption, row.girlsWeight);
        EXPECT_EQ(toolkit.labels.at("Label70").caption, row.boysHeight);
        EXPECT_EQ(toolkit.labels.at("Label80").caption, row.girlsHeight);
        EXPECT_EQ(toolkit.labels.at(std::string(row.ageLabel)).backColour, kHighlightColour);
    }
}

TEST(ReferenceTableTest, BoundsRiseStrictlyDownEveryColumn) {
    std::string_view ReferenceRow::*columns[] = {&ReferenceRow::boysWeight, &ReferenceRow::girlsWeight,
                                                 &ReferenceRow::boysHeight, &ReferenceRow::girlsHeight};
    for (auto column : columns) {
        std::pair<int, int> previous{0, 0};
        for (const ReferenceRow& row : kReferenceTable) {
            const auto bounds = boundsInTenths(row.*column);
            EXPECT_LT(bounds.first, bounds.second) << row.*column;
            EXPECT_GT(bounds.first, previous.first) << row.*column;
            EXPECT_GT(bounds.second, previous.second) << row.*column;
            previous = bounds;
        }
    }
}

TEST(ReferenceTableTest, SingledOutCellsAreKeptAsWritten) {
    EXPECT_EQ(kReferenceTable[0].boysWeight, "3.6-5.0");
    EXPECT_EQ(kReferenceTable[3].girlsHeight, "57.1-59.5");
    EXPECT_EQ(kReferenceTable[8].boysWeight, "9.1-11.3");
    EXPECT_EQ(kReferenceTable[9].girlsWeight, "9.1-11.3");
    EXPECT_EQ(kReferenceTable[13].ageText, "2.5岁");
    EXPECT_EQ(kReferenceTable[24].girlsWeight, "27.2-40.9");
    EXPECT_EQ(kReferenceTable[24].boysWeight, "26.8-38.7");
}

TEST(ReferenceTableTest, AgeTextsNameMonthsThenYears) {
    for (std::size_t i = 0; i < kReferenceTable.size(); ++i) {
        const std::string_view text = kReferenceTable[i].ageText;
        const std::string_view unit = i < 12 ? "月" : "岁";
        EXPECT_TRUE(text.ends_with(unit)) << text;
        const std::size_t characters = text.size() - unit.size() + 1;
        EXPECT_TRUE(characters >= 2 && characters <= 4) << text;
    }
}

} // namespace
} // namespace tolvane::testing
