// Prints the window description and the reference table as JSON, so that the end-to-end tests find
// every label where the program puts it without a second copy of the layout.
#include "app/frmbzz.h"
#include "reference/age_selection.h"
#include "reference/reference_table.h"

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
    std::cout << "]}\n";
}
