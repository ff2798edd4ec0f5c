#pragma once
// Key caps from the keyboard layout in use, through libxkbcommon: the X
// server's layout, followed as the user switches it, or a fixed layout by name.
#include "instrument/KeyLayout.h"

#include <memory>
#include <string>

class TXkbKeyLayout final : public TKeyLayout {
public:
    // The layout of the X server named by DISPLAY, read when first asked for;
    // the US caps when there is none or it cannot be read.
    static std::unique_ptr<TXkbKeyLayout> OfDisplay();
    // A fixed layout ("fr", "de", ...) as the system's keyboard rules make it;
    // null when the rules do not know it.
    static std::unique_ptr<TXkbKeyLayout> Named(const std::string& layout, const std::string& variant = {});
    ~TXkbKeyLayout() override;

    std::string KeyCap(int scanCode) override;
    int ChangeFd() override;
    bool TakeChanges() override;

private:
    struct TState;
    explicit TXkbKeyLayout(std::unique_ptr<TState> state);
    std::unique_ptr<TState> s_;
};
