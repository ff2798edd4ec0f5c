#pragma once
// Whether to tell the user that nothing listens to the program's own output
// port: once, and again only after a listener came and went.
class TListenerHint {
public:
    // listeners: of the output in use; -1 when that cannot be told (another output, or none).
    bool ShouldSay(int listeners) {
        if (listeners > 0) {
            said_ = false;
            return false;
        }
        if (listeners < 0 || said_) return false;
        said_ = true;
        return true;
    }

private:
    bool said_ = false;
};
