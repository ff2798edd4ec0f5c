// The knob row as a control, and the main window's knobs, presets and snapshots.
#include "widgets/KnobRow.h"
#include "widgets/RotaryKnob.h"
#include "widgets/PianoKeyboard.h"
#include "store/ProgramNames.h"
#include "mainwindow/MainWindow.h"
#include "widgets/TonecastApplication.h"
#include "fake/FakeMidiDriver.h"
#include "fake/FakeMidiInDriver.h"
#include "store/RegistryFile.h"

#include "WidgetHelpers.h"
#include "WindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QMenu>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using M = std::tuple<int, int, int>;

// Templates as the main window has them: a caption over a 23-pixel knob, the
// value label beside the knob's bottom.
class KnobListControlTest : public ::testing::Test {
protected:
    KnobListControlTest() {
        parent.resize(600, 100);
        caption = new TKnobLabel(&parent);
        caption->setGeometry(0, 1, 60, 12);
        knob = new TRotaryKnob(&parent);
        knob->SetPositionMax(127);
        knob->SetBounds(0, 13, 23, 23);
        value = new TKnobLabel(&parent);
        value->setGeometry(0, 24, 24, 12);
        list = std::make_unique<TKnobRow>(caption, knob, value);
        list->OnKnobChange = [this](TKnobRow*, int c, int v) { changes.emplace_back(0xB0, c, v); };
    }
    QWidget parent;
    TKnobLabel* caption;
    TRotaryKnob* knob;
    TKnobLabel* value;
    std::unique_ptr<TKnobRow> list;
    std::vector<M> changes;
};

struct ArrangeCase {
    int count;
    int areaWidth;
    int step;
    bool values;
};

class KnobArrangeTest : public KnobListControlTest, public ::testing::WithParamInterface<ArrangeCase> {};

