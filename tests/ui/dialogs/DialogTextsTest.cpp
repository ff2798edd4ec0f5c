// Every text of every dialog shows whole: with the desktop's font and with it
// one size larger (the same test runs again at a device pixel ratio of 2).
#include "dialogs/ChordEditorDialog.h"
#include "dialogs/TransposeDialog.h"
#include "dialogs/KnobEditorDialog.h"
#include "dialogs/PatchWarningsDialog.h"
#include "dialogs/ExportImportHelpDialog.h"
#include "dialogs/PatchSetChooserDialog.h"
#include "dialogs/SettingsDialog.h"

#include "WindowFixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The texts a user cannot read whole: a label narrower than its line, a
// wrapped label shorter than its lines, a button or box narrower than its caption.
std::vector<std::string> CutTexts(QWidget* dialog) {
    std::vector<std::string> cut;
    const auto name = [dialog](QWidget*, const QString& text) {
        return dialog->windowTitle().toStdString() + ": \"" + text.toStdString() + "\"";
    };
    for (QLabel* label : dialog->findChildren<QLabel*>()) {
        if (!label->isVisibleTo(dialog) || label->text().isEmpty() || label->textFormat() == Qt::RichText) continue;
        if (label->wordWrap()) {
            if (label->heightForWidth(label->contentsRect().width()) > label->contentsRect().height() + 1)
                cut.push_back(name(label, label->text()) + " wraps beyond its height");
            continue;
        }
        QString shown = label->text();
        if (label->buddy()) shown.remove(QRegularExpression("&(?!&)"));
        for (const QString& line : shown.split('\n'))
            if (label->fontMetrics().horizontalAdvance(line) > label->contentsRect().width())
                cut.push_back(name(label, line));
    }
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(dialog) || button->text().isEmpty()) continue;
        if (button->sizeHint().width() > button->width()) cut.push_back(name(button, button->text()));
    }
    return cut;
}

// Each tab of a dialog in turn, so that the texts of hidden pages are laid out and checked too.
std::vector<std::string> CutTextsOnEveryPage(QWidget* dialog) {
    QApplication::processEvents();
    std::vector<std::string> cut = CutTexts(dialog);
    for (QTabWidget* tabs : dialog->findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i) {
            tabs->setCurrentIndex(i);
            QApplication::processEvents();
            for (const std::string& c : CutTexts(dialog))
                if (std::find(cut.begin(), cut.end(), c) == cut.end()) cut.push_back(c);
        }
    return cut;
}

class DialogTextsTest : public WindowFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        normal = QApplication::font();
        QFont font = normal;
        font.setPointSizeF(font.pointSizeF() + GetParam());
        QApplication::setFont(font);
    }
    void TearDown() override {
        QApplication::setFont(normal);
        WindowFixture::TearDown();
    }
    QFont normal;
};

TEST_P(DialogTextsTest, EveryTextShowsWhole) {
    auto w = Start();
    std::vector<std::string> cut;
    const auto check = [&](QWidget* dialog) {
        ASSERT_NE(dialog, nullptr);
        for (const std::string& c : CutTextsOnEveryPage(dialog)) cut.push_back(c);
        dialog->close();
        QApplication::processEvents();
    };
    w->transposeItem->trigger();
    check(w->ChordPanel().TransposeForm());
    w->chordEditorItem->trigger();
    check(w->ChordPanel().ChordEditor());
    w->KnobPanel().setUpKnobsItem->trigger();
    check(w->KnobPanel().KnobEditor());
    w->settingsItem->trigger();
    check(w->Settings().Dialog());
    w->ProgramPanel().choosePatchSetItem->trigger();
    check(w->ProgramPanel().PatchSetChooser());
    w->ProgramPanel().patchWarnings->show();
    check(w->ProgramPanel().patchWarnings);
    for (int page = 0; page < 8; ++page) {
        TExportImportHelpDialog help(w.get());
        bool flag = false;
        QTimer::singleShot(0, [&] {
            for (const std::string& c : CutTextsOnEveryPage(&help)) cut.push_back("page " + std::to_string(page) + " " + c);
            help.reject();
        });
        help.Execute(page, flag);
    }
    EXPECT_TRUE(cut.empty()) << ::testing::PrintToString(cut);
    w->close();
}

// A status message longer than its panel leaves out its middle and shows whole as the tooltip.
TEST_F(WindowFixture, ALongStatusMessageIsElidedWithTheWholeTextAsItsTooltip) {
    auto w = Start();
    const QString text = "Opened " + QString(200, 'x') + " USB MIDI Interface Port 2 succesfully.";
    w->SetStatusText(TStatusPanel::Message, text);
    QApplication::processEvents();
    EXPECT_EQ(w->StatusText(), text);
    bool found = false;
    for (QLabel* label : w->statusBar()->findChildren<QLabel*>()) {
        if (label->toolTip() != text) continue;
        found = true;
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
        EXPECT_TRUE(label->text().startsWith("Opened ")) << label->text().toStdString();
        EXPECT_TRUE(label->text().endsWith("succesfully.")) << label->text().toStdString();
    }
    EXPECT_TRUE(found) << "no panel shows the message with its tooltip";
    w->SetStatusText(TStatusPanel::Message, "Short");
    QApplication::processEvents();
    for (QLabel* label : w->statusBar()->findChildren<QLabel*>()) EXPECT_NE(label->toolTip(), text);
    w->close();
}

INSTANTIATE_TEST_SUITE_P(FontSizes, DialogTextsTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "DesktopFont" : "OneSizeLarger"; });

} // namespace
