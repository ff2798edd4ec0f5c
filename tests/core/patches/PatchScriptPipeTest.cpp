// A header load reads no further than the header: shown with a POSIX pipe
// whose writer holds it open.
#include "patches/PatchScriptParser.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A pipe that holds its first bytes and stays open until the reader is done,
// so a reader that wanted the whole file would still be waiting.
class HeldOpenFile {
public:
    HeldOpenFile(const std::string& path, std::string first) : path_(path) {
        ::mkfifo(path.c_str(), 0600);
        writer_ = std::thread([this, first] {
            const int fd = ::open(path_.c_str(), O_WRONLY);
            if (fd < 0) return;
            for (std::size_t done = 0; done < first.size();) {
                const ssize_t n = ::write(fd, first.data() + done, first.size() - done);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            for (int i = 0; i < 300 && !readerDone.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
            closedFirst = !readerDone.load();
            ::close(fd);
        });
    }
    ~HeldOpenFile() {
        readerDone.store(true);
        writer_.join();
    }
    std::atomic<bool> readerDone{false};
    std::atomic<bool> closedFirst{false};

private:
    std::string path_;
    std::thread writer_;
};

TEST(HeaderLoadTest, AFileThatIsNoScriptIsNotReadPastItsStart) {
    TempDir dir;
    HeldOpenFile file(dir.File("big.txt"), std::string(4096, 'x'));
    EXPECT_THROW(LoadPatchListHeader(dir.File("big.txt")), std::runtime_error);
    file.readerDone.store(true);
    EXPECT_FALSE(file.closedFirst.load()) << "the whole file was read";
}

TEST(HeaderLoadTest, AScriptIsReadOnlyAsFarAsItsHeader) {
    TempDir dir;
    std::string text = "[cubase parse file]\r[parser version 1]\r[device name] Synth\r";
    text += std::string(6000, ' ') + "\r[define patchnames]\r[mode] M\r";
    for (int i = 0; i < 10000; ++i) text += "[p1, 1, 0] P\r"; // more than the pipe holds
    std::signal(SIGPIPE, SIG_IGN); // the reader leaves before the writer is through
    HeldOpenFile file(dir.File("script.txt"), text);
    auto header = LoadPatchListHeader(dir.File("script.txt"));
    file.readerDone.store(true);
    EXPECT_FALSE(file.closedFirst.load()) << "the file was read beyond its header";
    EXPECT_EQ(header->DeviceName, "Synth");
}

} // namespace
