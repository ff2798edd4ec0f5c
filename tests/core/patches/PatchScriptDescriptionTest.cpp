#include "patches/PatchScriptDescription.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(CreatorNameTest, OneNameWhenTheNamesOverlap) {
    struct Case {
        const char* first;
        const char* last;
        const char* shown;
    };
    for (const Case& c : {Case{"John", "John Smith", "John"}, Case{"Jane", "Doe", "Jane Doe"},
                          Case{"Pierre Babeck", "Pierre Babeck", "Pierre Babeck"}, Case{"ANNA", "anna", "ANNA"},
                          Case{"Smith", "smith jr", "Smith smith jr"}, Case{"Solo", "", "Solo"}, Case{"", "Doe", "Doe"}, Case{"", "", ""},
                          Case{"Anne Marie", "Marie", "Anne Marie"}})
        EXPECT_EQ(CreatorNameText(c.first, c.last), c.shown) << c.first << "/" << c.last;
}

TEST(PatchScriptDescriptionTest, TheHeaderOrWhyItCannotBeRead) {
    TempDir dir;
    WriteFile(dir.File("set.txt"), "[cubase parse file]\n[parser version 0001]\n[creators first name]Jane\n"
                                   "[creators last name]Doe\n[device manufacturer]Morwent\n[device name]Synth\n"
                                   "[script name]Set\n[define patchnames]\n[p1, 999] broken later\n");
    const TPatchScriptDescription d = DescribePatchScript(dir.File("set.txt"));
    EXPECT_TRUE(d.readable);
    EXPECT_EQ(d.scriptName, "Set");
    EXPECT_EQ(d.deviceName, "Synth");
    EXPECT_EQ(d.deviceManufacturer, "Morwent");
    EXPECT_EQ(d.creatorName, "Jane Doe");

    WriteFile(dir.File("notes.txt"), "milk\n");
    const TPatchScriptDescription notes = DescribePatchScript(dir.File("notes.txt"));
    EXPECT_FALSE(notes.readable);
    EXPECT_EQ(notes.scriptName, "Script is not a Cubase Parse File.");
    EXPECT_EQ(notes.creatorName, "");

    const TPatchScriptDescription missing = DescribePatchScript(dir.File("gone.txt"));
    EXPECT_FALSE(missing.readable);
    EXPECT_FALSE(missing.scriptName.empty());
}

} // namespace
