#include "sync/pc_sharing.h"

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <mutex>
#include <string>

#include "history/user_history.h"
#include "options/settings_file.h"
#include "options/sync_setting.h"
#include "store/user_data.h"
#include "sync/folder_on_disk.h"
#include "sync/other_pcs.h"
#include "sync/own_copies.h"
#include "users/user_names.h"
#include "win/ansi_text.h"
#include "win/atomic_file.h"
#include "win/notices.h"

namespace {

// Saves in a row whose folder step failed before the icon tells it: a file
// that the sync engine holds while it uploads passes by itself.
constexpr int FailuresTold = 3;
constexpr DWORD FinishWaitMs = 3000;

struct Job {
    char dataFile[PathCapacity];
    char userFile[PathCapacity];
    char settings[PathCapacity];
};

struct Sharing {
    std::mutex lock;   // guards what follows and what the worker's sums show; never held while a file is touched
    Job queue[2];      // a user's job, and the next user's after a log-off
    int queued = 0;
    bool busy = false;
    HANDLE wake = nullptr;
    // For whose data file the worker's sums are.
    char readFor[PathCapacity] = "";
    unsigned version = 0;
    std::atomic<bool> on{false};
    std::atomic<int> failures{0};
    std::atomic<bool> pastLimits{false};

    // What the worker keeps between jobs; only the worker touches it, but
    // the sums of others, which it changes under the lock.
    char userFolder[PathCapacity] = "";
    std::string pc;
    OwnCopies copies;
    OtherPcs others{&lock};
};

// Made once and never torn down: the worker may still run at exit.
Sharing& Shared = *new Sharing;

// This installation in the user's folder: the computer's name and the id
// kept in set.ini, the user's own once another installation was found
// writing under the installation's in this user's folder (anew: now). An id
// per user, so that such a find in one user's folder leaves this PC's files
// in the others' as they are, its own. Empty when the id cannot be kept.
std::string ThisPc(const char* settings, const char* user, bool anew)
{
    std::string id = ReadUserPcIdSetting(settings, user);
    if (!IsPcId(id))
        id = ReadPcIdSetting(settings);
    if (anew || !IsPcId(id)) {
        GUID guid;
        id = PcIdText(SUCCEEDED(CoCreateGuid(&guid)) ? guid.Data1 : GetTickCount());
        if (!(anew ? WriteUserPcIdSetting(settings, user, id) : WritePcIdSetting(settings, id)))
            return std::string();   // each run would be another PC
    }
    return PcOf(ThisComputersName(), id);
}

void Publish(const char* dataFile, bool changed)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (lstrcmpiA(Shared.readFor, dataFile) != 0 || changed)
        ++Shared.version;
    CopyIfFits(Shared.readFor, sizeof Shared.readFor, dataFile);
}

// One job: this PC's files copied, the others' read. False when the folder
// could not take the copies.
bool Share(const Job& job)
{
    char folder[PathCapacity];
    ReadSyncFolder(job.settings, folder);
    if (folder[0] == '\0') {
        Shared.others.Forget();
        Publish("", false);
        return true;
    }
    char user[UserEntryCapacity];
    UserNameFromFile(job.userFile, user);
    char userFolder[PathCapacity];
    // The folder itself is never made: a drive that is not plugged in must
    // not get one of that name on another.
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !CopyIfFits(userFolder, sizeof userFolder, folder) || !AppendIfFits(userFolder, sizeof userFolder, "\\") ||
        !AppendIfFits(userFolder, sizeof userFolder, user) ||
        (!CreateDirectoryA(userFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS))
        return false;
    LocalFilesOnDisk local(job.dataFile, false);
    if (!local.Usable())
        return false;
    std::string pc = ThisPc(job.settings, user, false);
    if (pc.empty())
        return false;
    FolderOnDisk disk(userFolder, false);
    if (lstrcmpiA(userFolder, Shared.userFolder) != 0) {
        Shared.others.Forget();
        Shared.pc.clear();
        CopyIfFits(Shared.userFolder, sizeof Shared.userFolder, userFolder);
        std::lock_guard<std::mutex> guard(Shared.lock);
        Shared.readFor[0] = '\0';   // the sums are another user's until read anew
    }
    if (pc != Shared.pc) {
        // What a write killed midway left under this PC's names.
        for (int kind = 0; kind < PcFileKinds; ++kind)
            RecoverInterruptedWrite(disk.PathOf(FileNameOf(pc, static_cast<PcFileKind>(kind))).c_str(), nullptr);
        Shared.copies.Forget();
    }

    CopyResult copied = Shared.copies.Copy(disk, local, pc);
    if (copied == CopyResult::Foreign) {
        // Another installation writes under this name (a copied disk or
        // folder): this one takes a new id for this user and leaves those
        // files alone.
        pc = ThisPc(job.settings, user, true);
        if (pc.empty())
            return false;
        Shared.copies.Forget();
        copied = Shared.copies.Copy(disk, local, pc);
    }
    Shared.pc = pc;

    FolderRead read = Shared.others.Refresh(disk, local, pc, TodaysDate());
    if (read != FolderRead::Unreachable)
        Publish(job.dataFile, Shared.others.Changed());
    Shared.pastLimits = Shared.others.PastLimits();
    return copied == CopyResult::Done && read != FolderRead::Unreachable;
}

