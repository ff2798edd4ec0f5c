// The main window around the instrument: its menus, keys, size rules, status
// bar, background, stay on top and help.
#include "widgets/KnobRow.h"
#include "widgets/ImageStripControl.h"
#include "widgets/UpDown.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "mainwindow/MainWindow.h"
#include "dialogs/HelpBoxes.h"
#include "dialogs/ShippedFiles.h"

#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSlider>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

using M = std::tuple<int, int, int>;

class WindowMenusTest : public WindowFixture {
protected:
    // "caption|shortcut|enabled" of every item of a menu, submenus as "caption>".
    static std::vector<std::string> Items(QMenu* menu) {
        std::vector<std::string> items;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) {
                items.push_back(a->isVisible() ? "-" : "(-)");
            } else if (a->menu()) {
                items.push_back(a->text().toStdString() + ">");
            } else {
                items.push_back(a->text().toStdString() + "|" + a->shortcut().toString().toStdString() + "|" +
                                (a->isEnabled() ? "on" : "off"));
            }
        }
        return items;
    }
    static QMenu* Menu(QWidget& w, const QString& caption) {
        for (QAction* a : w.findChild<QMenuBar*>()->actions())
            if (a->text() == caption) return a->menu();
        return nullptr;
    }
    static QMenu* SubMenu(QMenu* menu, const QString& caption) {
        for (QAction* a : menu->actions())
            if (a->text() == caption) return a->menu();
        return nullptr;
    }
    static QAction* HelpItem(QWidget& w, const QString& caption) {
        for (QAction* a : Menu(w, "&Help")->actions())
            if (a->text() == caption) return a;
        return nullptr;
    }
    static void Key(QWidget* to, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(to, &press);
    }
};

TEST_F(WindowMenusTest, TheMenuTreeWithItsCaptionsShortcutsAndLaterItemsDisabled) {
    auto w = Start();
    std::vector<std::string> bar;
    for (QAction* a : w->findChild<QMenuBar*>()->actions()) bar.push_back(a->text().toStdString());
    EXPECT_EQ(bar, (std::vector<std::string>{"&File", "Midi &In", "Midi &Out", "&Patches", "&Knobs", "Op&tions", "&Help"}));

    QMenu* file = Menu(*w, "&File");
    EXPECT_EQ(Items(file), (std::vector<std::string>{"&Import>", "&Export>", "-", "E&xit||on"}));
    EXPECT_EQ(Items(SubMenu(file, "&Import")),
              (std::vector<std::string>{"&Settings||on", "Knob &Presets...||on", "&Knob Snapshots||on", "&Chords...||on"}));
    EXPECT_EQ(file->actions()[0]->statusTip(), "Import previously exported ini file.");
    EXPECT_EQ(file->actions()[1]->statusTip(), "Export to an ini file.");
    // Opening Export offers presets only with knobs, snapshots only with a
    // filled slot and chords only with a custom chord.
    emit w->ExportImportCommands().exportItem->aboutToShow();
    EXPECT_EQ(Items(w->ExportImportCommands().exportItem),
              (std::vector<std::string>{"&Settings||on", "Knob &Presets||on", "&Knob Snapshots||off", "&Chords||off"}));
    w->KnobPanel().KnobRow().Clear();
    emit w->ExportImportCommands().exportItem->aboutToShow();
    EXPECT_FALSE(w->ExportImportCommands().exportItems[ExportImport::KnobPresets]->isEnabled());

    EXPECT_EQ(Items(Menu(*w, "&Patches")), (std::vector<std::string>{"(-)", "&Choose Patch Set...|Ctrl+P|on"}));
    const std::vector<std::string> knobs = Items(Menu(*w, "&Knobs"));
    EXPECT_EQ(knobs, (std::vector<std::string>{"&Presets>", "&Snapshots>", "-", "Set &up...|Ctrl+K|on"}));
    EXPECT_EQ(Items(Menu(*w, "Op&tions")), (std::vector<std::string>{
                                               "Octave Down|F3|on", "Octave Up|F4|on", "-", "Stay &on Top||on",
                                               "Midi &Thru||on", "&Key Legends||on", "T&ranspose...|Ctrl+T|on", "Chord &Editor...|Ctrl+E|on",
                                               "&Settings...|Ctrl+S|on"}));
    EXPECT_EQ(Items(Menu(*w, "&Help")), (std::vector<std::string>{"&Readme||on", "&About||on"}));
    w->close();
}

