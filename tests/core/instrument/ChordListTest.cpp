#include "instrument/ChordList.h"

#include "TempDir.h"
#include "store/IniFile.h"
#include "store/MemoryStore.h"

#include <gtest/gtest.h>

namespace {

TEST(ChordEntryTest, ToggledNotesBuildTheChordAroundItsRoot) {
    TChordEntry e("C");
    for (int note : {60, 64, 67, 64}) e.ToggleNote(note);
    EXPECT_EQ(e.Root, 60);
    EXPECT_EQ(e.IntervalList(), (std::vector<int>{7}));
    e.ToggleNote(60); // the root with intervals left: ignored
    EXPECT_EQ(e.Root, 60);
    e.ToggleNote(67);
    e.ToggleNote(60); // the root alone again: the entry empties
    EXPECT_EQ(e.Root, -1);
    EXPECT_EQ(e.ChordString(), "");

    TChordEntry wide("W");
    for (int note : {60, 124, -1, 128, 123, -4}) wide.ToggleNote(note); // +64 and beyond are no intervals
    EXPECT_EQ(wide.IntervalList(), (std::vector<int>{63}));
    for (int note : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}) wide.ToggleNote(note);
    EXPECT_EQ(wide.IntervalCount(), 16);
    EXPECT_EQ(wide.IndexOfInterval(-60), 1);
    EXPECT_EQ(wide.IndexOfInterval(-45), -1); // the 17th did not fit
    wide.ToggleNote(123);
    EXPECT_EQ(wide.IntervalCount(), 15);
    EXPECT_EQ(wide.IntervalList().front(), -60);
}

TEST(ChordEntryTest, ChordStringsRoundTripInEitherCase) {
    TChordEntry e("Mixed");
    for (int note : {60, 64, 67, 48}) e.ToggleNote(note);
    EXPECT_EQ(e.ChordString(), "3C0407F4");
    TChordEntry back("x", "3c0407f4");
    EXPECT_EQ(back.Root, 60);
    EXPECT_EQ(back.IntervalList(), (std::vector<int>{4, 7, -12}));
    EXPECT_EQ(back.Name, "x");

    struct Case {
        const char* text;
        bool result;
        int root;
        std::vector<int> intervals;
    };
    for (const Case& c : {Case{"3C", false, 60, {}}, Case{"", false, -1, {}}, Case{"G0", false, -1, {}},
                          Case{"3C04zz07", true, 60, {4}}, Case{"3C040", true, 60, {4}},
                          Case{"3C04000C", true, 60, {4}}, Case{"3C00", true, 60, {}}}) {
        TChordEntry entry("n");
        EXPECT_EQ(entry.ParseChordString("n", c.text), c.result) << c.text;
        EXPECT_EQ(entry.Root, c.root) << c.text;
        EXPECT_EQ(entry.IntervalList(), c.intervals) << c.text;
    }
    TChordEntry many("m", "00" + std::string(40, '1'));
    EXPECT_EQ(many.IntervalCount(), 16);
}

TEST(ChordListTest, NewNamesAreTheFirstFreeOnes) {
    TChordList list;
    TChordEntry* first = &list.AddNew();
    EXPECT_EQ(first->Name, "New chord");
    EXPECT_EQ(list.AddNew().Name, "New chord 2");
    EXPECT_EQ(list.AddNew().Name, "New chord 3");
    EXPECT_TRUE(list.Remove(first));
    EXPECT_FALSE(list.Remove(first));
    EXPECT_EQ(list.AddNew().Name, "New chord");
    EXPECT_EQ(list.IndexOfName("NEW CHORD 3"), 1);
    EXPECT_EQ(list.IndexOfName("Other"), -1);
}

