#include "toolkit/win32/window_content.h"

#include "toolkit/win32/scoped.h"
#include "toolkit/win32/wide_text.h"

#include <algorithm>

namespace tolvane::win32 {

COLORREF toColorRef(Colour colour) {
    if (isSystemColour(colour)) {
        return GetSysColor(static_cast<int>(colour & 0xFF));
    }
    return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

::RECT controlRect(const ControlDescription& control, const PixelScale& scale) {
    const int left = scale.layoutPixels(control.left);
    const int top = scale.layoutPixels(control.top);
    return {left, top, left + scale.layoutPixels(control.width), top + scale.layoutPixels(control.height)};
}

WindowContent::WindowContent(const WindowDescription& window, const PixelScale& scale, FontCache& fonts,
                             const DecodedBitmap* background)
    : backColour_(window.backColour), background_(background) {
    for (const ControlDescription& control : window.controls) {
        if (control.kind == ControlKind::Label) {
            labels_.push_back({.description = &control,
                               .caption = toWide(control.caption),
                               .backColour = control.backColour,
                               .accessibleDescription = toWide(accessibleDescription(window, control))});
        } else if (control.kind == ControlKind::Line) {
            lines_.push_back({.description = &control, .colour = control.foreColour});
        }
    }
    layOut(scale, fonts);
}

void WindowContent::layOut(const PixelScale& scale, FontCache& fonts) {
    for (Label& label : labels_) {
        label.rect = controlRect(*label.description, scale);
        label.font = fonts.fontFor(label.description->font);
    }
    for (Line& line : lines_) {
        const ControlDescription& control = *line.description;
        line.from = {scale.layoutPixels(control.x1()), scale.layoutPixels(control.y1())};
        line.to = {scale.layoutPixels(control.x2()), scale.layoutPixels(control.y2())};
    }
}

std::optional<std::size_t> WindowContent::labelIndexAt(::POINT point) const {
    const auto found = std::ranges::find_if(
        labels_, [point](const Label& label) { return PtInRect(&label.rect, point) != 0; });
    return found == labels_.end() ? std::nullopt
                                  : std::optional(static_cast<std::size_t>(found - labels_.begin()));
}

const Label* WindowContent::labelAt(::POINT point) const {
    const std::optional<std::size_t> index = labelIndexAt(point);
    return index ? &labels_[*index] : nullptr;
}

void WindowContent::paint(HDC dc, const ::RECT& area) const {
    paintBackground(dc, area);
    paintLines(dc);
    // No two labels overlap, so their order does not show; only those that meet the area are drawn.
    for (const Label& label : labels_) {
        ::RECT overlap{};
        if (IntersectRect(&overlap, &label.rect, &area) != 0) {
            paintLabel(dc, label);
        }
    }
}

void WindowContent::paintBackground(HDC dc, const ::RECT& area) const {
    SetDCBrushColor(dc, toColorRef(backColour_));
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (background_ == nullptr) {
        return;
    }
    // The picture at its own size from the client area's top left, neither stretched nor tiled.
    const ::RECT pictureRect{0, 0, background_->size.cx, background_->size.cy};
    ::RECT visible{};
    if (IntersectRect(&visible, &pictureRect, &area) == 0) {
        return;
    }
    UniqueMemoryDc pictureDc(CreateCompatibleDC(dc));
    if (!pictureDc) {
        return;
    }
    const Selection picture(pictureDc.get(), background_->bitmap.get());
    BitBlt(dc, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top,
           pictureDc.get(), visible.left, visible.top, SRCCOPY);
}

void WindowContent::paintLines(HDC dc) const {
    const Selection pen(dc, GetStockObject(DC_PEN));
    for (const Line& line : lines_) {
        const COLORREF colour = toColorRef(line.colour);
        SetDCPenColor(dc, colour);
        MoveToEx(dc, line.from.x, line.from.y, nullptr);
        LineTo(dc, line.to.x, line.to.y);
        // LineTo leaves out the end point; a line runs from one end point to the other, both included.
        SetPixelV(dc, line.to.x, line.to.y, colour);
    }
}

void WindowContent::paintLabel(HDC dc, const Label& label) {
    const ControlDescription& control = *label.description;
    if (control.background == LabelBackground::Opaque) {
        SetDCBrushColor(dc, toColorRef(label.backColour));
        FillRect(dc, &label.rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    drawCaption(dc, label.rect, label.caption, label.font, toColorRef(control.foreColour));
}

void drawCaption(HDC dc, const ::RECT& rect, const std::wstring& caption, HFONT font, COLORREF colour) {
    if (caption.empty()) {
        return;
    }
    const Selection selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    ::RECT bounds = rect;
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &bounds,
              DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

} // namespace tolvane::win32
