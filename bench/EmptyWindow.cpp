// The least a Qt Widgets program does to show a main window: the yardstick
// for the program's own first window. With --text it also has a menu bar and
// a line of text, the least a window with words on it costs (fonts, shaping).
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Empty window");
    window.resize(640, 180);
    if (argc > 1 && std::strcmp(argv[1], "--text") == 0) {
        window.menuBar()->addMenu("&File");
        window.setCentralWidget(new QLabel("A line of text"));
    }
    window.show();
    return app.exec();
}