TEST_F(WindowMenusTest, MidiThruTogglesOnlyItsCheckMark) {
    auto w = Start();
    w->midiThruItem->trigger();
    EXPECT_TRUE(w->midiThruItem->isChecked());
    w->midiThruItem->trigger();
    EXPECT_FALSE(w->midiThruItem->isChecked());
    EXPECT_TRUE(out.sent.empty());
    w->close();
}

TEST_F(WindowMenusTest, KeyLegendsAreOffAtFirstAndComeBackAsLeft) {
    auto w = Start();
    EXPECT_FALSE(w->keyLegendsItem->isChecked());
    w->keyLegendsItem->trigger();
    EXPECT_TRUE(w->keyboard->ShowKeyLegends());
    w->close();
    w = Start();
    EXPECT_TRUE(w->keyLegendsItem->isChecked());
    EXPECT_TRUE(w->keyboard->ShowKeyLegends());
    w->close();
}

TEST_F(WindowMenusTest, TheWindowKeysWrapAndStillReachTheFocusedControl) {
    auto w = Start();
    ASSERT_FALSE(w->ProgramPanel().ApplyPatchSet(std::string(TONECAST_TEST_DATA) + "/patchscripts/technics-wsa1.txt"));
    ASSERT_EQ(w->ProgramPanel().patchBox->currentIndex(), 0); // "(none)"
    // Else the wrap below would hold for an empty box as well.
    ASSERT_GT(w->ProgramPanel().patchBox->count(), 2) << "the patch box holds none of the script's programs";
    QWidget* focus = w->keyboard;
    focus->setFocus();
    Key(focus, Qt::Key_PageUp);
    EXPECT_EQ(w->ProgramPanel().patchBox->currentIndex(), w->ProgramPanel().patchBox->count() - 1);
    EXPECT_NE(w->ProgramPanel().patchBox->currentText(), "(none)");
    Key(focus, Qt::Key_PageDown);
    EXPECT_EQ(w->ProgramPanel().patchBox->currentIndex(), 0);

    // The chord box: End past the last entry comes back to "None".
    w->chordBox->setCurrentIndex(w->chordBox->count() - 1);
    Key(focus, Qt::Key_End);
    EXPECT_EQ(w->chordBox->currentText(), "None");
    Key(focus, Qt::Key_End);
    EXPECT_EQ(w->chordBox->currentText(), "Major");
    EXPECT_EQ(w->keyboard->State().Chord(), TChord::Major);
    Key(focus, Qt::Key_Home);
    Key(focus, Qt::Key_Home);
    EXPECT_EQ(w->chordBox->currentText(), "Power");

    // The program: Shift+Page Down past 128 gives "none", and on to 1.
    for (int i = 0; i < 129 && w->Instrument().ProgramBank().Program() != 127; ++i) Key(focus, Qt::Key_PageDown, Qt::ShiftModifier);
    ASSERT_EQ(w->Instrument().ProgramBank().Program(), 127);
    out.sent.clear();
    Key(focus, Qt::Key_PageDown, Qt::ShiftModifier);
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), -1);
    EXPECT_EQ(w->ProgramPanel().programEdit->text(), "none");
    Key(focus, Qt::Key_PageUp, Qt::ShiftModifier);
    EXPECT_EQ(w->Instrument().ProgramBank().Program(), 127);
    w->close();
}

TEST_F(WindowMenusTest, TheHeightIsFixedAndTheWidthStopsAtBothLimits) {
    auto w = Start();
    const int height = w->height();
    const int minimum = w->channelUpDown->x() + w->channelUpDown->width() + 5;
    auto maximum = [&] {
        return w->keyboard->FullWidth() + 5 + w->keyboard->x() + w->rightArrow->width();
    };
    for (int width : {10, minimum, 700, 5000}) {
        w->resize(width, height + 77);
        QApplication::processEvents();
        EXPECT_EQ(w->height(), height) << width;
        EXPECT_EQ(w->width(), std::clamp(width, minimum, maximum())) << width;
    }
    // Wider keys raise the limit; the window may grow to it.
    const int before = maximum();
    w->SetKeyWidthPosition(TMainWindow::KeyWidthMax);
    EXPECT_GT(maximum(), before);
    w->resize(5000, height);
    QApplication::processEvents();
    EXPECT_EQ(w->width(), maximum());
    EXPECT_EQ(w->maximumWidth(), maximum());
    EXPECT_EQ(w->height(), height);
    // Narrower keys bring the window back under the new limit.
    w->SetKeyWidthPosition(TMainWindow::KeyWidthMin);
    QApplication::processEvents();
    EXPECT_EQ(w->width(), maximum());
    w->close();
}

