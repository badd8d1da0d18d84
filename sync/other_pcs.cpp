#include "sync/other_pcs.h"

#include <algorithm>

#include "sync/pc_days.h"

namespace {

// A day of another PC's history, as the adding up sorts them.
struct DayLine {
    int32_t day;
    uint64_t print;
    const HistoryCounts* counts;
    const std::string* pc;
};

uint64_t PrintOfDays(const std::vector<HistoryDay>& days)
{
    uint64_t print = FingerprintOf(std::string_view());
    for (const HistoryDay& day : days)
        print = print * 31 + FingerprintOf(day.counts) + static_cast<uint64_t>(DayNumber(day.date));
    return print;
}

// This PC's counts of a day, if it has a line for it.
const HistoryCounts* CountsOn(const std::vector<HistoryDay>& days, int32_t day)
{
    const LocalDate date = DateOfDayNumber(day);
    auto at = std::lower_bound(days.begin(), days.end(), date,
                               [](const HistoryDay& d, const LocalDate& wanted) { return d.date < wanted; });
    return at != days.end() && at->date == date ? &at->counts : nullptr;
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

OtherPcs::PcFile OtherPcs::ReadPcFile(const PcFileName& name, const FileStamp& stamp, const std::string& text,
                                      const LocalDate& today)
{
    PcFile file;
    file.pc = name.pc;
    file.kind = name.kind;
    file.stamp = stamp;
    switch (name.kind) {
    case PcFileKind::History:
        if (std::optional<std::vector<HistoryDay>> days = DaysOfHistoryText(text, today)) {
            file.readable = true;
            file.days = std::move(*days);
            for (const HistoryDay& day : file.days)
                file.prints.push_back(FingerprintOf(day.counts));
        }
        break;
    case PcFileKind::Keys:
        file.readable = ReadKeysText(text, file.allTime);
        break;
    case PcFileKind::Apps:
        file.readable = file.apps.Load(text) == AppsLoad::Loaded;
        break;
    }
    return file;
}

FolderRead OtherPcs::Refresh(SharedFolder& folder, std::string_view ownPc, const std::vector<HistoryDay>& localDays,
                             const LocalDate& today)
{
    std::vector<FolderEntry> entries;
    if (!folder.List(entries))
        return FolderRead::Unreachable;
    held_.clear();
    bool changed = false;
    std::map<std::string, PcFile> files;
    for (const FolderEntry& entry : entries) {
        std::optional<PcFileName> name = ParsePcFileName(entry.name);
        if (!name || name->pc == ownPc)
            continue;
        auto known = files_.find(entry.name);
        if (known != files_.end() && known->second.stamp == entry.stamp) {
            files.insert(files_.extract(known));
            continue;
        }
        std::string text;
        FileRead read = folder.Read(entry.name, text);
        if (read == FileRead::Held) {
            // Its last reading stays, under its old stamp: read at the next look.
            held_ = entry.name;
            if (known != files_.end())
                files.insert(files_.extract(known));
            continue;
        }
        if (read == FileRead::Missing)
            continue;
        // A file of unknown form is kept unread, so that it is not read again
        // until it changes.
        PcFile file = ReadPcFile(*name, entry.stamp, text, today);
        file.readable = file.readable && read == FileRead::Read;
        files.emplace(entry.name, std::move(file));
        changed = true;
    }
    changed = changed || !files_.empty();   // what is left there went
    files_ = std::move(files);
    const uint64_t localPrint = PrintOfDays(localDays);
    if (changed || localPrint != localPrint_) {
        localPrint_ = localPrint;
        AddUp(localDays);
    }
    return held_.empty() ? FolderRead::Read : FolderRead::Held;
}

void OtherPcs::AddUp(const std::vector<HistoryDay>& localDays)
{
    std::vector<DayLine> lines;
    std::vector<std::string> pcs;
    for (const auto& [name, file] : files_) {
        if (file.readable && (pcs.empty() || pcs.back() != file.pc))
            pcs.push_back(file.pc);
        for (std::size_t at = 0; at < file.days.size(); ++at)
            lines.push_back({DayNumber(file.days[at].date), file.prints[at], &file.days[at].counts, &file.pc});
    }
    // Equal lines of a date side by side, in the order of the files' names.
    std::stable_sort(lines.begin(), lines.end(), [](const DayLine& a, const DayLine& b) {
        return a.day != b.day ? a.day < b.day : a.print < b.print;
    });

    OtherPcSums sums;
    std::map<std::string_view, std::vector<int32_t>> copied;   // a PC's days left out, in order
    const HistoryCounts* counted = nullptr;   // the first counted line of the run of equal prints
    for (std::size_t at = 0; at < lines.size(); ++at) {
        const DayLine& line = lines[at];
        const bool newDay = at == 0 || lines[at - 1].day != line.day;
        if (newDay || lines[at - 1].print != line.print) {
            const HistoryCounts* local = CountsOn(localDays, line.day);
            counted = local != nullptr && FingerprintOf(*local) == line.print ? local : nullptr;
        }
        if (newDay)
            sums.days.push_back({DateOfDayNumber(line.day), HistoryCounts{}});
        if (counted != nullptr && *counted == *line.counts && line.counts->AllStrokes() > 0) {
            copied[*line.pc].push_back(line.day);
            continue;
        }
        if (counted == nullptr)
            counted = line.counts;
        AddCounts(sums.days.back().counts, *line.counts);
    }

    for (const auto& [name, file] : files_) {
        if (file.kind == PcFileKind::Keys)
            AddCounts(sums.allTime, file.allTime);
        if (file.kind != PcFileKind::Apps)
            continue;
        const std::vector<int32_t>& left = copied[file.pc];
        for (const auto& [date, counts] : file.apps.Days()) {
            if (std::binary_search(left.begin(), left.end(), DayNumber(date)))
                continue;
            const AppCounts* before = sums.apps.On(date);
            AppCounts sum = before != nullptr ? *before : AppCounts{};
            AddAppCounts(sum, counts);
            sums.apps.Set(date, std::move(sum));
        }
    }
    std::sort(pcs.begin(), pcs.end());
    sums.pcs = static_cast<int>(std::unique(pcs.begin(), pcs.end()) - pcs.begin());
    sums_ = std::move(sums);
}
