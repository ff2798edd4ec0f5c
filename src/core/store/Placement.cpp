#include "store/Placement.h"

#include <exception>

void SavePlacement(const TPlacementSource& w, TIniStore& store, const std::string& section,
                   int flags, const std::string& prefix) {
    try {
        TRect r = w.normalRect.value_or(TRect{w.windowRect.left - w.workArea.left,
                                              w.windowRect.top - w.workArea.top,
                                              w.windowRect.width, w.windowRect.height});
        if (flags & pfPosition) {
            store.WriteInteger(section, prefix + "Top", r.top);
            store.WriteInteger(section, prefix + "Left", r.left);
        }
        if (flags & pfSize) {
            store.WriteInteger(section, prefix + "Height", r.height);
            store.WriteInteger(section, prefix + "Width", r.width);
        }
        if (flags & (pfMinimized | pfMaximized)) {
            int state = 0;
            if (w.isMainWindow && w.applicationMinimized)
                state = (flags & pfMinimized) ? 1 : 0;
            else if (w.state == TWindowState::Minimized && (flags & pfMinimized))
                state = 1;
            else if (w.state == TWindowState::Maximized && (flags & pfMaximized))
                state = 2;
            store.WriteInteger(section, prefix + "State", state);
        }
        if (flags & pfVisibility) store.WriteBool(section, prefix + "Visible", w.visible);
        if (flags & pfStyle) store.WriteInteger(section, prefix + "Style", w.style);
    } catch (const std::exception&) {
        // A placement that cannot be saved is not worth bothering the user with.
    }
}

TRect KeepOnWorkArea(TRect r, const TRect& area, bool cutSize) {
    if (cutSize) {
        if (r.width > area.width) r.width = area.width;
        if (r.height > area.height) r.height = area.height;
    }
    if (r.left > area.right()) r.left = area.right() - 30;
    if (r.left + r.width - 30 < area.left) r.left = area.left + 30 - r.width;
    if (r.top > area.bottom()) r.top = area.bottom() - 30;
    if (r.top < area.top) r.top = area.top;
    return r;
}

TPlacementResult RestorePlacement(const TPlacementTarget& w, TIniStore& store,
                                  const std::string& section, int flags,
                                  const std::string& prefix) {
    TPlacementResult result;
    result.rect = w.current;
    try {
        TRect r = w.current;
        if (flags & pfSize) {
            r.height = store.ReadInteger(section, prefix + "Height", r.height);
            r.width = store.ReadInteger(section, prefix + "Width", r.width);
        }
        if (flags & pfPosition) {
            int top = store.ReadInteger(section, prefix + "Top", PlacementUnset);
            int left = store.ReadInteger(section, prefix + "Left", PlacementUnset);
            if (top == PlacementUnset || left == PlacementUnset) {
                const TRect& around = w.visibleOwner ? *w.visibleOwner : w.workArea;
                r.left = around.left + around.width / 2 - r.width / 2;
                r.top = around.top + around.height / 2 - r.height / 2;
            } else {
                r.left = w.workArea.left + left;
                r.top = w.workArea.top + top;
            }
        }
        result.rect = KeepOnWorkArea(r, w.workArea, flags & pfSize);
        if (flags & (pfMinimized | pfMaximized)) {
            int state = store.ReadInteger(section, prefix + "State", static_cast<int>(w.state));
            if (state == 1 && (flags & pfMinimized)) result.state = TWindowState::Minimized;
            else if (state == 2 && (flags & pfMaximized)) result.state = TWindowState::Maximized;
        }
        if (flags & pfStyle) {
            result.style = store.ReadInteger(section, prefix + "Style", w.style);
            if ((flags & pfPosition) && *result.style == 3) result.autoPositionOff = true;
        }
        if (flags & pfVisibility)
            result.visible = store.ReadBool(section, prefix + "Visible", w.isMainWindow);
    } catch (const std::exception&) {
        // A broken placement leaves the window where it was.
    }
    return result;
}
