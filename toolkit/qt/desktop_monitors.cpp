#include "toolkit/qt/desktop_monitors.h"

#include "toolkit/desktop.h"
#include "toolkit/qt/twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace tolvane::qt {

DesktopMonitors::DesktopMonitors(WindowOnDesktop& window) : window_(window) {
    settled_.setSingleShot(true);
    settled_.setInterval(0);
    QObject::connect(&settled_, &QTimer::timeout, &connections_, [this] { bringWindowBack(); });
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &connections_, [this](QScreen* screen) {
        watch(screen);
        changed();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &connections_, [this] { changed(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &connections_, [this] { changed(); });
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    read();
}

void DesktopMonitors::watch(QScreen* screen) {
    // Ends by itself when the screen goes.
    QObject::connect(screen, &QScreen::geometryChanged, &connections_, [this] { changed(); });
}

void DesktopMonitors::changed() {
    read();
    window_.monitorsChanged();
    // Qt tells of a screen added or removed at once and of a geometry changed a moment later, from its
    // queue of window system events: the window is looked at once the loop has gone round.
    settled_.start();
}

void DesktopMonitors::read() {
    DisplayMonitors found;
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (primary != nullptr) {
        const QPoint origin = screenOrigin();
        const auto add = [&found, origin](const QScreen& screen, bool isPrimary) {
            const QRect r = screen.geometry().translated(-origin);
            found.monitors.at(found.count++) = {
                .rect = {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()},
                .primary = isPrimary};
        };
        add(*primary, true);
        // While Qt tells that a screen went (Qt 6.8), the primary's siblings still list it; the application's
        // screens no longer do.
        const QList<QScreen*> present = QGuiApplication::screens();
        for (QScreen* screen : primary->virtualSiblings()) {
            if (found.count == DisplayMonitors::kCapacity) {
                break;
            }
            if (screen != primary && present.contains(screen)) {
                add(*screen, false);
            }
        }
    }
    monitors_ = found;
}

void DesktopMonitors::bringWindowBack() {
    const std::optional<RECT> window = window_.windowRect();
    if (!window) {
        return;
    }
    if (const std::optional<POINT> corner = placeOnDesktop(monitors_, *window)) {
        window_.moveOntoMonitor(*corner);
    }
}

} // namespace tolvane::qt
