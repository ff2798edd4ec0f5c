#include "widgets/TonecastApplication.h"

#include "widgets/QtServices.h"

#include <exception>

TTonecastApplication::TTonecastApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TTonecastApplication* TTonecastApplication::Instance() { return dynamic_cast<TTonecastApplication*>(qApp); }

void TTonecastApplication::ShowMessage(QWidget* parent, const QString& text) {
    TTonecastApplication* app = Instance();
    if (app && app->MessageSink) app->MessageSink(text);
    else ShowMessageBox(parent, text);
}

bool TTonecastApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowMessage(activeWindow(), QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowMessage(activeWindow(), "Unknown error");
    }
    return true;
}
