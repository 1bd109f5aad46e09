// Every caption the window can show fits on one line of its label, measured with the font the layer
// actually chose on this machine and drawn the way the window draws it.
#include "app/frmbzz.h"
#include "reference/reference_table.h"
#include "toolkit/qt/form_content.h"
#include "toolkit/qt/label_font.h"
#include "toolkit/qt/qt_toolkit.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tolvane::qt {
namespace {

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string labelName(const ControlDescription& control) {
    std::string name(control.name);
    return control.index < 0 ? name : name + "(" + std::to_string(control.index) + ")";
}

// The captions a label can show: its own, and for the display labels every text of the table's column.
std::vector<std::string_view> captionsOf(const ControlDescription& control) {
    std::vector<std::string_view> captions{control.caption};
    const auto column = [&](std::string_view ReferenceRow::*field) {
        for (const ReferenceRow& row : kReferenceTable) {
            captions.push_back(row.*field);
        }
    };
    if (control.index >= 0) {
        return captions;
    }
    if (control.name == "Label9") {
        column(&ReferenceRow::ageText);
    } else if (control.name == "Label50") {
        column(&ReferenceRow::boysWeight);
    } else if (control.name == "Label60") {
        column(&ReferenceRow::girlsWeight);
    } else if (control.name == "Label70") {
        column(&ReferenceRow::boysHeight);
    } else if (control.name == "Label80") {
        column(&ReferenceRow::girlsHeight);
    }
    return captions;
}

// The inked part of a caption drawn, unclipped, in a label's rectangle on an empty image with room all
// around: anything outside the label's rectangle would be cut off in the window.
QRect inkOutside(const LabelView& label, const QString& caption) {
    constexpr int kMargin = 64;
    const QRect rect(kMargin, kMargin, label.rect.width(), label.rect.height());
    QImage image(rect.size() + QSize(2 * kMargin, 2 * kMargin), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        drawCaption(painter, rect, label.font, Qt::black, caption);
    }
    QRect outside;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0 && !rect.contains(x, y)) {
                outside |= QRect(x - kMargin, y - kMargin, 1, 1);
            }
        }
    }
    return outside;
}

class LabelFitTest : public ::testing::Test {
  protected:
    QtToolkit toolkit_{Frmbzz};
};

TEST_F(LabelFitTest, EveryCaptionFitsOnOneLineOfItsLabel) {
    int measured = 0;
    int tableTexts = 0;
    for (const LabelView& label : toolkit_.content().labels) {
        const std::vector<std::string_view> captions = captionsOf(*label.control);
        tableTexts += static_cast<int>(captions.size()) - 1;
        for (const std::string_view caption : captions) {
            const QString text = toQString(caption);
            const qreal advance = QFontMetricsF(label.font).horizontalAdvance(text);
            EXPECT_LE(advance, label.rect.width())
                << labelName(*label.control) << " \"" << caption << "\" is " << advance << " px wide in "
                << QFontInfo(label.font).family().toStdString() << ", the label " << label.rect.width();
            const QRect outside = inkOutside(label, text);
            EXPECT_TRUE(outside.isNull())
                << labelName(*label.control) << " \"" << caption << "\" inks " << outside.width() << "x"
                << outside.height() << " px at " << outside.x() << "," << outside.y() << " outside its "
                << label.rect.width() << "x" << label.rect.height() << " label";
            ++measured;
        }
    }
    EXPECT_EQ(tableTexts, 125) << "texts of the table measured in Label9 and the value labels";
    EXPECT_EQ(measured, 39 + 125);
}

// The described faces map to families that were asked for, never to whatever Qt would pick instead
// (on Debian, DejaVu Sans for 宋体, whose digits are too wide).
TEST_F(LabelFitTest, LabelsUseTheFamiliesTheLayerAskedFor) {
    std::set<std::string> reported;
    for (const LabelView& label : toolkit_.content().labels) {
        const QFontInfo chosen(label.font);
        const QStringList asked = labelFontFamilies(label.control->font.face);
        EXPECT_TRUE(asked.contains(chosen.family(), Qt::CaseInsensitive))
            << labelName(*label.control) << " is drawn in " << chosen.family().toStdString()
            << ", not one of " << asked.join(", ").toStdString();
        EXPECT_TRUE(chosen.bold()) << labelName(*label.control);
        const std::string line = std::string(label.control->font.face) + " " +
                                 std::to_string(label.control->font.points) + " pt -> " +
                                 chosen.family().toStdString() + " " + std::to_string(chosen.pixelSize()) +
                                 " px" + (chosen.bold() ? " bold" : "");
        if (reported.insert(line).second) {
            std::cout << "font: " << line << '\n';
        }
    }
}

} // namespace
} // namespace tolvane::qt
