#pragma once
// Whole-file writes that a crash never leaves half done, and an advisory
// lock that serialises writers of one file across processes.
#include <string>

// Writes the bytes to a temporary file beside the target and renames it over
// the target, so that readers see the old file or the new one, never a part.
// Synced before and after the rename, so a power cut keeps one of the two as
// well. Throws EStoreError with the reason on failure; the old file is then untouched.
void WriteFileAtomically(const std::string& path, const std::string& bytes);
// The file a path finally names, following links: a settings file kept as a
// link into a dotfiles folder is written, and kept aside, there.
std::string FinalTarget(const std::string& path);

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
