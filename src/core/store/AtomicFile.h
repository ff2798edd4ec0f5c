#pragma once
// Whole-file writes that a crash never leaves half done, and an advisory
// lock that serialises writers of one file across processes.
#include <string>

// Writes the bytes to a temporary file beside the target and renames it over
// the target, so that readers see the old file or the new one, never a part.
// Durably: synced before and after the rename, so a power cut keeps one of
// the two as well; otherwise call SyncFile when a series of writes ends.
// Throws EStoreError with the reason on failure; the old file is then untouched.
enum class TDurability { Durable, Visible };
void WriteFileAtomically(const std::string& path, const std::string& bytes,
                         TDurability durability = TDurability::Durable);
// A file kept open for appending, so that a long series of small appends
// costs one open: each Append reaches the file in one write, creating it
// when it is missing. Throws EStoreError with the reason on failure.
class TAppendingFile {
public:
    explicit TAppendingFile(std::string path) : path_(std::move(path)) {}
    ~TAppendingFile() { Release(); }
    TAppendingFile(TAppendingFile&& other) noexcept : path_(std::move(other.path_)), fd_(other.fd_) { other.fd_ = -1; }
    TAppendingFile& operator=(TAppendingFile&&) = delete;

    void Append(const std::string& bytes);
    // Closes it: before the file is replaced, the next Append opens the new one.
    void Release();

private:
    std::string path_;
    int fd_ = -1;
};
// The file a path finally names, following links: a settings file kept as a
// link into a dotfiles folder is written, and kept aside, there.
std::string FinalTarget(const std::string& path);
// Brings a file and the folder entry naming it to the disk.
void SyncFile(const std::string& path);

// Reads a whole file. False when it does not exist; throws EStoreError when it
// exists but cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Exclusive advisory lock on "<path>.lock", held for the object's lifetime.
class TFileLock {
public:
    explicit TFileLock(const std::string& path); // throws EStoreError
    ~TFileLock();
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

private:
    int fd_ = -1;
};
