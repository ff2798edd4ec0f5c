#pragma once
// A folder picker: the platform's folder dialog with a title, a starting
// folder and events while it is open.
#include <QFileDialog>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

enum class TRootItem { MyComputer, Desktop };

class TFolderPicker : public QObject {
    Q_OBJECT
public:
    explicit TFolderPicker(QWidget* owner);

    QString Title;
    bool ShowStatus = false;
    TRootItem RootItem = TRootItem::MyComputer;
    bool NewStyle = true;
    int Tag = 0;
    std::function<void(TFolderPicker* sender)> OnShow;
    // The folder now selected in the open dialog; empty for an item that is no folder.
    std::function<void(TFolderPicker* sender, const QString& path)> OnSelect;

    const QString& Directory() const { return directory_; }
    // One trailing separator is dropped; empty stands for the current folder.
    void SetDirectory(const QString& directory);
    const QString& StatusText() const { return statusText_; }
    void SetStatusText(const QString& text);

    // True when a folder was chosen; Directory then holds it.
    bool Execute();
    QFileDialog* OpenDialog() const { return dialog_; }

private:
    QWidget* owner_;
    QString directory_;
    QString statusText_;
    QPointer<QFileDialog> dialog_;
};
