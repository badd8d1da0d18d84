#include "sync/own_copies.h"

#include "history/pending_history.h"
#include "sync/pc_days.h"

namespace {

// A pending file that holds no day.
std::string NoPendingDays()
{
    std::string text(PendingHeader);
    text += "\r\n";
    return text;
}

} // namespace

void OwnCopies::Forget()
{
    *this = OwnCopies();
}

OwnCopies::Look OwnCopies::LookAtHistory(SharedFolder& folder, LocalFiles& local, std::string_view pc)
{
    const std::string name = FileNameOf(pc, PcFileKind::History);
    FileStamp stamp;
    if (!folder.Stamp(name, stamp))
        return Look::Own;   // nothing there yet
    if (stamp.size > LargestPcFile(PcFileKind::History))
        return Look::Foreign;   // larger than any history Kivora writes
    std::string copy, mine;
    switch (folder.Read(name, copy)) {
    case FileRead::Missing:
        return Look::Own;
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        return Look::Held;   // never written over unseen
    case FileRead::Read:
        break;
    }
    switch (local.Read(PcFileKind::History, mine)) {
    case FileRead::Missing:
        return Look::Own;   // without a local history there is nothing to tell a copy by
    case FileRead::Held:
    case FileRead::Unreadable:
    case FileRead::Refused:
        return Look::Held;
    case FileRead::Read:
        break;
    }
    if (copy != mine && !IsEarlierHistory(copy, mine))
        return Look::Foreign;
    written_[static_cast<int>(PcFileKind::History)] = {true, stamp, FingerprintOf(copy), false, false, {}};
    return Look::Own;
}

CopyResult OwnCopies::CopyKind(SharedFolder& folder, LocalFiles& local, std::string_view pc, PcFileKind kind)
{
    Written& written = written_[static_cast<int>(kind)];
    const std::string name = FileNameOf(pc, kind);
    FileStamp localStamp;
    const FileRead looked = local.Stamp(kind, localStamp);
    if (looked == FileRead::Held || looked == FileRead::Refused)
        return CopyResult::Held;
    const bool present = looked == FileRead::Read;
    FileStamp stamp;
    const bool there = folder.Stamp(name, stamp);
    // Neither file moved since the last copy: nothing is read.
    if (written.localKnown && written.localPresent == present && (!present || localStamp == written.local) &&
        (written.known ? there && stamp == written.stamp : !there))
        return CopyResult::Done;

    if (!there) {
        written.known = false;
    } else if (!(written.known && stamp == written.stamp)) {
        // Changed since this run wrote it: the same bytes (the engine touched
        // it) are still this PC's; other bytes are another installation's.
        std::string text;
        switch (folder.Read(name, text)) {
        case FileRead::Held:
        case FileRead::Unreadable:
        case FileRead::Refused:
            return CopyResult::Held;   // never written over unseen
        case FileRead::Missing:
            written.known = false;
            break;
        case FileRead::Read:
            // At the first look the history told whose the files are.
            if (written.known && FingerprintOf(text) != written.print)
                return CopyResult::Foreign;
            written.known = true;
            written.stamp = stamp;
            written.print = FingerprintOf(text);
            break;
        }
    }

    std::string text;
    if (present) {
        switch (local.Read(kind, text)) {
        case FileRead::Held:
        case FileRead::Unreadable:
        case FileRead::Refused:
            return CopyResult::Held;
        case FileRead::Missing:
            written.localKnown = false;   // gone meanwhile: looked at again at the next save
            return CopyResult::Done;
        case FileRead::Read:
            break;
        }
    } else if (kind == PcFileKind::Apps || kind == PcFileKind::Shortcuts) {
        // Deleted here (記録を削除, or moved aside as an earlier user's): the
        // copy goes too.
        if (written.known && !folder.Remove(name))
            return CopyResult::Failed;
        written = {false, {}, 0, true, false, {}};
        return CopyResult::Done;
    } else if (kind == PcFileKind::Pending) {
        text = NoPendingDays();
        if (!written.known) {
            // No copy to correct.
            written.localKnown = true;
            written.localPresent = false;
            return CopyResult::Done;
        }
    } else {
        // No history or keys file yet: a copy in the folder stays.
        written.localKnown = true;
        written.localPresent = false;
        return CopyResult::Done;
    }
    const uint64_t print = FingerprintOf(text);
    if (!(written.known && written.print == print)) {
        written.known = folder.Replace(name, text) && folder.Stamp(name, written.stamp);
        written.print = print;
        if (!written.known) {
            written.localKnown = false;
            return CopyResult::Failed;
        }
    }
    written.localKnown = true;
    written.localPresent = present;
    written.local = localStamp;
    return CopyResult::Done;
}

CopyResult OwnCopies::Copy(SharedFolder& folder, LocalFiles& local, std::string_view pc)
{
    if (!looked_) {
        switch (LookAtHistory(folder, local, pc)) {
        case Look::Foreign:
            return CopyResult::Foreign;
        case Look::Held:
            return CopyResult::Held;
        case Look::Own:
            looked_ = true;
            break;
        }
    }
    CopyResult result = CopyResult::Done;
    for (PcFileKind kind :
         {PcFileKind::Pending, PcFileKind::History, PcFileKind::Keys, PcFileKind::Apps, PcFileKind::Shortcuts}) {
        const CopyResult copied = CopyKind(folder, local, pc, kind);
        if (copied == CopyResult::Foreign)
            return copied;
        if (copied != CopyResult::Done && result != CopyResult::Failed)
            result = copied;
    }
    return result;
}
