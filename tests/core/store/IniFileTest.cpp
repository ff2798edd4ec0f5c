#include "store/IniFile.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

struct ReadCase {
    const char* text;
    const char* section;
    const char* key;
    const char* expected; // "<def>" when the default comes back
};

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsLikePrivateProfiles) {
    auto store = TIniFileStore::FromText(GetParam().text);
    EXPECT_EQ(store.ReadString(GetParam().section, GetParam().key, "<def>"), GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniReadTest,
    ::testing::Values(
        ReadCase{"[S]\r\nk=v\r\n", "S", "k", "v"}, ReadCase{"[S]\nk=v\n", "S", "k", "v"},
        ReadCase{"[S]\rk=v\r", "S", "k", "v"}, ReadCase{"  \t[S]\nk=v", "S", "k", "v"},
        ReadCase{"[ S \t]trailing\nk=v", "S", "k", "v"}, ReadCase{"[S\nk=v", "S", "k", "v"},
        ReadCase{"[]\nk=v", "", "k", "v"}, ReadCase{"k=v\n[S]\n", "", "k", "<def>"},
        ReadCase{"[S]\n  key  =  a=b  \n", "S", "key", "a=b"},
        ReadCase{"[S]\n=empty\n", "S", "", "empty"}, ReadCase{"[s]\nKEY=Value", "S", "key", "Value"},
        ReadCase{"[S]\nk=\"quoted\"", "S", "k", "quoted"}, ReadCase{"[S]\nk='q'", "S", "k", "q"},
        ReadCase{"[S]\nk=\"", "S", "k", "\""}, ReadCase{"[S]\nk=\"mixed'", "S", "k", "\"mixed'"},
        ReadCase{"[S]\n;k=comment\nk=real", "S", "k", "real"},
        ReadCase{"[S]\n  ; k=comment", "S", "k", "<def>"}, ReadCase{"[S]\n#k=v", "S", "#k", "v"},
        ReadCase{"[S]\nk=a;b", "S", "k", "a;b"}, ReadCase{"[S]\nnovalue\n", "S", "novalue", "<def>"},
        ReadCase{"[S]\nk=first\nk=second", "S", "k", "first"},
        ReadCase{"[S]\na=1\n[S]\nk=second section", "S", "k", "<def>"},
        ReadCase{"[S]\nk=\n", "S", "k", ""}, ReadCase{"[A]\n[B]\nk=v", "A", "k", "<def>"}));

TEST(IniFileTest, LongValuesAreCutTo2047Characters) {
    auto store = TIniFileStore::FromText("[S]\nk=" + std::string(3000, 'x'));
    EXPECT_EQ(store.ReadString("S", "k", "").size(), 2047u);
}

struct IntCase {
    const char* value;
    std::int32_t expected;
};

class IniIntegerTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(IniIntegerTest, IntegersReadDecimalOrHex) {
    auto store = TIniFileStore::FromText(std::string("[S]\nk=") + GetParam().value);
    EXPECT_EQ(store.ReadInteger("S", "k", -77), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, IniIntegerTest,
                         ::testing::Values(IntCase{"42", 42}, IntCase{"-42", -42}, IntCase{"+7", 7},
                                           IntCase{"0x1F", 31}, IntCase{"0X10", 16},
                                           IntCase{"0xFFFFFFFF", -1}, IntCase{"2147483647", INT32_MAX},
                                           IntCase{"2147483648", -77}, IntCase{"12a", -77},
                                           IntCase{"", -77}, IntCase{"0x", -77}, IntCase{"-", -77},
                                           IntCase{"1.5", -77}, IntCase{"\"5\"", 5}));

class IniWriteTest : public ::testing::Test {
protected:
    // The file once the command that wrote it ended.
    std::string Written(TIniFileStore& store) {
        store.Close();
        return ReadFile(file);
    }
    TempDir dir;
    std::string file = dir.File("export.ini");
};

TEST_F(IniWriteTest, NewFileSectionsAndKeysAreWrittenExactly) {
    {
        TIniFileStore store(file);
        store.WriteString(" General ", " Name ", " spaced value ");
        store.WriteInteger("General", "Count", -3);
        store.WriteBool("Other", "On", true);
    }
    EXPECT_EQ(ReadFile(file), "[General]\r\nName= spaced value \r\nCount=-3\r\n[Other]\r\nOn=1\r\n");
}

TEST_F(IniWriteTest, UntouchedLinesStayByteForByte) {
    const std::string original = "; header comment\n[Main]\nkeep = this\n\nOdd line\n"
                                 "Key=old\n; trailing comment\n[Next]\r\nx=1";
    WriteFile(file, original);
    TIniFileStore store(file);
    store.WriteString("MAIN", "key", "new");
    EXPECT_EQ(Written(store), "; header comment\n[Main]\nkeep = this\n\nOdd line\n"
                              "Key=new\n; trailing comment\n[Next]\r\nx=1");
    store.WriteString("main", "Added", "a");
    EXPECT_EQ(Written(store), "; header comment\n[Main]\nkeep = this\n\nOdd line\n"
                              "Key=new\nAdded=a\r\n; trailing comment\n[Next]\r\nx=1");
    store.WriteString("Next", "y", "2");
    EXPECT_EQ(Written(store), "; header comment\n[Main]\nkeep = this\n\nOdd line\n"
                              "Key=new\nAdded=a\r\n; trailing comment\n[Next]\r\nx=1\r\ny=2\r\n");
}

TEST_F(IniWriteTest, NewKeyInAnEmptySectionFollowsItsHeader) {
    WriteFile(file, "[Empty]\r\n[Full]\r\na=1\r\n");
    TIniFileStore store(file);
    store.WriteString("Empty", "k", "v");
    EXPECT_EQ(Written(store), "[Empty]\r\nk=v\r\n[Full]\r\na=1\r\n");
}

TEST_F(IniWriteTest, DeletingKeepsCommentsAndSucceedsOnNothing) {
    WriteFile(file, "[A]\r\n; note\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
    TIniFileStore store(file);
    store.DeleteValue("A", "y");
    EXPECT_EQ(Written(store), "[A]\r\n; note\r\nx=1\r\n[B]\r\nz=3\r\n");
    store.EraseSection("a");
    EXPECT_EQ(Written(store), "; note\r\n[B]\r\nz=3\r\n");
    store.EraseSection("Missing");
    store.DeleteValue("B", "missing");
    store.DeleteValue("B", "z");
    EXPECT_EQ(Written(store), "; note\r\n[B]\r\n");
    EXPECT_TRUE(store.SectionExists("B"));
    EXPECT_FALSE(store.ValueExists("B", "z"));
}

TEST_F(IniWriteTest, ALineBreakInAValueCannotAddLines) {
    TIniFileStore store(file);
    store.WriteString("S", "k", "first\r\n[Injected]\r\nx=1");
    EXPECT_EQ(Written(store), "[S]\r\nk=first\r\n");
    EXPECT_FALSE(store.SectionExists("Injected"));
}

TEST_F(IniWriteTest, ListsKeysAndSections) {
    WriteFile(file, "[Presets\\One]\na=1\nb=2\n[Presets\\Two]\n[Chords]\nc=3\n");
    TIniFileStore store(file);
    EXPECT_EQ(store.ReadValueNames("presets\\one"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(store.ReadSubsections("Presets"), (std::vector<std::string>{"One", "Two"}));
    EXPECT_EQ(store.ReadSubsections(""), (std::vector<std::string>{"Presets", "Chords"}));
}

TEST_F(IniWriteTest, WritingIntoAMissingFolderFails) {
    TIniFileStore store(dir.File("no/such/folder.ini"));
    store.WriteString("S", "k", "v");
    EXPECT_THROW(store.Close(), EStoreError);
}

// Changes at the end and elsewhere leave the same bytes as the store holds
// once each command ends, and what the store finds is what a new reader finds.
TEST(IniFileWriteTest, TheFileAlwaysHoldsWhatTheStoreHolds) {
    TempDir dir;
    const std::string file = dir.File("export.ini");
    WriteFile(file, "; made by hand\r\n[First]\r\na=1"); // no line break at the end
    TIniFileStore store(file);
    auto check = [&](const char* step) {
        store.Close();
        EXPECT_EQ(ReadFile(file), store.Text()) << step;
        TIniFileStore fresh(file);
        EXPECT_EQ(fresh.Text(), store.Text()) << step;
        // What the store finds after its own changes is what a new reader finds.
        for (const char* section : {"First", "second", "Third"})
            for (const char* key : {"a", "B", "c", "d", "e", "f", "g"})
                EXPECT_EQ(store.ReadString(section, key, "-"), fresh.ReadString(section, key, "-"))
                    << step << " " << section << " " << key;
        EXPECT_EQ(store.ReadSubsections(""), fresh.ReadSubsections("")) << step;
    };
    store.WriteString("First", "b", "2"); // appended after a last line without its break
    check("append to the last section");
    store.WriteString("Second", "c", "3");
    check("new section");
    store.WriteString("Second", "d", "4");
    check("append to the new section");
    store.WriteString("First", "e", "5"); // into a section that is not the last
    check("insert in the middle");
    store.WriteString("Second", "d", "four");
    check("update");
    store.WriteString("second", "f", "6");
    check("append after an update");
    store.DeleteValue("First", "a");
    store.WriteString("Third", "g", "7");
    check("after a delete");
    store.Close();
    EXPECT_EQ(ReadFile(file), "; made by hand\r\n[First]\r\nb=2\r\ne=5\r\n[Second]\r\nc=3\r\nd=four\r\nf=6\r\n"
                              "[Third]\r\ng=7\r\n");
}

TEST(IniFileWriteTest, ARepeatedSectionNameStillFindsTheFirst) {
    TempDir dir;
    const std::string file = dir.File("twice.ini");
    WriteFile(file, "[S]\r\na=1\r\n[T]\r\nb=2\r\n[S]\r\nc=3\r\n");
    TIniFileStore store(file);
    store.WriteString("T", "x", "1");
    store.WriteString("S", "y", "2"); // the first [S], not the last
    store.Close();
    EXPECT_EQ(ReadFile(file), "[S]\r\na=1\r\ny=2\r\n[T]\r\nb=2\r\nx=1\r\n[S]\r\nc=3\r\n");
}

} // namespace
