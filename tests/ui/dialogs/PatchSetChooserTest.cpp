// The patch set chooser on real files in a folder of its own.
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "dialogs/PatchWarningsDialog.h"
#include "dialogs/FolderPicker.h"
#include "dialogs/ShippedFiles.h"
#include "patches/PatchSet.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"

#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

std::string Script(const std::string& first, const std::string& last, const std::string& name,
                   const std::string& program = "[p2, 0, -1] Grand") {
    return "[cubase parse file]\n[parser version 0001]\n[creators first name]" + first + "\n[creators last name]" + last +
           "\n[device manufacturer]Morwent\n[device name]Test Synth\n[script name]" + name +
           "\n[script version]1\n[define patchnames]\n[mode] GM\n[g1] Pianos\n" + program + "\n[end]\n";
}

class PatchSetChooserTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        std::filesystem::create_directory(scripts.Path() / "folder");
        WriteFile(scripts.File("john.txt"), Script("John", "John Smith", "Johns Set"));
        WriteFile(scripts.File("jane.txt"), Script("Jane", "Doe", "Janes Set"));
        WriteFile(scripts.File("notes.txt"), "shopping list\n");
        WriteFile(scripts.File("warned.txt"), Script("A", "B", "Warned", "[p2, 0, 1, 2 junk] Grand"));
        WriteFile(scripts.File("broken.txt"), Script("A", "B", "Broken", "[p2, 200, -1] Grand"));
        window = Start();
        window->ProgramPanel().choosePatchSetItem->trigger();
        chooser = window->ProgramPanel().PatchSetChooser();
        ASSERT_NE(chooser, nullptr);
        chooser->SetDirectory(QString::fromStdString(scripts.Path().string()));
        WaitForListing();
    }
    void TearDown() override {
        window->close();
        window.reset();
        WindowFixture::TearDown();
    }
    // The model reads folders on a thread of its own.
    void WaitForListing() {
        QElapsedTimer t;
        t.start();
        const QModelIndex root = chooser->Model()->index(chooser->Directory());
        while (chooser->Model()->rowCount(root) < 5 && t.elapsed() < 3000) QApplication::processEvents();
    }
    void Select(const std::string& name) { chooser->SelectItem(QString::fromStdString(scripts.File(name))); }
    void DoubleClick(const std::string& name) {
        chooser->DefaultAction(chooser->Model()->index(QString::fromStdString(scripts.File(name))));
    }
    // Closes the warnings window when it shows, keeping what it listed.
    void CloseWarningsWhenShown() {
        QTimer::singleShot(0, [this] {
            warnings.push_back(window->ProgramPanel().patchWarnings->Memo()->toPlainText().toStdString());
            window->ProgramPanel().patchWarnings->close();
        });
    }

    TempDir scripts;
    std::unique_ptr<TMainWindow> window;
    TPatchSetChooserDialog* chooser = nullptr;
    std::vector<std::string> warnings;
};

// A build folder has its files beside the program, an installation under share/.
TEST(ShippedFilesTest, BesideTheProgramFirstThenTheInstalledFolder) {
    struct Case {
        bool beside, installed;
        const char* expected; // relative to the root
    };
    for (const Case& c : {Case{true, false, "bin/x.txt"}, Case{false, true, "share/x.txt"},
                          Case{true, true, "bin/x.txt"}, Case{false, false, "bin/x.txt"}}) {
        TempDir root;
        std::filesystem::create_directories(root.Path() / "bin");
        std::filesystem::create_directories(root.Path() / "share");
        if (c.beside) WriteFile(root.File("bin/x.txt"), "b");
        if (c.installed) WriteFile(root.File("share/x.txt"), "i");
        const QString found = ShippedFile(QString::fromStdString(root.File("bin")), "x.txt", "../share");
        EXPECT_EQ(std::filesystem::weakly_canonical(found.toStdString()),
                  std::filesystem::weakly_canonical(root.File(c.expected)))
            << c.beside << c.installed;
    }
}

