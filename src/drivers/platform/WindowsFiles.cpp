// Whole-file writes and the writers' lock on Windows: a temporary file beside
// the target, flushed, then put in its place by ReplaceFileW (MoveFileExW when
// there is no file yet); the lock is LockFileEx on "<path>.lock".
#include "store/AtomicFile.h"

#include "store/IniStore.h"

#include "WindowsText.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cstdio>
#include <random>

namespace {

std::string Reason(const std::string& what, const std::string& path, DWORD code = GetLastError()) {
    return what + " \"" + path + "\": " + SystemMessage(code);
}

class THandle {
public:
    explicit THandle(HANDLE h) : h_(h) {}
    ~THandle() {
        if (Valid()) CloseHandle(h_);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr)) return false;
        done += written;
    }
    return true;
}

// A new temporary file beside the target under a name nobody could foresee.
HANDLE CreateTemporary(const std::string& target, std::string& temp) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        temp = target + ".tmp" + suffix;
        HANDLE h = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

} // namespace

std::string FinalTarget(const std::string& path) { return path; } // links are rare here and written over

void WriteFileAtomically(const std::string& path, const std::string& bytes) {
    std::string temp;
    {
        THandle file(CreateTemporary(path, temp));
        if (!file.Valid()) throw EStoreError(Reason("Cannot create", temp));
        if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) {
            const std::string reason = Reason("Cannot write", temp);
            CloseHandle(file.Get());
            DeleteFileW(Wide(temp).c_str());
            throw EStoreError(reason);
        }
    }
    const std::wstring target = Wide(path), from = Wide(temp);
    // ReplaceFileW keeps the target's attributes and security; a first write has none to keep.
    const bool replaced = ReplaceFileW(target.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr) ||
                          MoveFileExW(from.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        const std::string reason = Reason("Cannot replace", path);
        DeleteFileW(from.c_str());
        throw EStoreError(reason);
    }
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    THandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return false;
        throw EStoreError(Reason("Cannot open", path, code));
    }
    bytes.clear();
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0) bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr)) throw EStoreError(Reason("Cannot read", path));
        if (n == 0) break;
        bytes.append(buffer, n);
    }
    return true;
}

TFileLock::TFileLock(const std::string& path) {
    const std::string lockPath = path + ".lock";
    fd_ = _wsopen(Wide(lockPath).c_str(), _O_RDWR | _O_CREAT | _O_BINARY, _SH_DENYNO, _S_IREAD | _S_IWRITE);
    if (fd_ < 0) throw EStoreError(Reason("Cannot create lock file", lockPath, static_cast<DWORD>(_doserrno)));
    OVERLAPPED whole{};
    if (!LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
        const std::string reason = Reason("Cannot lock", lockPath);
        _close(fd_);
        throw EStoreError(reason);
    }
}

TFileLock::~TFileLock() {
    if (fd_ < 0) return;
    OVERLAPPED whole{};
    UnlockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd_)), 0, MAXDWORD, MAXDWORD, &whole);
    _close(fd_);
}
