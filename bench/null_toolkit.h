// A toolkit that only keeps state, logs nothing and never fails: the core's cost on its own, without
// the recording fake's strings. The window's rectangle follows its Top and Left as a real window's does.
#pragma once

#include "toolkit/toolkit.h"

#include <cmath>
#include <cstdint>

namespace tolvane::bench {

class NullToolkit final : public Toolkit {
  public:
    // Where the pointer is for every tick: over the window, or far from it.
    bool pointerOverWindow = false;

    Twips top = 0;
    Twips left = 0;
    Twips width = 7200;
    Twips height = 8040;
    bool visible = true;
    // Stand-ins for what a label would keep, so that the writes cannot be optimised away.
    Colour lastColour = 0;
    std::size_t captionBytes = 0;

    Status hWnd(WindowHandle& handle) override {
        handle = 0x4660;
        return kStatusOk;
    }
    Status WindowState(std::int16_t& state) override {
        state = vbNormal;
        return kStatusOk;
    }
    Status Top(Twips& value) override { return read(value, top); }
    Status setTop(Twips value) override { return write(top, value); }
    Status Left(Twips& value) override { return read(value, left); }
    Status setLeft(Twips value) override { return write(left, value); }
    Status Width(Twips& value) override { return read(value, width); }
    Status Height(Twips& value) override { return read(value, height); }
    Status Show() override {
        visible = true;
        return kStatusOk;
    }
    Status Unload() override { return kStatusOk; }
    Status ScreenWidth(Twips& value) override { return read(value, Twips{19200}); }
    Status ScreenTwipsPerPixelX(Twips& value) override { return read(value, Twips{15}); }
    Status ScreenTwipsPerPixelY(Twips& value) override { return read(value, Twips{15}); }
    Status setBackColor(std::string_view, Colour colour) override {
        lastColour = colour;
        return kStatusOk;
    }
    Status setCaption(std::string_view, std::string_view text) override {
        captionBytes += text.size();
        return kStatusOk;
    }
    std::int32_t GetCursorPos(POINT& point) override {
        const RECT rect = outer();
        point = pointerOverWindow ? POINT{rect.left + 10, rect.bottom - 1} : POINT{900, 700};
        return 1;
    }
    std::int32_t GetWindowRect(WindowHandle, RECT& rect) override {
        rect = outer();
        return 1;
    }
    std::int32_t SetWindowPos(WindowHandle, WindowHandle, std::int32_t, std::int32_t, std::int32_t,
                              std::int32_t, std::uint32_t) override {
        return 1;
    }
    std::int32_t EnumDisplayMonitors(DisplayMonitors& monitors) override {
        monitors.monitors[0] = {{0, 0, 1280, 1024}, true};
        monitors.count = 1;
        return 1;
    }
    void reportUntrappedError(const RuntimeError&) override {}

  private:
    static Status read(Twips& out, Twips value) {
        out = value;
        return kStatusOk;
    }
    static Status write(Twips& out, Twips value) {
        out = value;
        return kStatusOk;
    }
    static std::int32_t pixels(Twips twips) { return static_cast<std::int32_t>(std::lround(twips / 15)); }
    RECT outer() const { return {pixels(left), pixels(top), pixels(left + width), pixels(top + height)}; }
};

} // namespace tolvane::bench