// Without a remembered folder the chooser opens where the current script is,
// else in the home folder: never where the program was started from.
TEST_F(WindowFixture, TheChooserStartsAtTheScriptOrAtHomeNotInTheWorkingFolder) {
    TempDir home, elsewhere, scriptFolder;
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.Path().c_str(), 1);
    const auto oldWorking = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.Path());
    const auto startFolder = [&] {
        auto w = Start();
        w->ProgramPanel().choosePatchSetItem->trigger();
        const std::string shown = w->ProgramPanel().PatchSetChooser()->Directory().toStdString();
        w->ProgramPanel().PatchSetChooser()->close(); // remembers the folder: forgotten below
        StoreSettings([](TIniStore& s) { s.DeleteValue(TPatchSetChooserDialog::Section, "DlgDirectory"); });
        w->close();
        return shown;
    };
    EXPECT_EQ(startFolder(), home.Path().string());
    WriteFile(scriptFolder.File("set.txt"), "[cubase parse file]\n[parser version 0001]\n[define patchnames]\n"
                                            "[mode] GM\n[g1] Pianos\n[p2, 0, -1] Grand\n[end]\n");
    StoreSettings([&](TIniStore& s) { s.WriteString("KeyboardForm", "PatchScript", scriptFolder.File("set.txt")); });
    EXPECT_EQ(startFolder(), scriptFolder.Path().string());
    std::filesystem::current_path(oldWorking);
    ::setenv("HOME", oldHome.c_str(), 1);
}

TEST_F(PatchSetChooserTest, DescribesScriptsAndRefusesWhatIsNone) {
    EXPECT_EQ(chooser->windowTitle(), "Choose Patch Set");
    EXPECT_EQ(chooser->directoryEdit->text().toStdString(), scripts.Path().string());
    EXPECT_FALSE(chooser->applyButton->isEnabled());
    EXPECT_FALSE(chooser->okButton->isEnabled());

    Select("john.txt");
    EXPECT_EQ(chooser->fileNameLabel->text(), "john.txt");
    EXPECT_EQ(chooser->scriptNameEdit->text(), "Johns Set");
    EXPECT_EQ(chooser->deviceNameEdit->text(), "Test Synth");
    EXPECT_EQ(chooser->manufacturerEdit->text(), "Morwent");
    EXPECT_EQ(chooser->creatorNameEdit->text(), "John");
    EXPECT_TRUE(chooser->applyButton->isEnabled());
    EXPECT_TRUE(chooser->okButton->isEnabled());
    Select("jane.txt");
    EXPECT_EQ(chooser->creatorNameEdit->text(), "Jane Doe");

    Select("notes.txt");
    EXPECT_EQ(chooser->scriptNameEdit->text(), "Script is not a Cubase Parse File.");
    EXPECT_TRUE(chooser->deviceNameEdit->text().isEmpty());
    EXPECT_FALSE(chooser->applyButton->isEnabled());

    Select("jane.txt");
    chooser->SelectItem(QString::fromStdString(scripts.File("folder")));
    EXPECT_TRUE(chooser->SelectedPath().isEmpty());
    EXPECT_TRUE(chooser->scriptNameEdit->text().isEmpty());
    EXPECT_TRUE(chooser->fileNameLabel->text().isEmpty());
    EXPECT_FALSE(chooser->applyButton->isEnabled());
    EXPECT_FALSE(chooser->okButton->isEnabled());
}

TEST_F(PatchSetChooserTest, ADoubleClickAppliesAndApplyStaysOffUntilAnotherScript) {
    DoubleClick("jane.txt");
    ASSERT_NE(window->Instrument().PatchSet(), nullptr);
    EXPECT_EQ(window->Instrument().PatchSet()->ScriptName, "Janes Set");
    EXPECT_FALSE(chooser->applyButton->isEnabled());
    EXPECT_TRUE(chooser->okButton->isEnabled());
    Select("john.txt");
    EXPECT_TRUE(chooser->applyButton->isEnabled());
    Select("jane.txt");
    EXPECT_TRUE(chooser->applyButton->isEnabled()) << "another script was shown between";

    // OK with Apply off only closes.
    chooser->applyButton->click();
    const TPatchSet* applied = window->Instrument().PatchSet();
    QPointer<TPatchSetChooserDialog> alive(chooser);
    chooser->okButton->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->Instrument().PatchSet(), applied);
    EXPECT_TRUE(alive.isNull()) << "a closed chooser is released";
    EXPECT_EQ(window->ProgramPanel().PatchSetChooser(), nullptr);
}

