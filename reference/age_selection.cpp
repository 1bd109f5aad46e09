#include "reference/age_selection.h"

#include "toolkit/window.h"

namespace tolvane {

void selectAge(Toolkit& toolkit, const ReferenceRow& row) {
    Window window(toolkit);
    // Every age label is recoloured on every click, in order of age, so no previous selection is
    // ever looked for or read back.
    for (const ReferenceRow& each : kReferenceTable) {
        window.setBackColor(each.ageLabel, each.ageLabel == row.ageLabel ? kHighlightColour : kIdleColour);
    }
    window.setCaption("Label9", row.ageText);
    window.setCaption("Label50", row.boysWeight);
    window.setCaption("Label60", row.girlsWeight);
    window.setCaption("Label70", row.boysHeight);
    window.setCaption("Label80", row.girlsHeight);
}

} // namespace tolvane
