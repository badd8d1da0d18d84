#include "capture/input_gate.h"

InputGate::Verdict InputGate::Next(KeyboardPort& port, int64_t nowMs)
{
    const bool longQuiet = known_ && tailScanned_ && nowMs - changeSeenMs_ >= LongQuietMs;
    if (!longQuiet || quietPasses_ % QuietAskPasses == QuietAskPasses - 1) {
        const std::optional<uint32_t> lastInput = port.LastInputTick();
        if (!lastInput || !known_ || *lastInput != lastInput_) {
            known_ = lastInput.has_value();
            lastInput_ = lastInput.value_or(0);
            changeSeenMs_ = nowMs;
            tailScanned_ = false;
            quietPasses_ = 0;
            return Verdict::Input;
        }
    }
    if (!tailScanned_) {
        tailScanned_ = nowMs - changeSeenMs_ >= TailMs;
        return Verdict::Settling;
    }
    // Round and round: a multiple of both periods.
    quietPasses_ = (quietPasses_ + 1) % (LatchCheckPasses * QuietAskPasses);
    return quietPasses_ % LatchCheckPasses == 0 ? Verdict::LatchCheck : Verdict::Quiet;
}
