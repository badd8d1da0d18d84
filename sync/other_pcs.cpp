#include "sync/other_pcs.h"

#include <algorithm>

#include "sync/pc_days.h"

namespace {

// The place of a date's line among days in date order, or -1.
std::ptrdiff_t IndexOn(const std::vector<HistoryDay>& days, const LocalDate& date)
{
    auto at = std::lower_bound(days.begin(), days.end(), date,
                               [](const HistoryDay& d, const LocalDate& wanted) { return d.date < wanted; });
    return at != days.end() && at->date == date ? at - days.begin() : -1;
}

// The all-time counts of a keys file ("key,count" lines); false when the
// text is not one.
bool ReadKeysText(std::string_view text, HistoryCounts& counts)
{
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    bool header = false;
    while (!text.empty()) {
        std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        std::size_t comma = line.find(',');
        if (!header) {
            if (line != "key,count")
                return false;
            header = true;
            continue;
        }
        int key = comma == std::string_view::npos ? NoKeyIndex : KeyIndexOf(line.substr(0, comma));
        int64_t count = 0;
        std::string_view digits = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
        for (char digit : digits.substr(0, HistoryValueDigits))
            count = digit >= '0' && digit <= '9' ? count * 10 + (digit - '0') : count;
        if (key != NoKeyIndex)
            counts.keys[key] = count;
    }
    return header;
}

} // namespace

void OtherPcs::Read(PcFile& file, const std::string& text, const LocalDate& today)
{
    if (file.name.kind == PcFileKind::History) {
        file.readable = DaysOfHistoryText(text, today, file.days);
    } else if (file.name.kind == PcFileKind::Keys) {
        file.readable = ReadKeysText(text, file.allTime);
    } else {
        file.readable = file.apps.Load(text) == AppsLoad::Loaded;
    }
}

FolderRead OtherPcs::Refresh(SharedFolder& folder, std::string_view ownPc, const std::vector<HistoryDay>& localDays,
                             const LocalDate& today)
{
    std::vector<FolderEntry> entries;
    if (!folder.List(entries))
        return FolderRead::Unreachable;
    held_.clear();
    std::vector<PcFile> files;
    for (const FolderEntry& entry : entries) {
        std::optional<PcFileName> name = ParsePcFileName(entry.name);
        if (!name || name->pc == ownPc)
            continue;
        PcFile* known = nullptr;
        for (PcFile& file : files_)
            known = file.name.pc == name->pc && file.name.kind == name->kind ? &file : known;
        if (known != nullptr && known->stamp == entry.stamp) {
            files.push_back(std::move(*known));
            continue;
        }
        std::string text;
        FileRead read = folder.Read(entry.name, text);
        if (read == FileRead::Missing)
            continue;
        if (read != FileRead::Read) {
            // Its last reading stays, under its old stamp: read at the next look.
            held_ = entry.name;
            if (known != nullptr)
                files.push_back(std::move(*known));
            continue;
        }
        // A file of unknown form stays unread, and is not read again until it changes.
        files.emplace_back();
        files.back().name = *name;
        files.back().stamp = entry.stamp;
        Read(files.back(), text, today);
    }
    files_ = std::move(files);
    AddUp(localDays);
    return held_.empty() ? FolderRead::Read : FolderRead::Held;
}

void OtherPcs::FindCopies(std::size_t file, const std::vector<HistoryDay>& localDays)
{
    // Cursors that only move forward: the days are in date order.
    std::vector<std::size_t> at(file + 1, 0);
    auto on = [&at](std::size_t cursor, const std::vector<HistoryDay>& days, const LocalDate& date) {
        while (at[cursor] < days.size() && days[at[cursor]].date < date)
            ++at[cursor];
        return at[cursor] < days.size() && days[at[cursor]].date == date ? &days[at[cursor]].counts : nullptr;
    };
    PcFile& pc = files_[file];
    pc.copies.assign(pc.days.size(), 0);
    for (std::size_t index = 0; index < pc.days.size(); ++index) {
        const HistoryDay& day = pc.days[index];
        const HistoryCounts* same = on(file, localDays, day.date);
        bool copy = same != nullptr && *same == day.counts;
        for (std::size_t earlier = 0; earlier < file && !copy; ++earlier) {
            same = on(earlier, files_[earlier].days, day.date);
            copy = same != nullptr && *same == day.counts;
        }
        pc.copies[index] = copy && day.counts.AllStrokes() > 0;
    }
}

void OtherPcs::AddUp(const std::vector<HistoryDay>& localDays)
{
    OtherPcSums sums;
    // Every date of every PC, once, in order: the sums are added up in place.
    std::vector<int32_t> dates;
    for (const PcFile& file : files_) {
        std::vector<int32_t> both;
        std::size_t at = 0;
        for (const HistoryDay& day : file.days) {
            const int32_t number = DayNumber(day.date);
            for (; at < dates.size() && dates[at] <= number; ++at) {
                if (dates[at] < number)
                    both.push_back(dates[at]);
            }
            both.push_back(number);
        }
        for (; at < dates.size(); ++at)
            both.push_back(dates[at]);
        dates.swap(both);
    }
    sums.days.reserve(dates.size());
    for (int32_t number : dates) {
        HistoryDay day{DateOfDayNumber(number), {}};
        sums.days.push_back(day);
    }

    for (std::size_t index = 0; index < files_.size(); ++index) {
        PcFile& file = files_[index];
        bool firstOfPc = file.readable;
        for (std::size_t earlier = 0; earlier < index; ++earlier)
            firstOfPc = firstOfPc && !(files_[earlier].readable && files_[earlier].name.pc == file.name.pc);
        sums.pcs += firstOfPc ? 1 : 0;
        AddCounts(sums.allTime, file.allTime);
        FindCopies(index, localDays);
        std::size_t at = 0;
        for (std::size_t day = 0; day < file.days.size(); ++day) {
            while (sums.days[at].date < file.days[day].date)
                ++at;
            if (!file.copies[day])
                AddCounts(sums.days[at].counts, file.days[day].counts);
        }
    }
    // A PC's programs of a day that is a copy are a copy too.
    for (const PcFile& file : files_) {
        const PcFile* history = &file;
        for (const PcFile& other : files_)
            history = other.name.pc == file.name.pc && other.name.kind == PcFileKind::History ? &other : history;
        for (const auto& [date, apps] : file.apps.Days()) {
            const std::ptrdiff_t at = IndexOn(history->days, date);
            if (at >= 0 && history->copies[at])
                continue;
            sums.apps.Add(date, apps);
        }
    }
    sums_ = std::move(sums);
}
