#include "JackServer.h"

#include <jack/jack.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

bool EditJackRegistry(const std::function<void(JackRegistryEntry (&servers)[8])>& edit) {
    struct Header {
        std::uint32_t magic;
        std::uint16_t protocol;
        std::int32_t type;
        std::int32_t size;
        std::int32_t headerLength;
        std::int32_t entryLength;
        JackRegistryEntry servers[8];
    };
    const int fd = ::open("/dev/shm/jack-shm-registry", O_RDWR);
    if (fd < 0) return false;
    void* map = ::mmap(nullptr, sizeof(Header), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return false;
    auto* header = static_cast<Header*>(map);
    const bool known = header->magic == 0x4A41434B && header->headerLength == static_cast<std::int32_t>(sizeof(Header));
    if (known) edit(header->servers);
    ::munmap(map, sizeof(Header));
    return known;
}

namespace {

// Whether a Unix socket takes a connection.
bool Accepts(const std::string& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return accepted;
}

void ForgetDeadServers() {
    EditJackRegistry([](JackRegistryEntry (&servers)[8]) {
        for (JackRegistryEntry& e : servers)
            if (e.pid > 0 && ::kill(e.pid, 0) != 0 && errno == ESRCH) std::memset(&e, 0, sizeof e);
    });
}

} // namespace

JackServer::JackServer(int sampleRate, int period) : name_("tonecast-test-" + std::to_string(::getpid())) {
    const std::string rate = std::to_string(sampleRate), frames = std::to_string(period);
    lock_ = ::open("/tmp/tonecast-jack-tests.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock_ >= 0) ::flock(lock_, LOCK_EX); // released when this server is gone
    ForgetDeadServers();
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // The server's own words, for when a test cannot reach it.
        const std::string log = LogFile();
        int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execlp("jackd", "jackd", "--no-realtime", "-n", name_.c_str(), "-d", "dummy", "-r", rate.c_str(),
                 "-p", frames.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    ::setenv("JACK_NO_START_SERVER", "1", 1);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        int status;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            ::close(lock_);
            throw std::runtime_error("jackd exited at start");
        }
        if (Answers()) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    ::close(lock_);
    throw std::runtime_error("jackd did not come up");
}

JackServer::~JackServer() {
    Stop();
    if (lock_ >= 0) ::close(lock_);
}

void JackServer::Stop() {
    if (pid_ <= 0) return;
    const pid_t pid = pid_;
    pid_ = -1;
    ::kill(pid, SIGTERM);
    ::kill(pid, SIGCONT); // a paused server takes the signal too
    for (int i = 0; i < 50; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Without a client of its own: a client that comes and goes while another
// one is being made leaves libjack of JACK 2 in that other one's process with
// a stale wake-up, and a later client never hears from it.
bool JackServer::Answers() const {
    const std::string prefix = "/dev/shm/jack_";
    const std::string uid = std::to_string(::getuid());
    return std::filesystem::exists(prefix + "sem." + uid + "_" + name_ + "_system") &&
           Accepts(prefix + name_ + "_" + uid + "_0");
}

void JackServer::Pause() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void JackServer::Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
}

void JackServer::Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    // A killed server leaves its clients' wake-up files behind, and the next
    // server of its name would take them over as they are: gone, as after a
    // stop, so that each round starts from what a stopped server leaves.
    const std::string prefix = "jack_sem." + std::to_string(::getuid()) + "_" + name_ + "_";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error))
        if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
}
