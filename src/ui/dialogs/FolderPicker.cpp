#include "dialogs/FolderPicker.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

TFolderPicker::TFolderPicker(QWidget* owner) : QObject(owner), owner_(owner) { SetDirectory(QString()); }

void TFolderPicker::SetDirectory(const QString& directory) {
    QString d = directory;
    if (d.size() > 1 && (d.endsWith('/') || d.endsWith('\\'))) d.chop(1);
    directory_ = d.isEmpty() ? QDir::currentPath() : d;
    if (dialog_) dialog_->setDirectory(directory_);
}

void TFolderPicker::SetStatusText(const QString& text) {
    statusText_ = text;
    if (dialog_ && ShowStatus) dialog_->setLabelText(QFileDialog::FileName, text);
}

bool TFolderPicker::Execute() {
    const QString root = RootItem == TRootItem::Desktop
                             ? QStandardPaths::writableLocation(QStandardPaths::DesktopLocation)
                             : QDir::rootPath();
    if (root.isEmpty()) return false;
    QFileDialog dialog(owner_ ? owner_ : QApplication::activeWindow(), Title, directory_);
    dialog.setFileMode(QFileDialog::Directory);
    // Our own dialog, not the desktop's: it reports the folder the user is on.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    dialog.setSidebarUrls({QUrl::fromLocalFile(root), QUrl::fromLocalFile(QDir::homePath())});
    if (ShowStatus) dialog.setLabelText(QFileDialog::FileName, statusText_);
    connect(&dialog, &QFileDialog::currentChanged, this, [this](const QString& path) {
        if (OnSelect) OnSelect(this, QFileInfo(path).isDir() ? path : QString());
    });
    dialog_ = &dialog;
    QTimer::singleShot(0, this, [this] {
        if (dialog_ && OnShow) OnShow(this);
    });
    const bool chosen = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
    dialog_ = nullptr;
    if (!chosen) return false;
    const QString path = dialog.selectedFiles().front();
    if (!QFileInfo(path).isDir()) return false;
    directory_ = path;
    return true;
}
