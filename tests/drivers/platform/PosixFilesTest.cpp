// Whole-file writes on a POSIX system: links in the settings folder, planted
// at the temporary name or the settings file itself kept as a link; the
// file's permissions; a save that cannot be written.
#include "store/AtomicFile.h"
#include "store/RegistryFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> FolderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFileTest, ALinkPlantedAtATemporaryNameIsNeverFollowed) {
    TempDir dir;
    const std::string target = dir.File("tonecast.reg"), victim = dir.File("victim");
    WriteFile(victim, "precious");
    // Every name the program could have foreseen: the old fixed one and a guess at the new kind.
    for (const std::string& planted : {target + ".tmp." + std::to_string(::getpid()), target + ".tmp"})
        fs::create_symlink(victim, planted);
    WriteFileAtomically(target, "new settings");
    EXPECT_EQ(ReadFile(victim), "precious");
    EXPECT_EQ(ReadFile(target), "new settings");
    EXPECT_FALSE(fs::is_symlink(target));
    EXPECT_EQ(FolderEntries(dir.Path()).size(), 4u) << "a temporary file was left behind";
}

TEST(AtomicFileTest, TheTargetKeepsItsPermissions) {
    TempDir dir;
    const std::string target = dir.File("tonecast.reg");
    for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read}) {
        WriteFile(target, "old");
        fs::permissions(target, mode);
        WriteFileAtomically(target, "new");
        EXPECT_EQ(fs::status(target).permissions(), mode);
        EXPECT_EQ(ReadFile(target), "new");
    }
}

// A settings file kept in a dotfiles folder and linked into place, directly,
// relatively and through a second link: the file it names changes, the links stay.
TEST(AtomicFileTest, ALinkedFileIsWrittenThroughItsLinks) {
    TempDir dir;
    fs::create_directories(dir.Path() / "dotfiles");
    fs::create_directories(dir.Path() / "config");
    const fs::path real = dir.Path() / "dotfiles" / "tonecast.reg";
    struct TCase {
        const char* name;
        std::vector<std::pair<fs::path, fs::path>> links; // link, what it names
    };
    const std::vector<TCase> cases = {
        {"absolute", {{dir.Path() / "config" / "a.reg", real}}},
        {"relative", {{dir.Path() / "config" / "r.reg", fs::path("..") / "dotfiles" / "tonecast.reg"}}},
        {"chain", {{dir.Path() / "config" / "c.reg", dir.Path() / "config" / "a2.reg"}, {dir.Path() / "config" / "a2.reg", real}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(real.string(), "old");
        for (const auto& [link, named] : c.links) fs::create_symlink(named, link);
        const fs::path settings = c.links.front().first;
        WriteFileAtomically(settings.string(), std::string("new ") + c.name);
        EXPECT_EQ(ReadFile(real.string()), std::string("new ") + c.name);
        for (const auto& link : c.links) EXPECT_TRUE(fs::is_symlink(link.first));
        EXPECT_EQ(FolderEntries(dir.Path() / "dotfiles"), std::vector<std::string>{"tonecast.reg"});
    }
}


const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast";

class PosixRegistryFileTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string file = dir.File("tonecast.reg");
};

TEST_F(PosixRegistryFileTest, CloseThatCannotWriteKeepsTheOldFileAndReports) {
    {
        TRegistryFileStore store(file, Root);
        store.WriteInteger("S", "A", 1);
    }
    std::string before = ReadFile(file);
    // No file may grow beyond a few bytes: the new contents cannot be written.
    struct rlimit old {};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &tiny);
    TRegistryFileStore store(file, Root);
    store.WriteInteger("S", "A", 2);
    EXPECT_THROW(store.Close(), EStoreError);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(std::filesystem::path(file).parent_path()),
                            std::filesystem::directory_iterator()),
              2)
        << "the temporary file was left behind"; // the file and its lock
}

TEST_F(PosixRegistryFileTest, CloseInAReadOnlyFolderKeepsTheOldFileAndReports) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    {
        TRegistryFileStore store(file, Root);
        store.WriteInteger("S", "A", 1);
    }
    std::string before = ReadFile(file);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    TRegistryFileStore store(file, Root);
    store.WriteInteger("S", "A", 2);
    EXPECT_THROW(store.Close(), EStoreError);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadFile(file), before);
}

} // namespace
