// first_paint: how long a program takes from its start to its first painted frame on the X server.
//
//   first_paint RRGGBB MIN_PIXELS TIMEOUT_MS -- COMMAND [ARGS...]
//
// Reads the clock, starts COMMAND, and reads the screen's top-left 200 x 200 pixels back from the X server
// (DISPLAY) every millisecond until at least MIN_PIXELS of them have the colour RRGGBB; prints the
// milliseconds that took, then ends COMMAND (SIGTERM to it alone) and waits for it. The screen must not
// show the colour before. Nothing in the program measured is changed or told: the frame is seen as any
// client of the X server would see it, once the server has it.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

constexpr std::uint16_t kSide = 200;

struct FreeDeleter {
    void operator()(void* memory) const { std::free(memory); }
};

// How many pixels of the square have the colour; -1 when the server does not answer.
long countColour(xcb_connection_t* connection, xcb_window_t root, std::uint32_t rgb) {
    const xcb_get_image_cookie_t cookie =
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, 0, 0, kSide, kSide, ~0U);
    const std::unique_ptr<xcb_get_image_reply_t, FreeDeleter> reply(
        xcb_get_image_reply(connection, cookie, nullptr));
    if (!reply) {
        return -1;
    }
    // 24-bit depth in 32-bit pixels: blue, green, red, padding.
    const std::uint8_t* data = xcb_get_image_data(reply.get());
    const int length = xcb_get_image_data_length(reply.get());
    long count = 0;
    for (int i = 0; i + 3 < length; i += 4) {
        const std::uint32_t pixel =
            std::uint32_t{data[i]} | std::uint32_t{data[i + 1]} << 8 | std::uint32_t{data[i + 2]} << 16;
        count += pixel == rgb ? 1 : 0;
    }
    return count;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 6 || std::string_view(argv[4]) != "--") {
        std::fprintf(stderr, "usage: first_paint RRGGBB MIN_PIXELS TIMEOUT_MS -- COMMAND [ARGS...]\n");
        return 2;
    }
    const auto rgb = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 16));
    const long minimum = std::strtol(argv[2], nullptr, 10);
    const auto timeout = std::chrono::milliseconds(std::strtol(argv[3], nullptr, 10));

    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "first_paint: cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    if (countColour(connection, root, rgb) >= minimum) {
        std::fprintf(stderr, "first_paint: the colour is on the screen before the start\n");
        return 2;
    }

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[5], argv + 5);
        std::perror("first_paint: exec");
        std::_Exit(127);
    }
    int status = 1;
    double elapsedMs = -1;
    while (std::chrono::steady_clock::now() - start < timeout) {
        if (countColour(connection, root, rgb) >= minimum) {
            elapsedMs =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            status = 0;
            break;
        }
        if (waitpid(child, nullptr, WNOHANG) == child) {
            std::fprintf(stderr, "first_paint: the program ended before it painted\n");
            xcb_disconnect(connection);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    xcb_disconnect(connection);
    if (status == 0) {
        std::printf("%.1f\n", elapsedMs);
    } else {
        std::fprintf(stderr, "first_paint: no frame within the time allowed\n");
    }
    return status;
}
