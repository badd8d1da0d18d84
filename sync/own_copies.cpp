#include "sync/own_copies.h"

#include "sync/pc_days.h"

void OwnCopies::Forget()
{
    *this = OwnCopies();
}

bool OwnCopies::IsOwn(const std::string& text, PcFileKind kind, const LocalFile& local, const LocalDate& today) const
{
    const Written& written = written_[static_cast<int>(kind)];
    if (written.known)
        return FingerprintOf(text) == written.print;
    if (text == local.text)
        return true;
    if (kind != PcFileKind::History)
        return true;   // the history, looked at first, told whose they are
    std::vector<HistoryDay> copied, days;
    return DaysOfHistoryText(text, today, copied) && DaysOfHistoryText(local.text, today, days) &&
           IsEarlierState(copied, days);
}

CopyResult OwnCopies::Copy(SharedFolder& folder, std::string_view pc, const LocalFile (&local)[PcFileKinds],
                           const LocalDate& today)
{
    CopyResult result = CopyResult::Done;
    for (int index = 0; index < PcFileKinds; ++index) {
        const PcFileKind kind = static_cast<PcFileKind>(index);
        const LocalFile& file = local[index];
        if (file.read == FileRead::Missing) {
            // Without a local history there is nothing to tell a copy by.
            looked_ = looked_ || kind == PcFileKind::History;
            continue;
        }
        if (file.read != FileRead::Read || (kind != PcFileKind::History && !looked_)) {
            result = CopyResult::Held;
            continue;
        }
        const std::string name = FileNameOf(pc, kind);
        Written& written = written_[index];
        FileStamp stamp;
        if (!folder.Stamp(name, stamp)) {
            written.known = false;
        } else if (!(written.known && stamp == written.stamp)) {
            // Changed since this run wrote it, or not looked at yet.
            std::string text;
            FileRead read = folder.Read(name, text);
            if (read == FileRead::Held || read == FileRead::Unreadable || read == FileRead::Refused) {
                result = CopyResult::Held;   // never written over unseen
                continue;
            }
            if (read == FileRead::Read && !IsOwn(text, kind, file, today))
                return CopyResult::Foreign;
            written = {read == FileRead::Read, stamp, FingerprintOf(text)};
        }
        looked_ = looked_ || kind == PcFileKind::History;
        const uint64_t print = FingerprintOf(file.text);
        if (written.known && written.print == print)
            continue;
        written.known = folder.Replace(name, file.text) && folder.Stamp(name, written.stamp);
        written.print = print;
        if (!written.known)
            result = CopyResult::Failed;
    }
    return result;
}
