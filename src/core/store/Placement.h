#pragma once
// Saving and restoring where a window stands, as plain arithmetic on
// rectangles; FormPlacement applies it to real windows.
#include "store/IniStore.h"

#include <optional>
#include <string>

struct TRect {
    int left = 0, top = 0, width = 0, height = 0;
    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const TRect&) const = default;
};

enum class TWindowState { Normal = 0, Minimized = 1, Maximized = 2 };

enum TPlacementFlag : int {
    pfSize = 1,
    pfPosition = 2,
    pfMaximized = 4,
    pfMinimized = 8,
    pfVisibility = 16,
    pfStyle = 32,
};

inline constexpr int PlacementUnset = -10000;

struct TPlacementSource {
    std::optional<TRect> normalRect; // relative to the work area, when the system gives it
    TRect windowRect;                // absolute
    TRect workArea;
    bool isMainWindow = false;
    bool applicationMinimized = false;
    TWindowState state = TWindowState::Normal;
    bool visible = true;
    int style = 0; // 0 normal, 3 stay on top
};

struct TPlacementTarget {
    TRect current; // absolute
    TRect workArea;
    std::optional<TRect> visibleOwner;
    bool isMainWindow = false;
    TWindowState state = TWindowState::Normal;
    int style = 0;
};

struct TPlacementResult {
    TRect rect;
    std::optional<TWindowState> state; // to show the window in
    std::optional<int> style;
    bool autoPositionOff = false;
    std::optional<bool> visible;
};

// Both swallow every error of the store: nothing after the first one is written
// or read, and what was read before stands.
void SavePlacement(const TPlacementSource& window, TIniStore& store, const std::string& section,
                   int flags, const std::string& prefix);
TPlacementResult RestorePlacement(const TPlacementTarget& window, TIniStore& store,
                                  const std::string& section, int flags, const std::string& prefix);

// Brings a rectangle onto the work area so that at least 30 pixels stay inside.
TRect KeepOnWorkArea(TRect rect, const TRect& area, bool cutSize);
