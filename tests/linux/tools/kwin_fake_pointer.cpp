// The end-to-end tests' hand on KWin's own pointer: a Wayland client of KWin's fake-input protocol that reads
// one request a line from its standard input and answers "ok" once KWin has handled it (a round trip), so
// that a test waits for the compositor, not for a time. One connection for the whole session: KWin forgets a
// fake device with the client that made it.
//
//   move DX DY     relative motion, as a mouse moves
//   absolute X Y   absolute motion, as a pen tablet moves
//   button CODE 0|1   a button (272: BTN_LEFT) released or pressed
//
// KWin hands the protocol only to programs whose desktop file asks for it, unless it runs with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS=1, as the tests' own KWin does.
#include "fake-input-client-protocol.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <wayland-client.h>

namespace {

struct Globals {
    org_kde_kwin_fake_input* fakeInput = nullptr;
};

void announce(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
        // Version 3 brings absolute motion; KWin 5.27 and 6 offer 4 or more.
        const uint32_t wanted = version < 3 ? version : 3;
        static_cast<Globals*>(data)->fakeInput = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, wanted));
    }
}

void withdraw(void*, wl_registry*, uint32_t) {}

const wl_registry_listener registryListener{announce, withdraw};

struct DisplayCloser {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};
struct RegistryCloser {
    void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
};
struct FakeInputCloser {
    void operator()(org_kde_kwin_fake_input* fakeInput) const { org_kde_kwin_fake_input_destroy(fakeInput); }
};

bool handle(org_kde_kwin_fake_input* fakeInput, const std::string& line) {
    std::istringstream words(line);
    std::string request;
    double first = 0;
    double second = 0;
    if (!(words >> request >> first >> second)) {
        return false;
    }
    if (request == "move") {
        org_kde_kwin_fake_input_pointer_motion(fakeInput, wl_fixed_from_double(first),
                                               wl_fixed_from_double(second));
    } else if (request == "absolute") {
        org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput, wl_fixed_from_double(first),
                                                        wl_fixed_from_double(second));
    } else if (request == "button") {
        org_kde_kwin_fake_input_button(fakeInput, static_cast<uint32_t>(first),
                                       static_cast<uint32_t>(second));
    } else {
        return false;
    }
    return true;
}

} // namespace

int main() {
    const std::unique_ptr<wl_display, DisplayCloser> display(wl_display_connect(nullptr));
    if (!display) {
        std::cerr << "no Wayland display\n";
        return 1;
    }
    Globals globals;
    const std::unique_ptr<wl_registry, RegistryCloser> registry(wl_display_get_registry(display.get()));
    wl_registry_add_listener(registry.get(), &registryListener, &globals);
    wl_display_roundtrip(display.get());
    const std::unique_ptr<org_kde_kwin_fake_input, FakeInputCloser> fakeInput(globals.fakeInput);
    if (!fakeInput) {
        std::cerr << "the compositor offers no org_kde_kwin_fake_input\n";
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fakeInput.get(), "Tolvane tests",
                                         "moves the pointer for end-to-end tests");
    for (std::string line; std::getline(std::cin, line);) {
        if (!handle(fakeInput.get(), line)) {
            std::cerr << "not understood: " << line << '\n';
            return 2;
        }
        if (wl_display_roundtrip(display.get()) < 0) {
            std::cerr << "the compositor went away\n";
            return 1;
        }
        std::cout << "ok" << std::endl;
    }
    return 0;
}
