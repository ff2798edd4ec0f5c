#include "dialogs/PatchWarningsDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TPatchWarningsDialog::TPatchWarningsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Warnings and Errors");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(" The following warnings and/or errors occured:", this));
    memo_ = new QPlainTextEdit(this);
    memo_->setReadOnly(true);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(memo_, 1);
    close_ = new QPushButton("Close", this);
    close_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close_, 0, Qt::AlignRight);
    resize(480, 320);
}

void TPatchWarningsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    close_->setFocus();
}
