#include "history/typing_time.h"

#include <algorithm>

void TypingTime::Start(int64_t allStrokes, const ClockMinute& now)
{
    *this = TypingTime();
    at_ = now;
    seen_ = allStrokes;
}

void TypingTime::Look(int64_t allStrokes, const ClockMinute& now)
{
    const int64_t since = std::max<int64_t>(allStrokes - seen_, 0);
    seen_ = allStrokes;
    minuteStrokes_ += since;
    hours_[std::clamp(at_.hour, 0, HoursOfDay - 1)] += since;
    if (now == at_)
        return;
    if (minuteStrokes_ > 0) {
        ++activeMinutes_;
        bestMinute_ = std::max(bestMinute_, minuteStrokes_);
    }
    minuteStrokes_ = 0;
    if (!(now.date == at_.date))
        bestMinute_ = 0;
    at_ = now;
}

void TypingTime::Rebase(int64_t allStrokes) { seen_ = allStrokes; }

void TypingTime::Fill(HistoryCounts& snapshot) const
{
    const int64_t since = std::max<int64_t>(snapshot.AllStrokes() - seen_, 0);
    const int64_t minute = minuteStrokes_ + since;
    snapshot.activeMinutes = activeMinutes_ + (minute > 0 ? 1 : 0);
    snapshot.bestMinute = std::max(bestMinute_, minute);
    snapshot.hours = hours_;
    snapshot.hours[std::clamp(at_.hour, 0, HoursOfDay - 1)] += since;
}
