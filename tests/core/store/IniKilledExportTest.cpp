// A command killed half way, as a crash ends it: the export file is the
// old one or the new one, never a part of one or a mix.
#include "instrument/ExportImport.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"

#include "StoredPresets.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// A large export over an earlier one, killed at some moment of it: the file
// is the earlier one or the whole new one, never a part or a mix.
class IniKilledExportTest : public ::testing::TestWithParam<int> {
protected:
    // The registry, the earlier export and the file the new export gives, made once.
    static void SetUpTestSuite() {
        root = new TMemoryStore;
        StorePresets(*root, 30000, 4);
        TMemoryStore earlierRoot;
        StorePresets(earlierRoot, 20000, 1);
        TIniFileStore earlier = TIniFileStore::FromText("");
        ExportImport::ExportKnobPresets(earlierRoot, earlier);
        old = earlier.Text();
        ExportImport::ExportKnobPresets(*root, earlier);
        expected = earlier.Text();
    }
    static void TearDownTestSuite() { delete root; }
    static inline TMemoryStore* root = nullptr;
    static inline std::string old, expected;
};

TEST_P(IniKilledExportTest, LeavesTheOldFileOrTheNew) {
    TempDir dir;
    const std::string file = dir.File("presets.ini");
    WriteFile(file, old);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TIniFileStore ini(file);
        ExportImport::ExportKnobPresets(*root, ini);
        ini.Close();
        ::_exit(0);
    }
    if (GetParam() >= 0) {
        ::usleep(static_cast<useconds_t>(GetParam()) * 1000);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = ReadFile(file);
    if (now != old) EXPECT_TRUE(now == expected) << "neither the old file nor the new one";
    if (GetParam() < 0) EXPECT_TRUE(now == expected) << "the export did not finish";
}

// Milliseconds until the kill; -1: none.
INSTANTIATE_TEST_SUITE_P(KilledAfter, IniKilledExportTest, ::testing::Values(0, 30, 100, 300, 600, 1000, -1),
                         [](const auto& info) {
                             return info.param < 0 ? std::string("Never") : std::to_string(info.param) + "ms";
                         });

} // namespace
