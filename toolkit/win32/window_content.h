// What the window draws on its own surface, back to front: the back colour, the background picture at
// the client area's top left, the four lines and the 39 labels. The picture boxes are child windows of
// their own (picture_box.h) and lie above all of this.
#pragma once

#include "toolkit/description.h"
#include "toolkit/pixel_scale.h"
#include "toolkit/win32/font_cache.h"
#include "toolkit/win32/picture_decoder.h"
#include "toolkit/win32/windows_api.h"

#include <optional>
#include <string>
#include <vector>

namespace tolvane::win32 {

// A described colour as GDI's: &H00BBGGRR is a COLORREF already; a system colour is looked up.
COLORREF toColorRef(Colour colour);

// A label's caption as every label draws it: in its font and colour, centred horizontally, from the
// label's top edge, on one line (every caption of the layout fits its label), over what lies beneath.
void drawCaption(HDC dc, const ::RECT& rect, const std::wstring& caption, HFONT font, COLORREF colour);

// A described rectangle (left, top, width, height in twips) in client pixels.
::RECT controlRect(const ControlDescription& control, const PixelScale& scale);

struct Label {
    const ControlDescription* description = nullptr;
    ::RECT rect{};
    std::wstring caption;
    Colour backColour = 0;
    HFONT font = nullptr; // owned by the font cache
    // What a screen reader says the label is, beyond its caption; empty for most.
    std::wstring accessibleDescription;
};

struct Line {
    const ControlDescription* description = nullptr;
    ::POINT from{};
    ::POINT to{};
    Colour colour = 0;
};

class WindowContent {
  public:
    // The background is borrowed and may be null; it must outlive the content.
    WindowContent(const WindowDescription& window, const PixelScale& scale, FontCache& fonts,
                  const DecodedBitmap* background);

    // Places the labels and lines and picks the labels' fonts at a scale, keeping their captions and
    // colours: at creation, and again when the window moves to a monitor of another DPI.
    void layOut(const PixelScale& scale, FontCache& fonts);

    // Draws everything that meets the area (client pixels) onto the device context.
    void paint(HDC dc, const ::RECT& area) const;

    Label& label(std::size_t index) { return labels_.at(index); }
    // The label under a point of the client area, or null; and its place in creation order.
    const Label* labelAt(::POINT point) const;
    std::optional<std::size_t> labelIndexAt(::POINT point) const;
    // In creation order.
    const std::vector<Label>& labels() const { return labels_; }

  private:
    void paintBackground(HDC dc, const ::RECT& area) const;
    void paintLines(HDC dc) const;
    static void paintLabel(HDC dc, const Label& label);

    Colour backColour_;
    const DecodedBitmap* background_;
    std::vector<Label> labels_; // in creation order
    std::vector<Line> lines_;
};

} // namespace tolvane::win32
