// Every character a label can show is in the very font the layer chose for that label, whatever fonts
// this machine has: no tofu boxes, and no characters borrowed from another font of other proportions.
#include "app/frmbzz.h"
#include "reference/reference_table.h"
#include "toolkit/qt/form_content.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QFontInfo>
#include <QRawFont>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::qt {
namespace {

bool isDisplayLabel(const ControlDescription& control) {
    return control.index < 0 &&
           (control.name == "Label9" || control.name == "Label50" || control.name == "Label60" ||
            control.name == "Label70" || control.name == "Label80");
}

// A label's own caption, and for the display labels every text of the table besides.
std::vector<std::string_view> textsOf(const ControlDescription& control) {
    std::vector<std::string_view> texts{control.caption};
    if (isDisplayLabel(control)) {
        for (const ReferenceRow& row : kReferenceTable) {
            texts.insert(texts.end(),
                         {row.ageText, row.boysWeight, row.girlsWeight, row.boysHeight, row.girlsHeight});
        }
    }
    return texts;
}

TEST(LabelGlyphsTest, EveryCharacterALabelShowsIsInItsOwnFont) {
    const QtToolkit toolkit(Frmbzz);
    int checked = 0;
    for (const LabelView& label : toolkit.content().labels) {
        // The font Qt draws the label in before any fallback: the one QFontInfo names.
        const QRawFont font = QRawFont::fromFont(label.font);
        ASSERT_TRUE(font.isValid()) << label.control->name;
        for (const std::string_view text : textsOf(*label.control)) {
            const QString characters = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
            for (const char32_t character : characters.toUcs4()) {
                if (character == U' ') {
                    continue;
                }
                EXPECT_TRUE(font.supportsCharacter(character))
                    << label.control->name << " \"" << text << "\": U+" << std::hex
                    << static_cast<unsigned>(character) << " is not in " << font.familyName().toStdString();
                ++checked;
            }
        }
        EXPECT_EQ(font.familyName(), QFontInfo(label.font).family()) << label.control->name;
    }
    EXPECT_GT(checked, 1000) << "characters checked";
}

} // namespace
} // namespace tolvane::qt