TEST(ChordListTest, LoadStopsAtAGapAndDropsChordsWithoutIntervals) {
    TMemoryStore store;
    store.WriteString("Chords", "Name1", "Major");
    store.WriteString("Chords", "Chord1", "3C0407");
    store.WriteString("Chords", "Name3", "Minor");
    store.WriteString("Chords", "Chord3", "3C0307");
    TChordList list;
    EXPECT_EQ(list.LoadFrom(store, false), 1);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Items(0).Name, "Major");

    store.WriteString("Chords", "Name2", "Root only");
    store.WriteString("Chords", "Chord2", "3C");
    EXPECT_EQ(list.LoadFrom(store, false), 2);
    EXPECT_EQ(list.IndexOfName("Root only"), -1);
    EXPECT_EQ(list.IndexOfName("Minor"), 1);
}

TEST(ChordListTest, KeepingExistingChordsLoadedOnesReplaceThoseOfTheirName) {
    TChordList list;
    list.AddNew().Name = "Power";
    list.Items(0).ParseChordString("Power", "3C07");
    list.AddNew();
    list.Items(1).ParseChordString("Gone", "3C05");
    list.AddNew();
    list.Items(2).ParseChordString("Stays", "3C02");
    list.AddNew().ParseChordString("Twin", "3C03"); // renamed by hand: two of a name
    list.AddNew().ParseChordString("Twin", "3C04");
    TMemoryStore store;
    const char* loaded[][2] = {
        {"power", "3C070C"},
        {"GONE", "3C"}, // no intervals: deletes the old one
        {"twin", "3C05"}, // replaces the first twin only
        {"Again", "3C01"},
        {"again", "3C02"}, // replaces the one loaded just before
    };
    for (int i = 0; i < 5; ++i) {
        store.WriteString("Chords", "Name" + std::to_string(i + 1), loaded[i][0]);
        store.WriteString("Chords", "Chord" + std::to_string(i + 1), loaded[i][1]);
    }
    EXPECT_EQ(list.LoadFrom(store, true), 4);
    std::vector<std::string> names;
    for (int i = 0; i < list.Count(); ++i) names.push_back(list.Items(i).Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Stays", "Twin", "power", "twin", "again"}));
    EXPECT_EQ(list.Items(1).IntervalList(), (std::vector<int>{4}));
    EXPECT_EQ(list.Items(2).IntervalList(), (std::vector<int>{7, 12}));
}

TEST(ChordListTest, SaveErasesTheSectionAndRoundTripsThroughAnIniFile) {
    TempDir dir;
    TChordList list;
    list.AddNew().ParseChordString("Major", "3C0407");
    list.AddNew().ParseChordString("Wide", "30F40C");
    {
        TIniFileStore ini(dir.File("chords.ini"));
        ini.WriteString("Chords", "Name5", "stale");
        EXPECT_EQ(list.SaveTo(ini), 2);
        ini.Close();
    }
    EXPECT_EQ(ReadFile(dir.File("chords.ini")), "[Chords]\r\nName1=Major\r\nChord1=3C0407\r\nName2=Wide\r\nChord2=30F40C\r\n");
    TIniFileStore ini(dir.File("chords.ini"));
    TChordList back;
    EXPECT_EQ(back.LoadFrom(ini, false), 2);
    EXPECT_EQ(back.Items(1).IntervalList(), (std::vector<int>{-12, 12}));
}

TEST(ChordListTest, NotesTextInEachLanguage) {
    TChordEntry e("x", "3C0407");
    EXPECT_EQ(ChordNotesText(e, TLanguage::International), KeyGeometry::NoteName(60, TLanguage::International) + " " +
                                                               KeyGeometry::NoteName(64, TLanguage::International) + " " +
                                                               KeyGeometry::NoteName(67, TLanguage::International) + " ");
    EXPECT_NE(ChordNotesText(e, TLanguage::German), ChordNotesText(e, TLanguage::Italian));
    EXPECT_EQ(ChordNotesText(TChordEntry("empty"), TLanguage::German), "");
    TChordEntry rootOnly("r");
    rootOnly.ToggleNote(62);
    EXPECT_EQ(ChordNotesText(rootOnly, TLanguage::International), KeyGeometry::NoteName(62, TLanguage::International) + " ");
}

} // namespace
