// An INI file written as commands: the bytes each edit leaves are the bytes
// the store always left, and an export over an earlier export gives the file
// it always gave.
#include "instrument/ChordList.h"
#include "instrument/ExportImport.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"

#include "StoredPresets.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct TEdit {
    char kind; // 'W' write, 'E' erase a section, 'D' delete a value
    const char* section;
    const char* key;
    const char* value;
};

struct TEditCase {
    friend void PrintTo(const TEditCase& c, std::ostream* os) { *os << c.name; }
    const char* name;
    const char* before;
    std::vector<TEdit> edits;
    const char* after; // as the store wrote it before it kept its changes until a command ends
};

class IniEditTest : public ::testing::TestWithParam<TEditCase> {};

TEST_P(IniEditTest, LeavesTheBytesItAlwaysLeft) {
    TempDir dir;
    const std::string file = dir.File("edit.ini");
    WriteFile(file, GetParam().before);
    TIniFileStore store(file);
    for (const TEdit& e : GetParam().edits) {
        if (e.kind == 'W') store.WriteString(e.section, e.key, e.value);
        else if (e.kind == 'E') store.EraseSection(e.section);
        else store.DeleteValue(e.section, e.key);
    }
    EXPECT_EQ(ReadFile(file), GetParam().before) << "the file changed before the command ended";
    store.Close();
    EXPECT_EQ(ReadFile(file), GetParam().after);
    EXPECT_EQ(TIniFileStore(file).Text(), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, IniEditTest,
    ::testing::Values(
        TEditCase{"AValueChangedInTheMiddle", "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n", {{'W', "A", "x", "9"}},
                  "[A]\r\nx=9\r\ny=2\r\n[B]\r\nz=3\r\n"},
        TEditCase{"AKeyAddedToAMiddleSectionBeforeItsComment", "; top\n[A]\nk = v\n\n; end of A\n[B]\nz=3\n",
                  {{'W', "a", "New", "n"}}, "; top\n[A]\nk = v\nNew=n\r\n\n; end of A\n[B]\nz=3\n"},
        TEditCase{"AMiddleSectionErasedKeepsItsOtherLines",
                  "[A]\r\na=1\r\n[Mid]\r\n; kept\r\nm=1\r\nOdd line\r\n[Z]\r\nz=1\r\n", {{'E', "mid", "", ""}},
                  "[A]\r\na=1\r\n; kept\r\nOdd line\r\n[Z]\r\nz=1\r\n"},
        TEditCase{"OddLineEndsStay", "; cr only\r[S]\rk=1\r[T]\nlf=1\n[U]\r\nlast=1",
                  {{'W', "T", "lf", "2"}, {'W', "U", "more", "x"}, {'W', "S", "k2", "y"}},
                  "; cr only\r[S]\rk=1\rk2=y\r\n[T]\nlf=2\n[U]\r\nlast=1\r\nmore=x\r\n"},
        TEditCase{"ADeletedKeyBringsItsTwinForward", "[S]\r\nk=first\r\nK=second\r\n[S]\r\nk=third\r\n",
                  {{'W', "s", "K", "changed"}, {'D', "S", "k", ""}, {'W', "S", "new", "1"}},
                  "[S]\r\nK=second\r\nnew=1\r\n[S]\r\nk=third\r\n"},
        TEditCase{"SpacedAndEmptyNames", "[ S ] junk\r\n  a = 1 \r\n[]\r\n=empty\r\n",
                  {{'W', "S", "a", "2"}, {'W', "", "", "e2"}, {'W', " S ", "b", "3"}},
                  "[ S ] junk\r\na=2\r\nb=3\r\n[]\r\n=e2\r\n"},
        TEditCase{"SectionsErasedAndMadeAgainGoLast", "[P\\One]\r\nx=1\r\n[Q]\r\n",
                  {{'E', "Q", "", ""}, {'W', "Q", "a", "1"}, {'E', "P\\one", "", ""}, {'W', "P\\One", "y", "2"}},
                  "[Q]\r\na=1\r\n[P\\One]\r\ny=2\r\n"},
        TEditCase{"DeletedThenWrittenAgain", "[A]\r\na=1\r\n[B]\r\nb=1\r\n",
                  {{'D', "A", "a", ""}, {'W', "A", "a", "2"}, {'W', "C", "c", "3"}, {'W', "B", "b2", "2"}},
                  "[A]\r\na=2\r\n[B]\r\nb=1\r\nb2=2\r\n[C]\r\nc=3\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

std::string Golden(const char* name) { return ReadFile(std::string(TONECAST_TEST_DATA "/store/") + name); }

// Golden files: made by the store that replaced the file at every value.
TEST(IniExportOverEarlierTest, KnobPresetsGiveTheFileTheyAlwaysGave) {
    TempDir dir;
    const std::string file = dir.File("presets.ini");
    WriteFile(file, Golden("earlier-presets.ini"));
    TMemoryStore root;
    StorePresets(root);
    TIniFileStore ini(file);
    EXPECT_EQ(ExportImport::ExportKnobPresets(root, ini), 6);
    ini.Close();
    EXPECT_EQ(ReadFile(file), Golden("presets-over-earlier.ini"));
}

TEST(IniExportOverEarlierTest, ChordsGiveTheFileTheyAlwaysGave) {
    TempDir dir;
    const std::string file = dir.File("chords.ini");
    WriteFile(file, Golden("earlier-chords.ini"));
    TChordList list;
    TIniFileStore source = TIniFileStore::FromText(
        "[Chords]\r\nName1=Sus4\r\nChord1=3C0507\r\nName2=Power\r\nChord2=3C07\r\nName3=Wide\r\nChord3=300C1013\r\n");
    list.LoadFrom(source, false);
    TIniFileStore ini(file);
    EXPECT_EQ(list.SaveTo(ini), 3);
    ini.Close();
    EXPECT_EQ(ReadFile(file), Golden("chords-over-earlier.ini"));
}

// A store that is never closed keeps what was written when it goes.
TEST(IniUnclosedStoreTest, TheDestructorWritesWhatIsPending) {
    TempDir dir;
    const std::string file = dir.File("left.ini");
    {
        TIniFileStore store(file);
        store.WriteString("S", "k", "v");
    }
    EXPECT_EQ(ReadFile(file), "[S]\r\nk=v\r\n");
}

} // namespace
