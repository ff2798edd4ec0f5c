#include "dialogs/ExportImportHelpDialog.h"

#include "widgets/QtServices.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
const char* const Captions[] = {"Export Settings", "Export Knob Presets", "Export Knob Snapshots", "Export Chords",
                                "Import Settings", "Import Knob Presets", "Import Knob Snapshots", "Import Chords"};

QLabel* Text(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}
} // namespace

QString TExportImportHelpDialog::PageCaption(int page) { return Captions[page]; }

TExportImportHelpDialog::TExportImportHelpDialog(QWidget* mainWindow) : QDialog(mainWindow) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    titleLabel = new QLabel;
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    titleLabel->setAlignment(Qt::AlignCenter);

    // Page 0 serves export and import of the settings alike.
    settingsPage_ = new QWidget;
    auto* settings = new QVBoxLayout(settingsPage_);
    exportTexts_ = {Text("With this function, you export your settings to an ini file."),
                    Text("After saving, you can restore the settings again with the Import Settings function in the menu.")};
    importTexts_ = {Text("With this function, you import your settings from a previously exported ini file."),
                    Text("You can save an ini file with the Export Settings function in the menu.")};
    settings->addWidget(exportTexts_[0]);
    settings->addWidget(importTexts_[0]);
    settings->addWidget(Text("These settings include \n- window size and position\n- which patch, chord, knob preset is "
                             "selected\n- Keyboard settings (like key width)\n- mouse wheel assignment\n- joystick "
                             "assignment\n- most other options of the settings dialog."));
    settings->addWidget(exportTexts_[1]);
    settings->addWidget(importTexts_[1]);

    overwritePresetsRadio = new QRadioButton("Overwrite existing knob presets");
    addPresetsRadio = new QRadioButton("Add to existing knob presets");
    overwriteChordsRadio = new QRadioButton("Overwrite existing chords");
    addChordsRadio = new QRadioButton("Add to existing chords");
    pages = new QStackedWidget;
    pages->addWidget(settingsPage_);
    pages->addWidget(Page({"With this function, you export your knob presets to an ini file.",
                           "After saving, you can load the knob presets again with the Import Knob Presets function in the menu."}));
    pages->addWidget(Page({"With this function, you export your knob snapshots to an ini file.",
                           "After saving, you can load the knob snapshots again with the Import Knob Snapshots function in the menu."}));
    pages->addWidget(Page({"With this function, you export your self made chords to an ini file.",
                           "After saving, you can load the chords again with the Import Chords function in the menu."}));
    pages->addWidget(new QWidget); // page 4: page 0 is shown instead
    pages->addWidget(Page({"With this function, you import knob presets from an ini file.",
                           "These presets must have been exported previously with the Export Knob Preset function in the menu.",
                           "Please choose:"},
                          overwritePresetsRadio, addPresetsRadio));
    pages->addWidget(Page({"With this function, you import knob snapshots from an ini file.",
                           "These snapshots must have been exported previously with the Export Knob Snapshots function in the menu."}));
    pages->addWidget(Page({"With this function, you import chords from an ini file.",
                           "These chords must have been exported previously with the Export Chords function in the menu.",
                           "Please choose:"},
                          overwriteChordsRadio, addChordsRadio));

    hintLabel = Text("This is helpful when you want to transfer your settings to another computer, give them to a friend, "
                     "or you have to reinstall Windows.");
    auto* bottom = new QWidget;
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->addWidget(Text("Click OK to continue, or Cancel to cancel this operation."));
    dontShowCheck = new QCheckBox("Don't show this again");
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(dontShowCheck);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    bottomLayout->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(pages);
    layout->addWidget(hintLabel);
    layout->addWidget(bottom);
    setFixedWidth(420);
}

QWidget* TExportImportHelpDialog::Page(const QStringList& texts, QRadioButton* overwrite, QRadioButton* add) {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    for (const QString& text : texts) layout->addWidget(Text(text));
    if (overwrite) {
        layout->addWidget(overwrite);
        layout->addWidget(add);
    }
    layout->addStretch();
    return page;
}

bool TExportImportHelpDialog::Execute(int page, bool& flag) {
    dontShowCheck->setChecked(flag);
    setWindowTitle(PageCaption(page));
    titleLabel->setText(PageCaption(page));
    hintLabel->setVisible(page <= 3);
    const bool settings = page == 0 || page == 4;
    pages->setCurrentIndex(settings ? 0 : page);
    for (QLabel* l : exportTexts_) l->setVisible(page == 0);
    for (QLabel* l : importTexts_) l->setVisible(page == 4);
    (flag ? overwritePresetsRadio : addPresetsRadio)->setChecked(true);
    (flag ? overwriteChordsRadio : addChordsRadio)->setChecked(true);
    dontShowCheck->setVisible(page != 5 && page != 7);
    // As high as this page needs: the others' sizes do not count.
    for (int i = 0; i < pages->count(); ++i)
        pages->widget(i)->setSizePolicy(QSizePolicy::Ignored, i == pages->currentIndex() ? QSizePolicy::Preferred
                                                                                          : QSizePolicy::Ignored);
    setFixedHeight(sizeHint().height());
    // Centred over the main window, kept on the work area.
    if (QWidget* main = parentWidget()) {
        QRect r(QPoint(), size());
        r.moveCenter(main->frameGeometry().center());
        const QRect area = WorkArea(main);
        r.moveLeft(std::clamp(r.left(), area.left(), std::max(area.left(), area.right() - r.width())));
        r.moveTop(std::clamp(r.top(), area.top(), std::max(area.top(), area.bottom() - r.height())));
        move(r.topLeft());
    }
    if (exec() != QDialog::Accepted) return false;
    flag = page == 5 ? overwritePresetsRadio->isChecked() : page == 7 ? overwriteChordsRadio->isChecked() : dontShowCheck->isChecked();
    return true;
}
