#include "platform/AtomicFile.h"

#include "platform/IniStore.h"

#include <cerrno>
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

void WriteFileAtomically(const std::string& path, const std::string& bytes, TDurability durability) {
    const bool durable = durability == TDurability::Durable;
    std::string temp = path + ".tmp." + std::to_string(::getpid());
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) throw EStoreError(Reason("Cannot create", temp));
    if (!WriteAll(fd, bytes) || (durable && ::fsync(fd) != 0)) {
        std::string reason = Reason("Cannot write", temp);
        ::close(fd);
        ::unlink(temp.c_str());
        throw EStoreError(reason);
    }
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        std::string reason = Reason("Cannot replace", path);
        ::unlink(temp.c_str());
        throw EStoreError(reason);
    }
    if (durable) SyncFolderOf(path); // the rename itself
}

void AppendToFile(const std::string& path, const std::string& bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) throw EStoreError(Reason("Cannot open", path));
    const bool written = WriteAll(fd, bytes);
    const std::string reason = written ? std::string() : Reason("Cannot write", path);
    ::close(fd);
    if (!written) throw EStoreError(reason);
}

void SyncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return;
        throw EStoreError(Reason("Cannot open", path));
    }
    const bool synced = ::fsync(fd) == 0;
    const std::string reason = synced ? std::string() : Reason("Cannot write", path);
    ::close(fd);
    if (!synced) throw EStoreError(reason);
    SyncFolderOf(path);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return false;
        throw EStoreError(Reason("Cannot open", path));
    }
    bytes.clear();
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
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
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
