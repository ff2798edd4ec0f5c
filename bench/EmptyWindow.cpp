// The least a Qt Widgets program does to show a main window: the yardstick
// for the program's own first window.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Empty window");
    window.resize(640, 180);
    window.show();
    return app.exec();
}