TEST_F(WindowMenusTest, StatusPanelsAreAsWideAsTheirSampleTexts) {
    auto w = Start();
    const QFontMetrics metrics(w->statusBar()->font());
    const char* const samples[] = {nullptr, "WWWWWWWWW", "Base: WWW", "Octave: 122", "WWWWWWWWWW"};
    for (int i = 1; i < 5; ++i) EXPECT_EQ(w->StatusPanels().Width(static_cast<TStatusPanel>(i)), metrics.horizontalAdvance(samples[i]) + 8) << i;
    // The message panel takes the rest, whatever the width.
    w->resize(900, w->height());
    QApplication::processEvents();
    int others = 0;
    for (int i = 1; i < 5; ++i) others += w->StatusPanels().Width(static_cast<TStatusPanel>(i));
    EXPECT_GT(w->StatusPanels().Width(TStatusPanel::Message), 900 - others - 60);
    w->close();
}

TEST_F(WindowMenusTest, HintsGoToTheFirstPanelUnlessAControlHoldsTheMouse) {
    auto w = Start();
    QStatusTipEvent tip("Export to an ini file.");
    QApplication::sendEvent(w.get(), &tip);
    EXPECT_EQ(w->StatusText(), "Export to an ini file.");
    w->SetStatusText(TStatusPanel::Message, "Knob: 64");
    w->KnobPanel().KnobRow().Knob(0)->grabMouse();
    QStatusTipEvent other("Import previously exported ini file.");
    QApplication::sendEvent(w.get(), &other);
    EXPECT_EQ(w->StatusText(), "Knob: 64");
    w->KnobPanel().KnobRow().Knob(0)->releaseMouse();
    w->close();
}

TEST_F(WindowMenusTest, StayOnTopOnlyWhileTheApplicationIsInactive) {
    auto w = Start();
    auto topmost = [&] { return w->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint); };
    auto application = [](Qt::ApplicationState state) { emit qApp->applicationStateChanged(state); };
    application(Qt::ApplicationActive);
    application(Qt::ApplicationInactive);
    EXPECT_FALSE(topmost()) << "not checked";
    w->StayOnTop().Item()->trigger(); // checked while inactive: at once
    EXPECT_TRUE(topmost());
    application(Qt::ApplicationActive);
    EXPECT_FALSE(topmost());
    EXPECT_TRUE(w->isVisible());
    application(Qt::ApplicationInactive);
    EXPECT_TRUE(topmost());
    EXPECT_TRUE(w->isVisible()) << "setting the flag hid the window";
    w->StayOnTop().Item()->trigger();
    EXPECT_FALSE(topmost());
    application(Qt::ApplicationActive);
    w->close();
}

TEST_F(WindowMenusTest, TheBackgroundTilesFromTheClientOrigin) {
    auto w = Start();
    QWidget* form = w->centralWidget();
    const QImage tile = QImage(":/bitmaps/BACKGROUND.png").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(tile.isNull());
    // A repaint of any part continues the same pattern.
    for (const QRect part : {QRect(0, 0, 80, 60), QRect(13, 7, 50, 41), QRect(101, 33, 40, 30)}) {
        QImage shot(part.size(), QImage::Format_RGB32);
        shot.fill(Qt::red);
        form->render(&shot, QPoint(), QRegion(part), QWidget::DrawWindowBackground);
        for (int y = 0; y < part.height(); y += 5)
            for (int x = 0; x < part.width(); x += 3) {
                const QPoint p = part.topLeft() + QPoint(x, y);
                ASSERT_EQ(shot.pixel(x, y), tile.pixel(p.x() % tile.width(), p.y() % tile.height()))
                    << "at " << p.x() << "," << p.y();
            }
    }
    w->close();
}

TEST_F(WindowMenusTest, ReadmeAndAbout) {
    auto w = Start();
    EXPECT_TRUE(ReadmePath().endsWith("/Readme.txt"));
    // The offscreen platform opens nothing: the failure is reported.
    HelpItem(*w, "&Readme")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Error showing Readme.txt.");

    w->AboutDetails = [] { return std::string("MIDI system: JACK\nRtMidi 5"); };
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    HelpItem(*w, "&About")->trigger();
    EXPECT_TRUE(shown.contains("Fendrel's Tonecast")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Version " + QString::fromStdString(FileVersionText()))) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Morwent")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("MIDI system: JACK<br>RtMidi 5")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString("Qt ") + qVersion())) << shown.toStdString();
    w->close();
}

} // namespace
