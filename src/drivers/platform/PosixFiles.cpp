#include "store/AtomicFile.h"

#include "store/IniStore.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <sys/stat.h>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace {

std::string Reason(const std::string& what, const std::string& path) {
    return what + " \"" + path + "\": " + std::strerror(errno);
}

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void SyncFolderOf(const std::string& path) {
    std::string dir = std::filesystem::path(path).parent_path().string();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace

namespace {

// A new temporary file beside the target under a name nobody could foresee,
// made exclusively: a link planted there is never followed.
int CreateTemporary(const std::filesystem::path& target, std::string& temp) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        temp = target.string() + ".tmp" + suffix;
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

} // namespace

std::string FinalTarget(const std::string& path) {
    std::filesystem::path target(path);
    std::error_code error;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target.string();
}

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    const std::filesystem::path target = FinalTarget(path);
    std::string temp;
    int fd = CreateTemporary(target, temp);
    if (fd < 0) throw EStoreError(Reason("Cannot create", temp));
    struct stat existing {};
    const bool keepMode = ::stat(target.c_str(), &existing) == 0;
    if ((keepMode && ::fchmod(fd, existing.st_mode & 07777) != 0) || !WriteAll(fd, bytes) || ::fsync(fd) != 0) {
        std::string reason = Reason("Cannot write", temp);
        ::close(fd);
        ::unlink(temp.c_str());
        throw EStoreError(reason);
    }
    ::close(fd);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        std::string reason = Reason("Cannot replace", target.string());
        ::unlink(temp.c_str());
        throw EStoreError(reason);
    }
    SyncFolderOf(target.string()); // the rename itself
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throw EStoreError(Reason("Cannot open", path));
    }
    bytes.clear();
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::string reason = Reason("Cannot read", path);
            ::close(fd);
            throw EStoreError(reason);
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

TFileLock::TFileLock(const std::string& path) {
    std::string lockPath = path + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd_ < 0) throw EStoreError(Reason("Cannot create lock file", lockPath));
    while (::flock(fd_, LOCK_EX) != 0) {
        if (errno == EINTR) continue;
        std::string reason = Reason("Cannot lock", lockPath);
        ::close(fd_);
        throw EStoreError(reason);
    }
}

TFileLock::~TFileLock() {
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
    }
}
