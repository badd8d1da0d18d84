#pragma once
// The modifier keys as a pass finds them, read before any other key of the
// pass, so that what is struck with them can be told apart.
//
// AltGr: on the layouts that have it (German, French and many more), Windows
// sends a left Ctrl with each press of the right Alt and lets it go with it.
// A left Ctrl that goes down with the right Alt, in the same pass or one pass
// apart, is AltGr's: it is no stroke of the left Ctrl and no Ctrl held, and
// the right Alt is AltGr rather than Alt. A JIS layout has no AltGr; there, a
// left Ctrl pressed within a pass of the right Alt is taken for AltGr's too.
struct ModifierState {
    bool shift = false;   // either Shift
    bool ctrl = false;    // either Ctrl; AltGr's left one is not
    bool alt = false;     // either Alt; AltGr is not
    bool win = false;     // either Windows key
    bool altGr = false;   // the right Alt with the left Ctrl it sent
};

// Which left Ctrl strokes are AltGr's. The polling thread's alone.
class AltGrWatch {
public:
    // Once a pass, after both keys were asked for: whether each was armed in
    // this pass (idle before it, seen pressed in it). A left Ctrl stroke that
    // ended in this pass is still the one in progress.
    void Observe(bool leftCtrlArmedNow, bool rightAltArmedNow);
    // The left Ctrl's stroke in progress (or just ended) is AltGr's.
    bool LeftCtrlIsAltGrs() const { return leftCtrlIsAltGrs_; }
    // Its stroke is over: the next one is judged anew.
    void LeftCtrlEnded() { leftCtrlIsAltGrs_ = false; }

private:
    bool leftCtrlIsAltGrs_ = false;
    bool leftCtrlArmedLastPass_ = false;
    bool rightAltArmedLastPass_ = false;
};

inline void AltGrWatch::Observe(bool leftCtrlArmedNow, bool rightAltArmedNow)
{
    if ((leftCtrlArmedNow && (rightAltArmedNow || rightAltArmedLastPass_)) ||
        (rightAltArmedNow && leftCtrlArmedLastPass_))
        leftCtrlIsAltGrs_ = true;
    leftCtrlArmedLastPass_ = leftCtrlArmedNow;
    rightAltArmedLastPass_ = rightAltArmedNow;
}
