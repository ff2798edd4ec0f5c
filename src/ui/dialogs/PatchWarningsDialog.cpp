#include "dialogs/PatchWarningsDialog.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

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

void TPatchWarningsDialog::SetWarnings(const std::vector<std::string>& warnings) {
    QString text;
    const std::size_t shown = std::min(warnings.size(), static_cast<std::size_t>(MaxShown));
    for (std::size_t i = 0; i < shown; ++i) text += QString::fromStdString(warnings[i]) + '\n';
    if (warnings.size() > shown) text += QString("... and %1 more.").arg(warnings.size() - shown);
    else text.chop(1);
    memo_->setPlainText(text);
}

void TPatchWarningsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    close_->setFocus();
}
