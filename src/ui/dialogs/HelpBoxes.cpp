#include "dialogs/HelpBoxes.h"

#include "store/ProgramNames.h"
#include "widgets/TonecastApplication.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

QString ReadmePath() {
    const QDir folder(QCoreApplication::applicationDirPath());
    const QString beside = folder.filePath("Readme.txt");
    const QString installed = folder.filePath("../share/doc/tonecast/Readme.txt");
    return QFileInfo::exists(beside) || !QFileInfo::exists(installed) ? beside : QFileInfo(installed).canonicalFilePath();
}

void ShowReadme(QWidget* parent) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(ReadmePath())))
        TTonecastApplication::ShowMessage(parent, "Error showing Readme.txt.");
}

void ShowAbout(QWidget* parent, const std::string& program, const std::string& details) {
    QString text = QString("<b>%1</b><br>Version %2<br>Morwent")
                       .arg(QString::fromStdString(program).toHtmlEscaped(),
                            QString::fromStdString(FileVersionText()).toHtmlEscaped());
    if (!details.empty()) text += "<br><br>" + QString::fromStdString(details).toHtmlEscaped().replace("\n", "<br>");
    text += QString("<br>Qt %1").arg(qVersion());
    QMessageBox::about(parent, QString("About %1").arg(QString::fromStdString(program)), text);
}
