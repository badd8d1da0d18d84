#include "capture/key_poller.h"

#include "keys/key_codes.h"

namespace {

constexpr int16_t DownNow = static_cast<int16_t>(0x8000);
constexpr int16_t PressedSinceLastQuery = 0x0001;

} // namespace

// The keyboard as one scan sees it (key_poller.h).
class PassKeyboard final : public KeyboardPort {
public:
    PassKeyboard(KeyboardPort& port, KeyPoller& poller, bool noInputSince, bool readCaps)
        : port_(port), poller_(poller), noInputSince_(noInputSince), readCaps_(readCaps)
    {
        // After input, the keys found down last pass are asked first: under
        // Wine a key down is always asked of its server, whose answer brings
        // the whole key table, and the other keys are then answered from it.
        for (int code = 0; code < 256 && !noInputSince_; ++code) {
            if (poller_.foundDown_[code] == poller_.scan_ - 1)
                AsyncKeyState(code);
        }
    }

    bool CapsLockToggled() override
    {
        const int16_t capsKey = AsyncKeyState(KeyCapsLock);
        if (readCaps_ || !poller_.capsKnown_ || (capsKey & (DownNow | PressedSinceLastQuery)) != 0 ||
            ++poller_.scansSinceCapsRead_ >= KeyPoller::CapsReadScans) {
            poller_.capsLock_ = port_.CapsLockToggled();
            poller_.capsKnown_ = true;
            poller_.scansSinceCapsRead_ = 0;
        }
        return poller_.capsLock_;
    }

    int16_t AsyncKeyState(int virtualKey) override
    {
        const int code = virtualKey & 0xFF;
        if (asked_[code])
            return answers_[code];
        asked_[code] = true;
        uint32_t& foundDown = poller_.foundDown_[code];
        const bool stillDown = noInputSince_ && foundDown == poller_.scan_ - 1;
        const int16_t state = stillDown ? DownNow : port_.AsyncKeyState(virtualKey);
        if (state < 0)
            foundDown = poller_.scan_;
        return answers_[code] = state;
    }

    void Invalidate(const PixelRect& rect) override { port_.Invalidate(rect); }

private:
    KeyboardPort& port_;
    KeyPoller& poller_;
    const bool noInputSince_;
    const bool readCaps_;
    std::array<bool, 256> asked_{};
    std::array<int16_t, 256> answers_{};
};

int KeyPoller::Pass(CounterTable& table, OtherKeyTable& others, KeyboardPort& port, int64_t nowMs)
{
    const InputGate::Verdict verdict = gate_.Next(port, nowMs);
    if (verdict == InputGate::Verdict::Quiet ||
        (verdict == InputGate::Verdict::LatchCheck && !AnyLatchArmed(table, others))) {
        scannedLastPass_ = false;
        return 0;
    }
    PassKeyboard keys(port, *this, verdict == InputGate::Verdict::Settling, !scannedLastPass_);
    const int strokes = ScanEveryKey(table, others, keys);
    ++scan_;
    scannedLastPass_ = true;
    return strokes;
}
