#include "widgets/QtServices.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <X11/XKBlib.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A signal handler reaches nothing but globals: the socket pair that carries
// the signal to the event loop is the one the operating system requires.
int g_signalFds[2] = {-1, -1};

void SignalToSocket(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(g_signalFds[0], &byte, 1);
}
} // namespace

void ShowMessageBox(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationName(), text);
}

QRect WorkArea(const QWidget* window) {
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return QRect(0, 0, 1024, 768);
    QRect area = screen->availableGeometry();
    return area.isValid() ? area : screen->geometry();
}

int ScreenDepth() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

void OnTerminationSignal(std::function<void()> handler) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalFds) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [handler] {
        char byte;
        [[maybe_unused]] ssize_t n = ::read(g_signalFds[1], &byte, 1);
        handler();
    });
    struct sigaction action {};
    action.sa_handler = SignalToSocket;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void UseDetectableAutoRepeat() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return;
    Bool supported = False;
    XkbSetDetectableAutoRepeat(x11->display(), True, &supported);
}

qreal PaintedPixelRatio(QPainter& painter) {
    QPaintEngine* engine = painter.paintEngine();
    QPaintDevice* device = engine && engine->paintDevice() ? engine->paintDevice() : painter.device();
    return device ? device->devicePixelRatioF() : 1.0;
}