TEST_F(PatchSetChooserTest, WarningsAreListedAndAFailingScriptKeepsThePreviousSet) {
    CloseWarningsWhenShown();
    DoubleClick("warned.txt");
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("Line 12: Warning: Ignoring remaining \"junk\""), std::string::npos) << warnings[0];
    ASSERT_NE(window->Instrument().PatchSet(), nullptr);
    EXPECT_EQ(window->Instrument().PatchSet()->ScriptName, "Warned");
    EXPECT_FALSE(chooser->applyButton->isEnabled());

    const TPatchSet* before = window->Instrument().PatchSet();
    Select("broken.txt");
    EXPECT_EQ(chooser->scriptNameEdit->text(), "Broken"); // its header reads fine
    CloseWarningsWhenShown();
    chooser->applyButton->click();
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[1].find("Error: Program number out of bounds"), std::string::npos) << warnings[1];
    EXPECT_EQ(window->Instrument().PatchSet(), before);
    EXPECT_TRUE(chooser->applyButton->isEnabled()) << "a failed apply may be tried again";
}

TEST_F(PatchSetChooserTest, OneChooserWhosePlaceAndPanelWidthComeBack) {
    window->ProgramPanel().choosePatchSetItem->trigger();
    EXPECT_EQ(window->ProgramPanel().PatchSetChooser(), chooser); // at most one
    chooser->move(120, 90);
    chooser->resize(700, 400);
    chooser->cancelButton->click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(window->ProgramPanel().PatchSetChooser(), nullptr);
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("PatchSetDialog]"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"RightPanelWidth\"=dword:"), std::string::npos) << settings;
    EXPECT_NE(settings.find("\"DlgWidth\"=dword:000002bc"), std::string::npos) << settings;

    window->ProgramPanel().choosePatchSetItem->trigger();
    TPatchSetChooserDialog* again = window->ProgramPanel().PatchSetChooser();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->width(), 700);
    EXPECT_EQ(again->Directory().toStdString(), scripts.Path().string());
}

TEST_F(PatchSetChooserTest, TheDirectoryLineTheFileTypeAndTheFolderPicker) {
    const QString folder = QString::fromStdString(scripts.File("folder"));
    WriteFile(scripts.File("folder/inner.syx"), "x");
    chooser->directoryEdit->setText(folder);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(chooser->directoryEdit, &enter);
    EXPECT_EQ(chooser->Directory(), folder);
    EXPECT_TRUE(chooser->isVisible()) << "Enter in the directory line pressed OK";

    // Only scripts at first; all files on request.
    auto visible = [this](const QString& path) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500 && chooser->Model()->rowCount(chooser->Model()->index(chooser->Directory())) < 2)
            QApplication::processEvents();
        const QModelIndex index = chooser->Model()->index(path);
        return index.isValid() && (chooser->Model()->flags(index) & Qt::ItemIsEnabled) &&
               !chooser->folderTree->isRowHidden(index.row(), index.parent());
    };
    const QString syx = QString::fromStdString(scripts.File("folder/inner.syx"));
    EXPECT_FALSE(visible(syx));
    chooser->fileTypeBox->setCurrentIndex(1);
    EXPECT_TRUE(visible(syx));

    // The folder picker starts at the list's folder and takes the one chosen.
    std::vector<QString> shown;
    chooser->folderPicker->OnShow = [&](TFolderPicker* d) {
        shown.push_back(d->OpenDialog()->directory().absolutePath());
        d->OpenDialog()->selectFile(QString::fromStdString(scripts.Path().string()));
        static_cast<QDialog*>(d->OpenDialog())->accept();
    };
    chooser->directoryButton->click();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], folder);
    EXPECT_EQ(chooser->Directory().toStdString(), scripts.Path().string());
}

} // namespace
