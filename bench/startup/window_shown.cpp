// SPDX-License-Identifier: MIT
// Starts a program and reports how long it takes until its window, found by its title,
// is mapped on the X display, and the program's resident memory once it has settled.
//
//   window_shown TITLE SETTLE_MS PROGRAM [ARGS...]
// prints: "<ms until mapped> <resident KiB after SETTLE_MS>", then ends the program.

#include <xcb/xcb.h>

#include <sys/wait.h>
#include <unistd.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

struct Connection {
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    ~Connection() { xcb_disconnect(c); }
};

xcb_atom_t Atom(xcb_connection_t* c, const char* name)
{
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string Title(xcb_connection_t* c, xcb_window_t window, xcb_atom_t property, xcb_atom_t type)
{
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr), &std::free);
    if (!reply)
        return {};
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

long ResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long value = -1;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            break;
        }
        status.ignore(1 << 16, '\n');
    }
    return value;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s TITLE SETTLE_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string title = argv[1];
    const int settleMs = std::atoi(argv[2]);

    Connection x;
    if (xcb_connection_has_error(x.c)) {
        std::fprintf(stderr, "cannot connect to the X display\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.c, screen->root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t netWmName = Atom(x.c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(x.c, "UTF8_STRING");
    xcb_flush(x.c);

    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        _exit(127);
    }
    const auto deadline = start + std::chrono::seconds(30);
    double shownMs = -1;
    while (shownMs < 0 && Clock::now() < deadline) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(xcb_poll_for_event(x.c), &std::free);
        if (!event) {
            if (xcb_connection_has_error(x.c))
                break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
            continue;
        const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
        if (Title(x.c, map->window, netWmName, utf8) == title ||
            Title(x.c, map->window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING) == title)
            shownMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long rss = ResidentKiB(pid);
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    if (shownMs < 0) {
        std::fprintf(stderr, "the window \"%s\" was not shown within 30 s\n", title.c_str());
        return 1;
    }
    std::printf("%.1f %ld\n", shownMs, rss);
    return 0;
}
