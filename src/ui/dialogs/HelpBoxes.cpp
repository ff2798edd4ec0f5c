#include "dialogs/HelpBoxes.h"

#include "dialogs/ShippedFiles.h"
#include "store/ProgramNames.h"
#include "widgets/TonecastApplication.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

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