TEST_P(KnobArrangeTest, PlacesKnobsInTwoRowsOverTheBand) {
    const ArrangeCase& c = GetParam();
    for (int i = 0; i < c.count; ++i) list->Add("K" + std::to_string(i), i, 0, 0);
    list->SetArea(100, c.areaWidth);
    const int rowHeight = 13 + 23 - 1 + 2;
    for (int i = 0; i < c.count; ++i) {
        SCOPED_TRACE(i);
        const int x = 100 + (i / 2) * c.step;
        EXPECT_EQ(list->Knob(i)->geometry(), QRect(x, 13 + (i % 2) * rowHeight, 23, 23));
        EXPECT_EQ(list->CaptionLabel(i)->geometry(), QRect(x, 1 + (i % 2) * rowHeight, c.step - 2, 12));
        EXPECT_FALSE(list->Knob(i)->isHidden());
        EXPECT_FALSE(list->CaptionLabel(i)->isHidden());
        EXPECT_EQ(list->ValueLabel(i)->isHidden(), !c.values);
        EXPECT_EQ(list->Knob(i)->ShowTrackHint, !c.values);
        if (c.values) {
            EXPECT_EQ(list->ValueLabel(i)->geometry(), QRect(x + 23, 13 + (i % 2) * rowHeight + 23 - 12, 24, 12));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, KnobArrangeTest,
                         ::testing::Values(ArrangeCase{1, 300, 92, true},  // at most four knob widths apart
                                           ArrangeCase{2, 300, 92, true},  // one column of two
                                           ArrangeCase{3, 100, 50, true},  // two columns share the band
                                           ArrangeCase{3, 90, 45, false},  // no room for the values
                                           ArrangeCase{20, 300, 30, false}, ArrangeCase{20, 100, 23, false}));

TEST_F(KnobListControlTest, TheFirstKnobIsTheTemplateAndFurtherOnesCopyIt) {
    QFont font = caption->font();
    font.setPixelSize(9);
    caption->setFont(font);
    knob->SetScaleColor(Qt::red);
    list->Add("Volume", 7, 0, 100);
    list->Add("Pan", 10, 1, 64);
    EXPECT_EQ(list->Knob(0), knob);
    EXPECT_EQ(list->CaptionLabel(0), caption);
    EXPECT_NE(list->Knob(1), knob);
    EXPECT_EQ(list->Knob(1)->parentWidget(), &parent);
    EXPECT_EQ(list->Knob(1)->ScaleColor(), QColor(Qt::red));
    EXPECT_EQ(list->Knob(1)->PositionMax(), 127);
    EXPECT_EQ(list->Knob(1)->size(), knob->size());
    EXPECT_EQ(list->CaptionLabel(1)->font().pixelSize(), 9);
    EXPECT_EQ(list->CaptionLabel(1)->text(), "Pan");
    EXPECT_EQ(list->ValueLabel(0)->text(), "100");
    EXPECT_EQ(list->ValueLabel(1)->text(), "+0");
    EXPECT_TRUE(list->Knob(1)->isHidden()); // until arranged
    EXPECT_TRUE(changes.empty()) << "adding a knob sent its value";

    QPointer<TRotaryKnob> second = list->Knob(1);
    list->Clear();
    EXPECT_TRUE(second.isNull()) << "the copies are freed";
    EXPECT_TRUE(knob->isHidden());
    EXPECT_TRUE(caption->isHidden());
    list->AddKnob("Reverb", 91, 0, 40);
    EXPECT_EQ(list->Knob(0), knob); // the templates serve again
    EXPECT_FALSE(knob->isHidden());
    EXPECT_EQ(knob->Position(), 40);
}

TEST_F(KnobListControlTest, ADoubleClickOnAnyPartResetsTheKnobAndSendsOnce) {
    list->AddKnob("Volume", 7, 0, 100);
    list->AddKnob("Pan", 10, 1, 64);
    for (QWidget* part : {static_cast<QWidget*>(list->CaptionLabel(1)), static_cast<QWidget*>(list->Knob(1)),
                          static_cast<QWidget*>(list->ValueLabel(1))}) {
        list->SetValue(1, 5);
        EXPECT_EQ(list->ValueLabel(1)->text(), "-59");
        changes.clear();
        SendMouse(part, QEvent::MouseButtonDblClick, QPoint(3, 3), Qt::LeftButton, Qt::LeftButton);
        EXPECT_EQ(list->Knob(1)->Position(), 64);
        Move(part, QPoint(3, 3), Qt::LeftButton); // a hand that does not hold still
        Release(part, QPoint(3, 3));
        EXPECT_EQ(list->Knob(1)->Position(), 64) << part->metaObject()->className();
        if (part == list->Knob(1)) {
            // The knob's press reports the old value first, as every press does.
            EXPECT_EQ(changes.front(), (M{0xB0, 10, 5}));
            EXPECT_EQ(changes.back(), (M{0xB0, 10, 64}));
        } else {
            EXPECT_EQ(changes, (std::vector<M>{{0xB0, 10, 64}})) << part->metaObject()->className();
        }
    }
    EXPECT_EQ(list->Knob(0)->Position(), 100);
}

TEST_F(KnobListControlTest, AKnobTurnedByHandSendsEveryStepAndSetValueNothing) {
    list->AddKnob("Volume", 7, 0, 100);
    list->SetValue(0, 50);
    list->ReflectController(7, 60);
    list->ReflectController(8, 1);
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(knob->Position(), 60);
    const QPoint centre(11, 11);
    Press(knob, centre);
    for (int dy = 1; dy <= 3; ++dy) Move(knob, centre - QPoint(0, dy), Qt::LeftButton);
    Release(knob, centre - QPoint(0, 3));
    EXPECT_EQ(changes, (std::vector<M>{{0xB0, 7, 60}, {0xB0, 7, 61}, {0xB0, 7, 62}, {0xB0, 7, 63}, {0xB0, 7, 63}}));
    EXPECT_EQ(value->text(), "63");
    EXPECT_EQ(list->Value(0), 63) << "the list keeps where the knob stands";
    QString hint;
    knob->OnGetTrackHint(knob, hint);
    EXPECT_EQ(hint, "Volume: 63");
    list->SetValue(0, 500);
    EXPECT_EQ(list->Value(0), 127) << "a value past the knob's end";
}

// The main window's knob row, with its settings in a registry file of its own.
class KnobWindowTest : public WindowFixture {
protected:
    void StorePreset(const std::string& name, const std::vector<std::tuple<std::string, int, int>>& knobs) {
        StoreSettings([&](TIniStore& store) {
            TKnobList list;
            for (const auto& [caption, controller, def] : knobs) list.Add(caption, controller, 0, def);
            list.Save(store, "KnobPresets\\" + name);
        });
    }
    static QAction* PresetItem(TMainWindow& w, const QString& name) {
        for (QAction* a : w.KnobPanel().PresetItems())
            if (a->data().toString() == name) return a;
        return nullptr;
    }
    static std::vector<std::string> Captions(TMainWindow& w) {
        std::vector<std::string> c;
        for (int i = 0; i < w.KnobPanel().KnobRow().Count(); ++i) c.push_back(w.KnobPanel().KnobRow().Caption(i));
        return c;
    }
    // Answers the next input box with a name, or cancels it when the name is empty.
    void AnswerInputBox(const QString& name) {
        QTimer::singleShot(0, [name, this] {
            auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            if (!box) return;
            asked.push_back(box->windowTitle().toStdString() + "|" + box->labelText().toStdString() + "|" +
                            box->textValue().toStdString());
            if (name.isEmpty()) {
                box->reject();
            } else {
                box->setTextValue(name);
                box->accept();
            }
        });
    }

    std::vector<std::string> asked;
};

TEST_F(KnobWindowTest, FirstStartShowsTheVolumeKnobThatSendsController7) {
    auto w = Start();
    ASSERT_EQ(w->KnobPanel().KnobRow().Count(), 1);
    EXPECT_EQ(w->KnobPanel().KnobRow().Caption(0), "Volume");
    EXPECT_EQ(w->KnobPanel().KnobRow().Controller(0), 7);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 100);
    EXPECT_FALSE(w->KnobPanel().KnobRow().Knob(0)->isHidden());
    EXPECT_TRUE(PresetItem(*w, "Default")->isChecked());
    EXPECT_TRUE(out.sent.empty());
    w->keyboard->State().SetChannel(3);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(w->KnobPanel().KnobRow().Knob(0), &down);
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB3, 7, 99}}));
    // The band follows the window's width.
    const int before = w->KnobPanel().KnobRow().AreaWidth();
    w->resize(w->width() + 100, w->height());
    EXPECT_EQ(w->KnobPanel().KnobRow().AreaWidth(), before + 100);
    w->close();
}

