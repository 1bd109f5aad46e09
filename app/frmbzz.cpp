#include "app/frmbzz.h"

#include "app/form_handlers.h"
#include "docking/docking_step.h"
#include "reference/age_selection.h"

#include <array>

namespace tolvane {

namespace {

constexpr Colour kRed = 0x000000FF;
constexpr Colour kMagenta = 0x00FF00FF;
constexpr Colour kBlue = 0x00FF0000;
constexpr Colour kBlack = 0x00000000;
constexpr Colour kLightGrey = 0x00E0E0E0;

constexpr std::string_view kSong = "宋体";
constexpr std::string_view kLi = "隶书";

// The age grid: two columns of 13 cells, 735 by 375 twips each.
constexpr Twips kGridColumn[] = {240, 1200};
constexpr Twips kGridTop = 720;
constexpr Twips kGridRowPitch = 480;
constexpr Twips kGridCellWidth = 735;
constexpr Twips kGridCellHeight = 375;

constexpr ControlDescription gridLabel(std::string_view name, std::string_view caption, int column, int row,
                                       int tabIndex, Handler click, Colour back, Colour fore) {
    return {.kind = ControlKind::Label,
            .name = name,
            .tabIndex = tabIndex,
            .left = kGridColumn[column],
            .top = kGridTop + kGridRowPitch * static_cast<Twips>(row),
            .width = kGridCellWidth,
            .height = kGridCellHeight,
            .caption = caption,
            .backColour = back,
            .foreColour = fore,
            .background = LabelBackground::Opaque,
            .font = {.face = kSong, .points = 12},
            .click = click};
}

// An age label's caption is its row's age text in the reference table, written there only.
constexpr std::string_view ageCaption(std::string_view name) {
    for (const ReferenceRow& row : kReferenceTable) {
        if (row.ageLabel == name) {
            return row.ageText;
        }
    }
    throw "an age label without a row in the reference table"; // fails the build
}

// column and row count from 0.
constexpr ControlDescription ageLabel(std::string_view name, int column, int row, int tabIndex,
                                      Handler click) {
    ControlDescription label =
        gridLabel(name, ageCaption(name), column, row, tabIndex, click, kIdleColour, vbButtonText);
    label.chosenBackColour = kHighlightColour; // the selected age is the green one
    return label;
}

constexpr ControlDescription textLabel(std::string_view name, int index, std::string_view caption, Twips left,
                                       Twips top, Twips width, Twips height, Colour fore, Font font,
                                       int tabIndex) {
    return {.kind = ControlKind::Label,
            .name = name,
            .index = index,
            .tabIndex = tabIndex,
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .caption = caption,
            .foreColour = fore,
            .background = LabelBackground::Transparent,
            .font = font};
}

constexpr ControlDescription pictureBox(std::string_view name, int index, Picture picture, Twips left,
                                        Twips top, Twips width, Twips height, int tabIndex) {
    return {.kind = ControlKind::PictureBox,
            .name = name,
            .index = index,
            .tabIndex = tabIndex,
            .left = left,
            .top = top,
            .width = width,
            .height = height,
            .backColour = vbButtonFace,
            .picture = picture};
}

constexpr ControlDescription line(std::string_view name, int index, Twips x1, Twips y1, Twips x2, Twips y2) {
    return {.kind = ControlKind::Line,
            .name = name,
            .index = index,
            .left = x1,
            .top = y1,
            .width = x2,
            .height = y2,
            .foreColour = vbWindowText};
}

constexpr Font song(float points) {
    return {.face = kSong, .points = points};
}

// A value label shows a bare range: the sex caption above it and its block's heading say what it is.
constexpr ControlDescription valueLabel(std::string_view name, Twips left, Twips top, Twips width,
                                        Colour fore, int tabIndex, ControlName sex, ControlName heading) {
    ControlDescription label = textLabel(name, -1, "", left, top, width, 495, fore, song(18), tabIndex);
    label.describedBy = {sex, heading};
    return label;
}
constexpr ControlName kBoysHeight{"Label1", 5};
constexpr ControlName kGirlsHeight{"Label1", 10};
constexpr ControlName kBoysWeight{"Label1", 4};
constexpr ControlName kGirlsWeight{"Label1", 9};
constexpr ControlName kHeightHeading{"Label1", 3};
constexpr ControlName kWeightHeading{"Label1", 2};

// In creation order, which is the order of falling tab index.
constexpr std::array kControls{
    pictureBox("Picture1", 1, Picture::GirlPhoto, 5160, 4920, 855, 735, 42),
    pictureBox("Picture2", 1, Picture::BoyPhoto, 2760, 4920, 735, 735, 41),
    pictureBox("Picture2", 0, Picture::BoyPhoto, 2880, 2520, 735, 735, 40),
    pictureBox("Picture1", 0, Picture::GirlPhoto, 5040, 2520, 855, 735, 39),
    ControlDescription{
        .kind = ControlKind::Timer, .name = "Timer1", .intervalMs = kTimer1IntervalMs, .tick = &Timer1_Timer},
    textLabel("Label11", -1, kCredits, 240, 6960, 6615, 495, kBlue, {.face = kLi, .points = 15.75F}, 38),
    textLabel("Label9", -1, "0-10岁儿童", 2520, 1080, 3735, 735, kRed, song(21.75F), 37),
    line("Line2", 1, 2160, 6840, 6720, 6840),
    line("Line1", 1, 6720, 720, 6720, 6840),
    line("Line2", 0, 2160, 720, 6720, 720),
    line("Line1", 0, 2160, 720, 2160, 6840),
    valueLabel("Label50", 2400, 5760, 1815, kRed, 36, kBoysWeight, kWeightHeading),
    valueLabel("Label80", 4440, 3240, 2175, kMagenta, 35, kGirlsHeight, kHeightHeading),
    valueLabel("Label70", 2160, 3240, 2175, kRed, 34, kBoysHeight, kHeightHeading),
    valueLabel("Label60", 4440, 5760, 2055, kMagenta, 33, kGirlsWeight, kWeightHeading),
    textLabel("Label1", 10, "女", 5160, 2760, 735, 375, kBlue, song(15.75F), 32),
    textLabel("Label1", 9, "女", 5160, 5160, 735, 375, kBlue, song(15.75F), 31),
    textLabel("Label1", 5, "男", 2760, 2760, 735, 375, kBlue, song(15.75F), 30),
    textLabel("Label1", 4, "男", 2760, 5160, 735, 375, kBlue, song(15.75F), 29),
    textLabel("Label1", 3, "身高（单位cm）", 2880, 2160, 2655, 375, kBlue, song(15.75F), 28),
    textLabel("Label1", 2, "体重（单位kg ）", 2760, 4440, 3135, 495, kBlue, song(15.75F), 27),
    ageLabel("Label30", 1, 11, 26, Label30_Click),
    ageLabel("Label29", 1, 10, 25, Label29_Click),
    ageLabel("Label28", 1, 9, 24, Label28_Click),
    ageLabel("Label27", 1, 8, 23, Label27_Click),
    ageLabel("Label26", 1, 7, 22, Label26_Click),
    ageLabel("Label25", 1, 6, 21, Label25_Click),
    ageLabel("Label24", 1, 5, 20, Label24_Click),
    ageLabel("Label23", 1, 4, 19, Label23_Click),
    ageLabel("Label22", 1, 3, 18, Label22_Click),
    ageLabel("Label21", 1, 2, 17, Label21_Click),
    ageLabel("Label20", 1, 1, 16, Label20_Click),
    ageLabel("Label19", 1, 0, 15, Label19_Click),
    ageLabel("Label18", 0, 12, 14, Label18_Click),
    gridLabel("Label17", "退出", 1, 12, 13, Label17_Click, kRed, kBlack),
    ageLabel("Label16", 0, 11, 12, Label16_Click),
    ageLabel("Label15", 0, 10, 11, Label15_Click),
    ageLabel("Label14", 0, 9, 10, Label14_Click),
    ageLabel("Label12", 0, 8, 9, Label12_Click),
    ageLabel("Label10", 0, 7, 8, Label10_Click),
    ageLabel("Label8", 0, 6, 7, Label8_Click),
    ageLabel("Label7", 0, 5, 6, Label7_Click),
    ageLabel("Label6", 0, 4, 5, Label6_Click),
    ageLabel("Label5", 0, 3, 4, Label5_Click),
    ageLabel("Label4", 0, 2, 3, Label4_Click),
    ageLabel("Label3", 0, 1, 2, Label3_Click),
    ageLabel("Label2", 0, 0, 1, Label2_Click),
    textLabel("Label1", 0, "0-10Tolvane快速查询表", 120, 0, 6735, 615, kBlue, song(21.75F), 0),
};
static_assert(kControls.size() == 48);

} // namespace

const WindowDescription Frmbzz{
    .name = "Frmbzz",
    .caption = "0-10 Tolvane",
    .clientWidth = 7080,
    .clientHeight = 7530,
    .outerLeft = 0,
    .outerTop = 0,
    .backColour = kLightGrey,
    .picture = Picture::Background,
    .icon = Picture::Icon,
    .sizable = true,
    .minButton = false,
    .maxButton = false,
    .load = &Form_Load,
    .controls = kControls,
};

} // namespace tolvane