DWORD WINAPI SharingThread(LPVOID)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    for (;;) {
        WaitForSingleObject(Shared.wake, INFINITE);
        Job job;
        for (;;) {
            {
                std::lock_guard<std::mutex> guard(Shared.lock);
                Shared.busy = Shared.queued > 0;
                if (!Shared.busy)
                    break;
                job = Shared.queue[0];
                Shared.queue[0] = Shared.queue[1];
                --Shared.queued;
            }
            bool shared = false;
            try {
                shared = Share(job);
            } catch (...) {
                // Out of memory: what was read stays, and all is read anew
                // at the next save.
                Shared.others.Forget();
            }
            Shared.failures = shared ? 0 : Shared.failures + 1;
        }
    }
}

// The sums, when they are the logged-in user's; under the lock.
const OtherPcs* ReadForLoggedIn()
{
    return Shared.on && Shared.readFor[0] != '\0' && lstrcmpiA(Shared.readFor, DataFilePath) == 0 ? &Shared.others
                                                                                                   : nullptr;
}

} // namespace

void ShareUserFiles(const char* dataFilePath, const char* userFile)
{
    char folder[PathCapacity];
    ReadSyncFolder(SettingsPath, folder);
    Shared.on = folder[0] != '\0';
    // Told here, on the interface thread, a save after the worker met it.
    NoteOutcome(Notice::SyncFailed, !Shared.on || Shared.failures < FailuresTold);
    NoteOutcome(Notice::SyncPastLimits, !Shared.on || !Shared.pastLimits);
    if (Shared.wake == nullptr) {
        Shared.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        HANDLE thread = CreateThread(nullptr, 0, SharingThread, nullptr, 0, nullptr);
        if (thread == nullptr)
            return;   // no sharing in this run; counting goes on
        CloseHandle(thread);
    }
    {
        std::lock_guard<std::mutex> guard(Shared.lock);
        // A job waiting for the same user covers this one: the worker reads
        // the files as they are when it comes to them.
        if (Shared.queued > 0 && lstrcmpiA(Shared.queue[Shared.queued - 1].dataFile, dataFilePath) == 0)
            return;
        Job& job = Shared.queue[Shared.queued < 2 ? Shared.queued++ : 1];
        CopyIfFits(job.dataFile, sizeof job.dataFile, dataFilePath);
        CopyIfFits(job.userFile, sizeof job.userFile, userFile);
        CopyIfFits(job.settings, sizeof job.settings, SettingsPath);
    }
    SetEvent(Shared.wake);
}

void FinishSharing()
{
    for (DWORD waited = 0; waited < FinishWaitMs; waited += 20) {
        {
            std::lock_guard<std::mutex> guard(Shared.lock);
            if (Shared.queued == 0 && !Shared.busy)
                return;
        }
        Sleep(20);
    }
}

bool SharingOn() { return Shared.on; }

unsigned OtherPcsVersion()
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    return Shared.version;
}

std::vector<HistoryDay> WithOtherPcsDays(std::vector<HistoryDay> days)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcs* others = ReadForLoggedIn())
        others->Days().AddTo(days);
    return days;
}

void UseOtherPcsDays(void (*use)(const DaysToAdd* more, void* context), void* context)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    const OtherPcs* others = ReadForLoggedIn();
    use(others != nullptr ? &others->Days() : nullptr, context);
}

HistoryPeriods WithOtherPcsPeriods(HistoryPeriods periods, const LocalDate& today)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcs* others = ReadForLoggedIn()) {
        AddCounts(periods.today, others->Days().Sum({today, today}));
        AddCounts(periods.last7, others->Days().Sum({AddDays(today, -6), today}));
        AddCounts(periods.last30, others->Days().Sum({AddDays(today, -29), today}));
    }
    return periods;
}

HistoryCounts WithOtherPcsAllTime(HistoryCounts allTime)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcs* others = ReadForLoggedIn())
        AddCounts(allTime, others->AllTime());
    return allTime;
}

AppCounts WithOtherPcsApps(AppCounts apps, const DateRange& range)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcs* others = ReadForLoggedIn())
        AddAppCounts(apps, others->TallySum(Tally::Apps, range));
    return apps;
}

AppCounts WithOtherPcsShortcuts(AppCounts shortcuts, const DateRange& range)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcs* others = ReadForLoggedIn())
        AddAppCounts(shortcuts, others->TallySum(Tally::Shortcuts, range));
    return shortcuts;
}
