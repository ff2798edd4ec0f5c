#include "dialogs/WindowPlacement.h"

#include "widgets/QtServices.h"

#include <QWidget>

namespace {
TRect ToRect(const QRect& r) { return TRect{r.left(), r.top(), r.width(), r.height()}; }

// Position of the frame, size of the client area: what move() and resize() take.
TRect WindowRect(const QWidget* w) { return TRect{w->x(), w->y(), w->width(), w->height()}; }

// The main window is the one without an owner; dialogs belong to it.
bool IsMainWindow(const QWidget* w) { return !w->parentWidget(); }

TWindowState StateOf(const QWidget* w) {
    if (w->isMinimized()) return TWindowState::Minimized;
    if (w->isMaximized()) return TWindowState::Maximized;
    return TWindowState::Normal;
}
} // namespace

void SaveFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                       const std::string& prefix) {
    TPlacementSource source;
    source.workArea = ToRect(WorkArea(window));
    source.windowRect = WindowRect(window);
    source.state = StateOf(window);
    if (source.state != TWindowState::Normal) {
        // The system keeps the normal rectangle of the client area; restoring
        // moves the frame, so the frame's position is what is stored.
        const QPoint frame = window->geometry().topLeft() - window->pos();
        TRect normal = ToRect(window->normalGeometry());
        normal.left -= source.workArea.left + frame.x();
        normal.top -= source.workArea.top + frame.y();
        source.normalRect = normal;
    }
    source.isMainWindow = IsMainWindow(window);
    source.applicationMinimized = source.isMainWindow && window->isMinimized();
    source.visible = window->isVisible();
    source.style = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? 3 : 0;
    SavePlacement(source, store, section, flags, prefix);
}

void RestoreFormPlacement(QWidget* window, TIniStore& store, const std::string& section, int flags,
                          const std::string& prefix) {
    TPlacementTarget target;
    target.current = WindowRect(window);
    target.workArea = ToRect(WorkArea(window));
    QWidget* owner = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    if (owner && owner->isVisible()) target.visibleOwner = ToRect(owner->frameGeometry());
    target.isMainWindow = IsMainWindow(window);
    target.state = StateOf(window);
    target.style = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) ? 3 : 0;

    TPlacementResult result = RestorePlacement(target, store, section, flags, prefix);
    window->move(result.rect.left, result.rect.top);
    window->resize(result.rect.width, result.rect.height);
    if (result.state == TWindowState::Minimized) window->setWindowState(Qt::WindowMinimized);
    else if (result.state == TWindowState::Maximized) window->setWindowState(Qt::WindowMaximized);
    if (result.style && (*result.style == 3) != (target.style == 3))
        window->setWindowFlag(Qt::WindowStaysOnTopHint, *result.style == 3);
    if (result.visible && !target.isMainWindow) window->setVisible(*result.visible);
}

void RestoreDialogPosition(QWidget* dialog, const TSettingsOpener& open, const std::string& section) {
    try {
        if (auto store = open()) RestoreFormPlacement(dialog, *store, section, pfPosition, "Form");
    } catch (const EStoreError&) {
    }
}

void SaveDialogPosition(QWidget* dialog, const TSettingsOpener& open, const std::string& section) {
    try {
        if (auto store = open()) {
            SaveFormPlacement(dialog, *store, section, pfPosition, "Form");
            store->Close();
        }
    } catch (const EStoreError&) {
    }
}

void PresentDialog(QWidget* dialog) {
    if (dialog->isMinimized()) dialog->showNormal();
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
