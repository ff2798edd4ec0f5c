#pragma once
// The application object: no exception leaves an event handler; its message
// is shown as the default handler of the platform would, and the program goes on.
#include <QApplication>

#include <functional>

class TTonecastApplication : public QApplication {
public:
    TTonecastApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Where the program's messages go instead of a box, when set (tests read them there).
    std::function<void(const QString& text)> MessageSink;
    // A message of the program: a box with its name, or the application's sink.
    static void ShowMessage(QWidget* parent, const QString& text);
    static TTonecastApplication* Instance();
};
