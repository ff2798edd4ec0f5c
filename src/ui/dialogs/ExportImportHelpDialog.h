#pragma once
// The explanation shown before an export or import: what the command does,
// "Don't show this again", and for the imports that replace or add, which.
#include <QDialog>

class QCheckBox;
class QLabel;
class QRadioButton;
class QStackedWidget;

class TExportImportHelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit TExportImportHelpDialog(QWidget* mainWindow);

    // Shows the page modally; on OK the flag takes the check box, or on pages
    // 5 and 7 the "overwrite" choice. True when OK was pressed. The dialog
    // outlives its closing: the caller owns it.
    bool Execute(int page, bool& flag);

    static QString PageCaption(int page);

    QLabel* titleLabel;
    QStackedWidget* pages;
    QLabel* hintLabel;
    QCheckBox* dontShowCheck;
    QRadioButton* overwritePresetsRadio;
    QRadioButton* addPresetsRadio;
    QRadioButton* overwriteChordsRadio;
    QRadioButton* addChordsRadio;

private:
    QWidget* Page(const QStringList& texts, QRadioButton* overwrite = nullptr, QRadioButton* add = nullptr);
    QWidget* settingsPage_;
    QList<QLabel*> exportTexts_, importTexts_;
};
