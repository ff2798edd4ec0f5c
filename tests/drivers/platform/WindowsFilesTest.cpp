// Two copies of the program on one registry file under Windows (here Wine):
// each keeps the other's changes, through the lock and the replacing write.
#include "store/RegistryFile.h"

#include "Env.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <future>
#include <string>

namespace {

const std::string Root = "HKEY_CURRENT_USER\\Software\\Morwent\\Fendrel's Tonecast\\tonecast";
const char* const ChildFile = "TONECAST_CHILD_FILE";

// Runs this test program again as the other copy, on the file.
int RunOtherCopy(const std::string& file, const std::string& test) {
    SetEnv(ChildFile, file);
    const std::string self = ::testing::internal::GetArgvs()[0];
    const int status = std::system(("\"\"" + self + "\" --gtest_filter=" + test + " >NUL 2>&1\"").c_str());
    UnsetEnv(ChildFile);
    return status;
}

// The other copy's part: runs only when started by the tests below.
TEST(OtherCopy, WritesOneValue) {
    const char* file = std::getenv(ChildFile);
    if (!file || !*file) GTEST_SKIP() << "the other copy's part";
    TRegistryFileStore store(file, Root);
    store.WriteInteger("Other", "Value", 2);
    store.Close();
}

TEST(OtherCopy, WritesFiftyTimes) {
    const char* file = std::getenv(ChildFile);
    if (!file || !*file) GTEST_SKIP() << "the other copy's part";
    for (int i = 0; i < 50; ++i) {
        TRegistryFileStore store(file, Root);
        store.WriteInteger("Other", "V" + std::to_string(i), i);
        store.Close();
    }
}

TEST(TwoCopiesTest, ACopyClosingLaterKeepsWhatTheOtherWroteMeanwhile) {
    TempDir dir;
    const std::string file = dir.File("tonecast.reg");
    TRegistryFileStore mine(file, Root);
    mine.WriteInteger("Mine", "Value", 1);
    ASSERT_EQ(RunOtherCopy(file, "OtherCopy.WritesOneValue"), 0);
    mine.Close();
    TRegistryFileStore after(file, Root);
    EXPECT_EQ(after.ReadInteger("Mine", "Value", 0), 1);
    EXPECT_EQ(after.ReadInteger("Other", "Value", 0), 2);
}

TEST(TwoCopiesTest, SavesAtTheSameTimeLoseNothing) {
    TempDir dir;
    const std::string file = dir.File("tonecast.reg");
    auto other = std::async(std::launch::async, [&] { return RunOtherCopy(file, "OtherCopy.WritesFiftyTimes"); });
    for (int i = 0; i < 50; ++i) {
        TRegistryFileStore store(file, Root);
        store.WriteInteger("Mine", "V" + std::to_string(i), i);
        store.Close();
    }
    ASSERT_EQ(other.get(), 0);
    TRegistryFileStore after(file, Root);
    EXPECT_EQ(after.ReadValueNames("Mine").size(), 50u);
    EXPECT_EQ(after.ReadValueNames("Other").size(), 50u);
}

} // namespace
