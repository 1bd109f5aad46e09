// The program's view of its window: each toolkit operation is tested the moment it returns, and a
// failure raises a RuntimeError naming the object and the operation. Handlers use only this.
#pragma once

#include "toolkit/runtime_error.h"
#include "toolkit/toolkit.h"

namespace tolvane {

class Window {
  public:
    explicit Window(Toolkit& toolkit) : toolkit_(toolkit) {}

    WindowHandle hWnd() { return read<WindowHandle>(&Toolkit::hWnd, "Frmbzz", "read hWnd"); }
    std::int16_t WindowState() {
        return read<std::int16_t>(&Toolkit::WindowState, "Frmbzz", "read WindowState");
    }
    Twips Top() { return read<Twips>(&Toolkit::Top, "Frmbzz", "read Top"); }
    Twips Left() { return read<Twips>(&Toolkit::Left, "Frmbzz", "read Left"); }
    Twips Width() { return read<Twips>(&Toolkit::Width, "Frmbzz", "read Width"); }
    Twips Height() { return read<Twips>(&Toolkit::Height, "Frmbzz", "read Height"); }
    Twips ScreenWidth() { return read<Twips>(&Toolkit::ScreenWidth, "Screen", "read Width"); }
    Twips ScreenTwipsPerPixelX() {
        return read<Twips>(&Toolkit::ScreenTwipsPerPixelX, "Screen", "read TwipsPerPixelX");
    }
    Twips ScreenTwipsPerPixelY() {
        return read<Twips>(&Toolkit::ScreenTwipsPerPixelY, "Screen", "read TwipsPerPixelY");
    }

    void setTop(Twips value) { raiseOnFailure(toolkit_.setTop(value), "Frmbzz", "write Top"); }
    void setLeft(Twips value) { raiseOnFailure(toolkit_.setLeft(value), "Frmbzz", "write Left"); }
    void Show() { raiseOnFailure(toolkit_.Show(), "Frmbzz", "Show"); }
    void Unload() { raiseOnFailure(toolkit_.Unload(), "Frmbzz", "Unload"); }

    void setBackColor(std::string_view label, Colour colour) {
        raiseOnFailure(toolkit_.setBackColor(label, colour), label, "write BackColor");
    }
    void setCaption(std::string_view label, std::string_view text) {
        raiseOnFailure(toolkit_.setCaption(label, text), label, "write Caption");
    }

    // The declared functions are called straight through: their results are never tested.
    Toolkit& declared() { return toolkit_; }

  private:
    template <typename T>
    T read(Status (Toolkit::*getter)(T&), std::string_view object, std::string_view operation) {
        T value{};
        raiseOnFailure((toolkit_.*getter)(value), object, operation);
        return value;
    }

    Toolkit& toolkit_;
};

} // namespace tolvane
