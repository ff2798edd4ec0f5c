#pragma once
// The warnings window: lists the warnings and errors of a patch script load.
#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

class TPatchWarningsDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxShown = 1000;

    explicit TPatchWarningsDialog(QWidget* parent = nullptr);
    // The first MaxShown warnings, set at once, and how many more there were.
    void SetWarnings(const std::vector<std::string>& warnings);
    QPlainTextEdit* Memo() const { return memo_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* memo_;
    QPushButton* close_;
};
