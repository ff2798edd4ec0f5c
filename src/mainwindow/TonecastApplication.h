#pragma once
// The application object: no exception leaves an event handler; its message
// is shown as the default handler of the platform would, and the program goes on.
#include <QApplication>

class TTonecastApplication : public QApplication {
public:
    TTonecastApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
