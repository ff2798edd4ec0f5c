#pragma once
// The warnings window: lists the warnings and errors of a patch script load.
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TPatchWarningsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TPatchWarningsDialog(QWidget* parent = nullptr);
    QPlainTextEdit* Memo() const { return memo_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QPlainTextEdit* memo_;
    QPushButton* close_;
};
