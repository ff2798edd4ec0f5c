// Starts a program and prints the microseconds from its launch to the first
// top-level window it maps on the X display, then ends it.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: map_time program [arguments]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "map_time: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, True);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execvp(argv[1], argv + 1);
        ::_exit(127);
    }
    long long micros = -1;
    const auto deadline = start + std::chrono::seconds(20);
    while (micros < 0 && std::chrono::steady_clock::now() < deadline) {
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            ::poll(&fd, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect)
            micros = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start)
                         .count();
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    if (micros < 0) {
        std::fprintf(stderr, "map_time: %s mapped no window\n", argv[1]);
        return 1;
    }
    std::printf("%lld\n", micros);
    return 0;
}
