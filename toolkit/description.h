// The shape of a window description: the window's own settings and its controls in creation order.
// The program holds one such description (app/frmbzz.cpp); each platform layer builds its window from it.
#pragma once

#include "toolkit/toolkit.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tolvane {

// System colours, as a description names them; the platform layer maps them to the running system's.
inline constexpr Colour kSystemColourFlag = 0x80000000;
inline constexpr Colour vbWindowText = 0x80000008;
inline constexpr Colour vbButtonFace = 0x8000000F;
inline constexpr Colour vbButtonText = 0x80000012;

constexpr bool isSystemColour(Colour colour) {
    return (colour & kSystemColourFlag) != 0;
}

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kCharsetGB2312 = 134;
inline constexpr int kFontWeightBold = 700;

enum class ControlKind { Label, PictureBox, Line, Timer };

enum class LabelBackground { Opaque, Transparent };

// The pictures the program carries; the bytes themselves are in resources/.
enum class Picture { None, Background, Icon, GirlPhoto, BoyPhoto };

struct Font {
    std::string_view face{};
    float points = 0;
    int weight = kFontWeightBold;
    int charset = kCharsetGB2312;
};

// A control as the description names it: its name and its place in a control array (-1 for none).
struct ControlName {
    std::string_view name{};
    int index = -1;
};

struct ControlDescription {
    ControlKind kind = ControlKind::Label;
    std::string_view name{};
    int index = -1;    // place in a control array, -1 for a control of its own
    int tabIndex = -1; // -1 for controls without one (lines, the timer)
    // Labels and picture boxes: left, top, width, height. Lines: x1, y1, x2, y2.
    Twips left = 0;
    Twips top = 0;
    Twips width = 0;
    Twips height = 0;
    std::string_view caption{};
    Colour backColour = vbButtonFace;
    Colour foreColour = vbButtonText;
    LabelBackground background = LabelBackground::Transparent;
    Font font{};
    Picture picture = Picture::None;
    int intervalMs = 0;
    Handler click = nullptr;
    Handler tick = nullptr;
    // For a screen reader: the labels whose captions say what this label shows, read in this order
    // (a value label's sex and measure; the photos hide the sex captions, the heading names the unit).
    std::array<ControlName, 2> describedBy{};
    // For a screen reader: the back colour that marks this label as the chosen one of its kind (the
    // selected age); none for labels that are never chosen.
    std::optional<Colour> chosenBackColour{};

    Twips x1() const { return left; }
    Twips y1() const { return top; }
    Twips x2() const { return width; }
    Twips y2() const { return height; }
};

struct WindowDescription {
    std::string_view name{};
    std::string_view caption{};
    Twips clientWidth = 0;
    Twips clientHeight = 0;
    // The window's outer top-left corner on the screen; the frame the running system draws decides
    // where the client area lands.
    Twips outerLeft = 0;
    Twips outerTop = 0;
    Colour backColour = 0;
    Picture picture = Picture::None;
    Picture icon = Picture::None;
    bool sizable = true;
    bool minButton = false;
    bool maxButton = false;
    Handler load = nullptr;
    std::span<const ControlDescription> controls{};
};

// The control that a handler names ("Label19"), or nullptr. Array members are not addressed by name.
const ControlDescription* findControl(const WindowDescription& window, std::string_view name);

// What a screen reader says a control is, beyond its caption: the captions of its describedBy labels,
// separated by a blank; empty for a control that needs none.
std::string accessibleDescription(const WindowDescription& window, const ControlDescription& control);

// Whether a label with this back colour is the chosen one of its kind (the selected age).
constexpr bool isChosen(const ControlDescription& control, Colour backColour) {
    return control.chosenBackColour == backColour;
}

// The place of the label a handler names among the window's labels in creation order, which is how
// every layer keeps them; nothing when no label of its own bears that name.
std::optional<std::size_t> labelIndex(const WindowDescription& window, std::string_view name);

} // namespace tolvane
