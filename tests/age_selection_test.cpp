// A click on an age label: the 30 assignments, their order, and what a failure part-way leaves behind.
#include "fake_toolkit.h"
#include "reference/age_selection.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tolvane::testing {
namespace {

constexpr std::string_view kAgeLabelsInOrder[] = {
    "Label2",  "Label3",  "Label4",  "Label5",  "Label6",  "Label7",  "Label8",  "Label10", "Label12",
    "Label14", "Label15", "Label16", "Label18", "Label19", "Label20", "Label21", "Label22", "Label23",
    "Label24", "Label25", "Label26", "Label27", "Label28", "Label29", "Label30"};

// Written out from the table of ages, independently of the code under test.
std::vector<std::string> expectedAssignments(std::string_view selected, std::vector<std::string> captions) {
    std::vector<std::string> expected;
    for (std::string_view label : kAgeLabelsInOrder) {
        expected.push_back(std::string(label) +
                           ".BackColor=" + (label == selected ? "&H0000FF00" : "&H00FFC0C0"));
    }
    const char* captionLabels[] = {"Label9", "Label50", "Label60", "Label70", "Label80"};
    for (std::size_t i = 0; i < 5; ++i) {
        expected.push_back(std::string(captionLabels[i]) + ".Caption=" + captions[i]);
    }
    return expected;
}

struct SelectionCase {
    Handler click;
    std::string_view label;
    std::vector<std::string> captions;
};

TEST(AgeSelectionTest, PerformsTheThirtyAssignmentsInOrder) {
    const SelectionCase cases[] = {
        {Label2_Click, "Label2", {"1月", "3.6-5.0", "2.7-3.6", "48.2-52.8", "47.7-52.0"}},
        {Label19_Click, "Label19", {"2.5岁", "12.1-15.3", "11.7-14.7", "88.9-95.8", "87.9-94.7"}},
        {Label30_Click, "Label30", {"10岁", "26.8-38.7", "27.2-40.9", "131.4-143.6", "131.5-145.1"}},
    };
    for (const SelectionCase& each : cases) {
        SCOPED_TRACE(each.label);
        FakeToolkit toolkit;
        dispatch(each.click, toolkit);
        EXPECT_EQ(toolkit.log, expectedAssignments(each.label, each.captions));
        EXPECT_TRUE(toolkit.untrapped.empty());
        EXPECT_EQ(toolkit.labels.at(std::string(each.label)).backColour, kHighlightColour);
        EXPECT_EQ(toolkit.labels.at("Label9").caption, each.captions[0]);
        EXPECT_EQ(toolkit.labels.at("Label80").caption, each.captions[4]);
    }
}

TEST(AgeSelectionTest, FailureAtEachStepKeepsEarlierAssignmentsAndMakesNoLaterOne) {
    const std::vector<std::string> full =
        expectedAssignments("Label19", {"2.5岁", "12.1-15.3", "11.7-14.7", "88.9-95.8", "87.9-94.7"});
    for (int step = 1; step <= 30; ++step) {
        SCOPED_TRACE(step);
        FakeToolkit toolkit;
        dispatch(Label12_Click, toolkit); // a previous selection the failed click partly overwrites
        toolkit.log.clear();
        const Status status = -1000 - step;
        toolkit.failOperation(step, status);

        dispatch(Label19_Click, toolkit);

        ASSERT_EQ(toolkit.log.size(), static_cast<std::size_t>(step));
        for (int i = 0; i + 1 < step; ++i) {
            EXPECT_EQ(toolkit.log[static_cast<std::size_t>(i)], full[static_cast<std::size_t>(i)]);
        }
        EXPECT_EQ(toolkit.log.back(), full[static_cast<std::size_t>(step - 1)] + " failed");

        ASSERT_EQ(toolkit.untrapped.size(), 1U);
        const RuntimeError& error = toolkit.untrapped.front();
        EXPECT_EQ(error.status(), status);
        const std::string& failed = full[static_cast<std::size_t>(step - 1)];
        EXPECT_EQ(error.object(), failed.substr(0, failed.find('.')));
        EXPECT_EQ(error.operation(), step <= 25 ? "write BackColor" : "write Caption");

        // Effects: the labels assigned before the failure show the new selection, the rest the old one.
        const bool label12Recoloured = step > 9;
        EXPECT_EQ(toolkit.labels.at("Label12").backColour,
                  label12Recoloured ? kIdleColour : kHighlightColour);
        const bool label19Recoloured = step > 14;
        EXPECT_EQ(toolkit.labels.at("Label19").backColour,
                  label19Recoloured ? kHighlightColour : kIdleColour);
        EXPECT_EQ(toolkit.labels.at("Label9").caption, step > 26 ? "2.5岁" : "12月");
        EXPECT_EQ(toolkit.labels.at("Label80").caption, "71.5-77.1");
    }
}

TEST(AgeSelectionTest, AnotherClickMovesTheHighlightAndReplacesTheCaptions) {
    FakeToolkit toolkit;
    dispatch(Label12_Click, toolkit);
    EXPECT_EQ(toolkit.labels.at("Label12").backColour, kHighlightColour);
    EXPECT_EQ(toolkit.labels.at("Label50").caption, "9.1-11.3");

    dispatch(Label14_Click, toolkit);
    EXPECT_EQ(toolkit.labels.at("Label12").backColour, kIdleColour);
    EXPECT_EQ(toolkit.labels.at("Label14").backColour, kHighlightColour);
    EXPECT_EQ(toolkit.labels.at("Label50").caption, "9.8-12.0");
    EXPECT_EQ(toolkit.labels.at("Label60").caption, "9.1-11.3");
}

TEST(AgeSelectionTest, AnySequenceLeavesExactlyOneGreenLabelAndTheLastRow) {
    FakeToolkit toolkit;
    for (std::string_view label : kAgeLabelsInOrder) {
        EXPECT_EQ(toolkit.labels.at(std::string(label)).backColour, kIdleColour);
    }
    EXPECT_EQ(toolkit.labels.at("Label9").caption, "0-10岁儿童");
    EXPECT_EQ(toolkit.labels.at("Label50").caption, "");

    const Handler sequence[] = {Label30_Click, Label2_Click, Label2_Click, Label22_Click, Label8_Click};
    for (Handler click : sequence) {
        dispatch(click, toolkit);
    }
    const auto green = std::ranges::count_if(kAgeLabelsInOrder, [&](std::string_view label) {
        return toolkit.labels.at(std::string(label)).backColour == kHighlightColour;
    });
    EXPECT_EQ(green, 1);
    EXPECT_EQ(toolkit.labels.at("Label8").backColour, kHighlightColour);
    EXPECT_EQ(toolkit.labels.at("Label9").caption, "8月");
    EXPECT_EQ(toolkit.labels.at("Label70").caption, "68.3-73.6");
    EXPECT_EQ(toolkit.labels.at("Label17").backColour, 0x000000FFU); // the exit label keeps its red
}

} // namespace
} // namespace tolvane::testing