TEST_F(KnobWindowTest, ControlChangesOnAnyChannelMoveEveryKnobOnThatController) {
    in.devices = {"Keys"};
    auto w = Start();
    w->KnobPanel().KnobRow().AddKnob("Expression", 11, 0, 127);
    w->KnobPanel().KnobRow().AddKnob("Volume 2", 7, 0, 0);
    ASSERT_TRUE(in.IsOpen());
    in.InjectShort(0xB4 | (7 << 8) | (55 << 16), 0);
    QElapsedTimer t;
    t.start();
    while (w->KnobPanel().KnobRow().Knob(0)->Position() != 55 && t.elapsed() < 1000) QApplication::processEvents();
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 55);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(2)->Position(), 55);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(1)->Position(), 127);
    EXPECT_TRUE(out.sent.empty()) << "input moved the knobs and was sent";
    // A knob turned by hand moves its twin through what is sent.
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QApplication::sendEvent(w->KnobPanel().KnobRow().Knob(2), &up);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 56);
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB0, 7, 56}}));
    w->close();
}

TEST_F(KnobWindowTest, ASnapshotIsDefinedByNameAndRecalledInStoredOrder) {
    auto w = Start();
    w->KnobPanel().KnobRow().AddKnob("Pan", 10, 1, 64);
    w->KnobPanel().KnobRow().AddKnob("Volume 2", 7, 0, 3);
    w->keyboard->State().SetChannel(1);
    EXPECT_FALSE(w->KnobPanel().snapshotItems[1]->isEnabled());

    AnswerInputBox(""); // cancelled: nothing changes
    w->KnobPanel().defineItems[1]->trigger();
    EXPECT_EQ(asked, (std::vector<std::string>{"Snapshot name|Please enter a name for this Snapshot:|Snapshot 2"}));
    EXPECT_FALSE(w->KnobPanel().snapshotItems[1]->isEnabled());
    EXPECT_EQ(w->KnobPanel().snapshotItems[1]->text(), "&2 Snapshot 2");

    AnswerInputBox("Strings");
    w->KnobPanel().defineItems[1]->trigger();
    EXPECT_EQ(w->KnobPanel().snapshotItems[1]->text(), "&2 Strings");
    EXPECT_EQ(w->KnobPanel().snapshotItems[1]->statusTip(), "07640A40");
    EXPECT_TRUE(w->KnobPanel().snapshotItems[1]->isEnabled());
    EXPECT_EQ(w->KnobPanel().snapshotItems[1]->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(w->KnobPanel().defineItems[1]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F6));
    EXPECT_TRUE(out.sent.empty());

    w->KnobPanel().KnobRow().SetValue(0, 1);
    w->KnobPanel().KnobRow().SetValue(1, 2);
    w->KnobPanel().snapshotItems[1]->trigger();
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB1, 7, 100}, {0xB1, 10, 64}}));
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 100);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(1)->Position(), 64);
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(2)->Position(), 100); // moved with its controller

    // The snapshots come back after a restart, and a free slot leaves nothing behind.
    w->close();
    w.reset();
    EXPECT_EQ(SettingsText().find("Values1"), std::string::npos);
    w = Start();
    EXPECT_EQ(w->KnobPanel().snapshotItems[1]->text(), "&2 Strings");
    EXPECT_TRUE(w->KnobPanel().snapshotItems[1]->isEnabled());
    EXPECT_FALSE(w->KnobPanel().snapshotItems[0]->isEnabled());
    w->KnobPanel().snapshotItems[1]->trigger(); // on the channel of this run: the keyboard's saved one
    EXPECT_EQ(SentMessages(out), (std::vector<M>{{0xB1, 7, 100}, {0xB1, 10, 64}}));

    // Without knobs, defining asks nothing.
    w->KnobPanel().KnobRow().Clear();
    asked.clear();
    AnswerInputBox("Never");
    w->KnobPanel().defineItems[0]->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(asked.empty());
    EXPECT_FALSE(w->KnobPanel().snapshotItems[0]->isEnabled());
    w->close();
}

