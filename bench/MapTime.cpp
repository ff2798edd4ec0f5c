// Starts a program and prints the microseconds from its launch to the first
// top-level window it maps on the X display, and its resident memory in KiB
// three seconds later (JACK's shared memory left out: it is the server's),
// then ends it.
#include <X11/Xlib.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

long long ResidentKiB(pid_t pid) {
    std::ifstream smaps("/proc/" + std::to_string(pid) + "/smaps");
    long long total = 0;
    bool jack = false;
    for (std::string line; std::getline(smaps, line);) {
        std::istringstream fields(line);
        std::string first, second;
        fields >> first >> second;
        if (first == "Rss:") {
            if (!jack) total += std::stoll(second);
        } else if (first.find('-') != std::string::npos && first.back() != ':') {
            // A mapping's first line: its path is the sixth field.
            std::string offset, device, inode, path;
            fields >> offset >> device >> inode >> path;
            jack = path.rfind("/dev/shm/jack", 0) == 0;
        }
    }
    return total;
}

} // namespace

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
    long long kib = -1;
    if (micros >= 0) {
        std::this_thread::sleep_for(std::chrono::seconds(3));
        kib = ResidentKiB(pid);
    }
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    if (micros < 0) {
        std::fprintf(stderr, "map_time: %s mapped no window\n", argv[1]);
        return 1;
    }
    std::printf("%lld %lld\n", micros, kib);
    return 0;
}
