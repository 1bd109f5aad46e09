// What a click on an age label does: that label green, the other 24 light blue, and its row shown.
#pragma once

#include "reference/reference_table.h"
#include "toolkit/toolkit.h"

#include <cstddef>

namespace tolvane {

inline constexpr Colour kIdleColour = 0x00FFC0C0;      // light blue
inline constexpr Colour kHighlightColour = 0x0000FF00; // green

// The 30 assignments of one selection, in their fixed order; the first failure ends it where it stands.
void selectAge(Toolkit& toolkit, const ReferenceRow& row);

template <std::size_t Row> void ageLabelClick(Toolkit& toolkit) {
    static_assert(Row < kReferenceTable.size());
    selectAge(toolkit, kReferenceTable[Row]);
}

// Each age label's Click handler, bound to its own row when the program is built.
inline constexpr Handler Label2_Click = &ageLabelClick<0>;
inline constexpr Handler Label3_Click = &ageLabelClick<1>;
inline constexpr Handler Label4_Click = &ageLabelClick<2>;
inline constexpr Handler Label5_Click = &ageLabelClick<3>;
inline constexpr Handler Label6_Click = &ageLabelClick<4>;
inline constexpr Handler Label7_Click = &ageLabelClick<5>;
inline constexpr Handler Label8_Click = &ageLabelClick<6>;
inline constexpr Handler Label10_Click = &ageLabelClick<7>;
inline constexpr Handler Label12_Click = &ageLabelClick<8>;
inline constexpr Handler Label14_Click = &ageLabelClick<9>;
inline constexpr Handler Label15_Click = &ageLabelClick<10>;
inline constexpr Handler Label16_Click = &ageLabelClick<11>;
inline constexpr Handler Label18_Click = &ageLabelClick<12>;
inline constexpr Handler Label19_Click = &ageLabelClick<13>;
inline constexpr Handler Label20_Click = &ageLabelClick<14>;
inline constexpr Handler Label21_Click = &ageLabelClick<15>;
inline constexpr Handler Label22_Click = &ageLabelClick<16>;
inline constexpr Handler Label23_Click = &ageLabelClick<17>;
inline constexpr Handler Label24_Click = &ageLabelClick<18>;
inline constexpr Handler Label25_Click = &ageLabelClick<19>;
inline constexpr Handler Label26_Click = &ageLabelClick<20>;
inline constexpr Handler Label27_Click = &ageLabelClick<21>;
inline constexpr Handler Label28_Click = &ageLabelClick<22>;
inline constexpr Handler Label29_Click = &ageLabelClick<23>;
inline constexpr Handler Label30_Click = &ageLabelClick<24>;

} // namespace tolvane