TEST_F(KnobWindowTest, APresetChosenInTheMenuComesBackAfterARestart) {
    StorePreset("Strings", {{"Attack", 73, 20}, {"Release", 72, 30}});
    StorePreset("default", {{"Never", 1, 1}});
    StorePreset("brass", {{"Bright", 74, 90}});
    auto w = Start();
    std::vector<QString> items;
    for (QAction* a : w->KnobPanel().PresetItems()) items.push_back(a->text());
    EXPECT_EQ(items, (std::vector<QString>{"brass", "Default", "Strings"}));
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"Volume"}));

    PresetItem(*w, "Strings")->trigger();
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"Attack", "Release"}));
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(1)->Position(), 30);
    EXPECT_TRUE(PresetItem(*w, "Strings")->isChecked());
    EXPECT_FALSE(PresetItem(*w, "Default")->isChecked());
    EXPECT_TRUE(out.sent.empty()) << "loading a preset sent its values";
    // A checked item does nothing; the knobs keep their values.
    w->KnobPanel().KnobRow().SetValue(0, 5);
    PresetItem(*w, "Strings")->trigger();
    EXPECT_EQ(w->KnobPanel().KnobRow().Knob(0)->Position(), 5);
    w->close();
    w.reset();

    // The menu is made when it opens: a start that never opened it keeps the choice too.
    for (int start = 0; start < 2; ++start) {
        w = Start();
        EXPECT_EQ(w->KnobPanel().KnobPreset(), "Strings");
        EXPECT_EQ(Captions(*w), (std::vector<std::string>{"Attack", "Release"}));
        w->close();
        w.reset();
    }
    w = Start();
    EXPECT_TRUE(PresetItem(*w, "Strings")->isChecked());
    w->close();
}

TEST_F(KnobWindowTest, APresetWhoseKeyIsGoneSelectsDefault) {
    StorePreset("Strings", {{"Attack", 73, 20}});
    auto w = Start();
    StoreSettings([](TIniStore& store) { store.EraseSection("KnobPresets\\Strings"); });
    PresetItem(*w, "Strings")->trigger(); // a stale menu item
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Default");
    EXPECT_TRUE(PresetItem(*w, "Default")->isChecked());
    EXPECT_FALSE(PresetItem(*w, "Strings")->isChecked());
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"Volume"}));
    w->close();
}

TEST_F(KnobWindowTest, KnobsOfNoPresetComeBackAsCurrent) {
    auto w = Start();
    for (QAction* a : w->KnobPanel().PresetItems()) a->setChecked(false); // as the knob editor leaves it
    w->KnobPanel().KnobRow().AddKnob("Cutoff", 74, 0, 64);
    w->close();
    w.reset();
    const std::string settings = SettingsText();
    EXPECT_NE(settings.find("\"Knob Preset\"=\"Current\""), std::string::npos) << settings;
    EXPECT_NE(settings.find("KnobPresets\\Current]"), std::string::npos) << settings;

    w = Start();
    EXPECT_EQ(w->KnobPanel().KnobPreset(), "Current");
    EXPECT_EQ(Captions(*w), (std::vector<std::string>{"Volume", "Cutoff"}));
    for (QAction* a : w->KnobPanel().PresetItems()) EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
    EXPECT_EQ(PresetItem(*w, "Current"), nullptr); // never listed
    w->close();
}

} // namespace
