// Where the top-level window is on an X11 desktop, and putting it elsewhere, under any window manager: the
// thin part around the placement rules (placement_rules.h) that carries their commands out through the X
// server and feeds them its events.
//  - the outer rectangle (frame included while a manager frames the window), the server's word kept from
//    its events and measured again only after one, so that reading it at rest costs no round trip
//  - a move of one written coordinate: through the manager (_NET_MOVERESIZE_WINDOW), or without one by the
//    X server itself
//  - past a manager that refuses to put the window off the screen (mutter, xfwm4, openbox keep some or all
//    of it in view): withdrawn from the manager and shown unmanaged (override-redirect), handed back when
//    it comes onto the monitors again
// Qt takes a top-level window to be where it last asked for it until the X server reports otherwise, and a
// window manager that refuses a move reports nothing, so the layer keeps its own copy of the server's word.
#pragma once

#include "toolkit/qt/placement_rules.h"
#include "toolkit/qt/x11_window.h"

#include <QRect>
#include <cstdint>
#include <optional>
#include <vector>

namespace tolvane::qt {

class X11Placement final : private X11WindowListener {
  public:
    explicit X11Placement(X11Window& window);
    ~X11Placement();
    X11Placement(const X11Placement&) = delete;
    X11Placement& operator=(const X11Placement&) = delete;

    // The outer rectangle in Qt's global logical pixels, as the program reads it: a write reads back at once
    // (see placement_rules.h).
    QRect outerRect();

    // Moves the outer rectangle's left or top edge (whichever is given, global logical pixels); the other
    // coordinate is left to where the window is.
    void move(std::optional<int> left, std::optional<int> top);

    // The desktop's monitors changed (desktop_monitors.h tells): a window hidden unmanaged that now lies
    // wholly on them goes back to the manager.
    void monitorsChanged();

  private:
    void windowChanged(WindowChange change) override;
    void pointerReported(const PointerReport&) override {}
    void measureIfStale();
    void carryOut(const PlacementCommands& commands);
    void ask(const PlacementCommand& command);
    void withdraw();
    void showUnmanaged(QPoint client);
    void handBack(const PlacementCommand& command);
    void configureClient(QPoint client, bool raise = false);

    X11Window& window_;
    PlacementRules rules_;
    // The window's _NET_WM_STATE from before it was withdrawn, for the manager that takes it back: above
    // others, among the rest; focus and minimizing are the manager's to say.
    std::vector<std::uint32_t> keptState_;
};

} // namespace tolvane::qt
