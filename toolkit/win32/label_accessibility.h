// What screen readers learn of the window's labels through Microsoft Active Accessibility. The labels are
// drawn on the window's own surface, not child windows, so the system knows nothing of them by itself:
// the window answers WM_GETOBJECT for its client area with an IAccessible whose simple children (ids 1 to
// 39, in the window's tab order) are the labels, each named by its caption, placed at its rectangle on
// the screen; the ages and the exit are push buttons whose default action clicks them, the selected age
// checked, the others static text, the value labels described by the sex and measure they stand under.
// A caption that changes is announced with EVENT_OBJECT_NAMECHANGE, the selection moving from one age
// to another with EVENT_OBJECT_STATECHANGE of the two. UI Automation clients reach
// the same through the system's MSAA proxy. The rest of the client area (its role, state, focus, the
// picture boxes' windows) is answered by the system's standard object.
#pragma once

#include "toolkit/win32/window_content.h"
#include "toolkit/win32/windows_api.h"

namespace tolvane::win32 {

class LabelsAccessible;

class LabelAccessibility {
  public:
    // The window and its labels must outlive this object, or disconnect() be called first.
    LabelAccessibility(HWND window, const WindowContent& content);
    ~LabelAccessibility();
    LabelAccessibility(const LabelAccessibility&) = delete;
    LabelAccessibility& operator=(const LabelAccessibility&) = delete;

    // The answer to WM_GETOBJECT: the labels' object for the client area, the system's default otherwise.
    LRESULT answerGetObject(WPARAM flags, LPARAM objectId);

    // Tells accessibility clients that this label's caption, its accessible name, has changed.
    void captionChanged(const Label& label) const;
    // Tells accessibility clients that this label became, or stopped being, the checked (selected) one,
    // when its new back colour and the previous one say so.
    void backColourChanged(const Label& label, Colour previous) const;

    // From now on the object answers every client that still holds it that it is gone.
    void disconnect();

  private:
    HWND window_;
    const WindowContent* content_;
    LabelsAccessible* object_ = nullptr; // one reference held, created on the first WM_GETOBJECT
};

} // namespace tolvane::win32
