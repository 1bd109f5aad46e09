// Prints the window description, the reference table and the desktops of several monitors that docking
// is tried on as JSON, so that the end-to-end tests find every label where the program puts it, and run
// the unit tests' table of monitors, without a second copy of either.
#include "app/frmbzz.h"
#include "reference/age_selection.h"
#include "reference/reference_table.h"
#include "tests/monitor_layouts.h"

#include <iostream>
#include <string>
#include <string_view>

namespace {

using namespace tolvane;

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + '"';
}

std::string_view kindName(ControlKind kind) {
    switch (kind) {
    case ControlKind::Label:
        return "label";
    case ControlKind::PictureBox:
        return "picture";
    case ControlKind::Line:
        return "line";
    case ControlKind::Timer:
        return "timer";
    }
    return "unknown";
}

void printControl(const ControlDescription& control) {
    std::cout << "{\"name\": " << quoted(control.name) << ", \"index\": " << control.index
              << ", \"tabIndex\": " << control.tabIndex << ", \"kind\": " << quoted(kindName(control.kind))
              << ", \"left\": " << control.left << ", \"top\": " << control.top
              << ", \"width\": " << control.width << ", \"height\": " << control.height
              << ", \"caption\": " << quoted(control.caption) << ", \"backColour\": " << control.backColour
              << ", \"foreColour\": " << control.foreColour
              << ", \"opaque\": " << (control.background == LabelBackground::Opaque ? "true" : "false")
              << ", \"clickable\": " << (control.click != nullptr ? "true" : "false") << "}";
}

void printRow(const ReferenceRow& row) {
    std::cout << "{\"ageLabel\": " << quoted(row.ageLabel) << ", \"ageText\": " << quoted(row.ageText)
              << ", \"boysWeight\": " << quoted(row.boysWeight)
              << ", \"girlsWeight\": " << quoted(row.girlsWeight)
              << ", \"boysHeight\": " << quoted(row.boysHeight)
              << ", \"girlsHeight\": " << quoted(row.girlsHeight) << "}";
}

std::string_view anchorName(testing::Anchor anchor) {
    switch (anchor) {
    case testing::Anchor::Middle:
        return "middle";
    case testing::Anchor::AcrossRight:
        return "acrossRight";
    case testing::Anchor::TopEdge:
        return "topEdge";
    case testing::Anchor::LeftEdge:
        return "leftEdge";
    case testing::Anchor::RightEdge:
        return "rightEdge";
    case testing::Anchor::RightLow:
        return "rightLow";
    }
    return "unknown";
}

std::string_view outcomeName(testing::Outcome outcome) {
    switch (outcome) {
    case testing::Outcome::Stays:
        return "stays";
    case testing::Outcome::HidesTop:
        return "top";
    case testing::Outcome::HidesLeft:
        return "left";
    case testing::Outcome::HidesRight:
        return "right";
    }
    return "unknown";
}

std::string rectText(const RECT& r) {
    return "[" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) +
           ", " + std::to_string(r.bottom) + "]";
}

// The place is given as the anchor's name; the tests compute it from the window's size as
// testing::placeWindow does.
void printLayout(const testing::MonitorLayout& layout) {
    std::cout << "{\"name\": " << quoted(layout.name) << ", \"screen\": [" << layout.screenWidth << ", "
              << layout.screenHeight << "], \"primary\": " << layout.primary << ", \"monitors\": [";
    const char* separator = "";
    for (const RECT& monitor : layout.monitors) {
        std::cout << separator << rectText(monitor);
        separator = ", ";
    }
    std::cout << "], \"placements\": [";
    separator = "";
    for (const testing::Placement& place : layout.placements) {
        std::cout << separator << "\n    {\"what\": " << quoted(place.what)
                  << ", \"monitor\": " << place.monitor
                  << ", \"anchor\": " << quoted(anchorName(place.anchor))
                  << ", \"outcome\": " << quoted(outcomeName(place.outcome)) << "}";
        separator = ",";
    }
    std::cout << "]}";
}

} // namespace

int main() {
    std::cout << "{\"caption\": " << quoted(Frmbzz.caption) << ", \"clientWidth\": " << Frmbzz.clientWidth
              << ", \"clientHeight\": " << Frmbzz.clientHeight << ", \"backColour\": " << Frmbzz.backColour
              << ", \"idleColour\": " << kIdleColour << ", \"highlightColour\": " << kHighlightColour
              << ",\n \"controls\": [\n";
    const char* separator = "";
    for (const ControlDescription& control : Frmbzz.controls) {
        std::cout << separator << "  ";
        printControl(control);
        separator = ",\n";
    }
    std::cout << "],\n \"rows\": [\n";
    separator = "";
    for (const ReferenceRow& row : kReferenceTable) {
        std::cout << separator << "  ";
        printRow(row);
        separator = ",\n";
    }
    std::cout << "],\n \"monitorLayouts\": [\n";
    separator = "";
    for (const testing::MonitorLayout& layout : testing::monitorLayouts()) {
        std::cout << separator << "  ";
        printLayout(layout);
        separator = ",\n";
    }
    std::cout << "]}\n";
}
