#include "widgets/KeyboardHook.h"

#include "instrument/KeySim.h"
#include "instrument/KeyMap.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

// The application's one filter for all active hooks, a child of the
// application found by its name, removed with the last hook.
class THookFilter : public QObject {
public:
    static constexpr const char* Name = "keyboard hooks";
    explicit THookFilter(QObject* application) : QObject(application) {
        setObjectName(Name);
        application->installEventFilter(this);
    }
    static THookFilter* Find() {
        return qApp ? static_cast<THookFilter*>(qApp->findChild<QObject*>(Name, Qt::FindDirectChildrenOnly)) : nullptr;
    }

    std::vector<TKeyboardHook*> active;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
        // Each key once, at its first widget: the open popup's, else the focused
        // one, or a window without one. A key released while a popup is open
        // still ends its note.
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget) return false;
        QWidget* focus = QApplication::focusWidget();
        if (QWidget* popup = QApplication::activePopupWidget()) focus = popup->focusWidget() ? popup->focusWidget() : popup;
        if (focus ? widget != focus : !widget->isWindow()) return false;
        const TKeyData data = KeyDataFromEvent(*static_cast<QKeyEvent*>(event));
        bool handled = false;
        const std::vector<TKeyboardHook*> hooks = active; // a handler may change the list
        for (TKeyboardHook* hook : hooks) {
            if (!hook->OnKey) continue;
            try {
                bool h = false;
                hook->OnKey(hook, data, h);
                handled = handled || h;
            } catch (const std::exception&) {
                // A failing handler must not lose the key for the others.
            }
        }
        return handled;
    }
};

std::optional<Qt::Key> QtKeyOf(std::uint8_t vk) {
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return static_cast<Qt::Key>(vk);
    if (vk >= 0x70 && vk <= 0x7B) return static_cast<Qt::Key>(Qt::Key_F1 + (vk - 0x70));
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x10: return Qt::Key_Shift;
    case 0x11: return Qt::Key_Control;
    case 0x12: return Qt::Key_Alt;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    default: break;
    }
    if (char c = KeyMap::VirtualKeyToChar(vk)) return static_cast<Qt::Key>(static_cast<unsigned char>(c));
    return std::nullopt;
}

} // namespace

TKeyboardHook::~TKeyboardHook() { Deactivate(); }

void TKeyboardHook::Activate() {
    THookFilter* filter = THookFilter::Find();
    if (!filter) filter = new THookFilter(qApp);
    if (std::find(filter->active.begin(), filter->active.end(), this) == filter->active.end())
        filter->active.push_back(this);
}

void TKeyboardHook::Deactivate() {
    THookFilter* filter = THookFilter::Find();
    if (!filter) return;
    std::erase(filter->active, this);
    if (filter->active.empty()) delete filter; // removes itself from the application
}

bool TKeyboardHook::IsActive() const {
    const THookFilter* filter = THookFilter::Find();
    return filter && std::find(filter->active.begin(), filter->active.end(), this) != filter->active.end();
}

TKeyData KeyDataFromEvent(const QKeyEvent& event) {
    TKeyData d;
    d.scanCode = KeyMap::NativeToScanCode(event.nativeScanCode(), d.extended);
    const bool repeat = event.isAutoRepeat();
    d.keyUp = event.type() == QEvent::KeyRelease && !repeat;
    // An auto-repeat comes as a release and a press of a key that stays down.
    d.wasDown = repeat || d.keyUp;
    d.virtualKey = KeyMap::ScanCodeToVirtualKey(d.scanCode, d.extended);
    const Qt::KeyboardModifiers m = event.modifiers();
    d.altDown = m & Qt::AltModifier;
    d.shiftState = ShiftStateOf(m);
    const QString text = event.text();
    if (!text.isEmpty() && text[0].unicode() < 256) d.character = std::string(1, static_cast<char>(text[0].unicode()));
    return d;
}

int ShiftStateOf(Qt::KeyboardModifiers m) {
    int shift = 0;
    if (m & Qt::ShiftModifier) shift |= ssShift;
    if (m & Qt::ControlModifier) shift |= ssCtrl;
    if (m & Qt::AltModifier) shift |= ssAlt;
    // AltGr, which Qt reports as a group switch, is Ctrl+Alt as on the system the keys come from.
    if (m & Qt::GroupSwitchModifier) shift |= ssCtrl | ssAlt;
    return shift;
}

int GetShiftState() { return ShiftStateOf(QGuiApplication::queryKeyboardModifiers()); }

TKeyStrokeSender QtKeyStrokes() {
    return [](std::uint8_t vk, bool keyUp, bool extended) {
        QWidget* target = QApplication::focusWidget();
        auto key = QtKeyOf(vk);
        if (!target || !key) return;
        bool ext = false;
        const std::uint8_t scan = KeyMap::VirtualKeyToScanCode(vk, &ext);
        const quint32 native = KeyMap::ScanCodeToNative(scan, extended || ext);
        const char c = KeyMap::VirtualKeyToChar(vk);
        const QString text = c ? QString(QChar(static_cast<unsigned char>(std::tolower(c)))) : QString();
        QApplication::postEvent(target, new QKeyEvent(keyUp ? QEvent::KeyRelease : QEvent::KeyPress, *key,
                                                      Qt::NoModifier, native, vk, 0, text));
    };
}
