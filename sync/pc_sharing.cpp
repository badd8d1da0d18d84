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
#include "sync/pc_days.h"
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
    std::mutex lock;   // guards what follows; never held while a file is touched
    Job queue[2];      // a user's job, and the next user's after a log-off
    int queued = 0;
    bool busy = false;
    HANDLE wake = nullptr;
    // What the worker last read, and for whose data file.
    char readFor[PathCapacity] = "";
    OtherPcSums sums;
    unsigned version = 0;
    // The other PCs' periods, worked out once a version and a date: the
    // keyboard tab asks twice a second.
    HistoryPeriods periods;
    unsigned periodsVersion = 0;
    LocalDate periodsDay{};
    std::atomic<bool> on{false};
    std::atomic<int> failures{0};

    // What the worker keeps between jobs; only the worker touches it.
    char userFolder[PathCapacity] = "";
    std::string pc;
    OwnCopies copies;
    OtherPcs others;
    uint64_t localPrint = 0;
    std::vector<HistoryDay> localDays;
};

// Made once and never torn down: the worker may still run at exit.
Sharing& Shared = *new Sharing;

// This installation in the folder: the computer's name and the id kept in
// set.ini, a new one when there is none yet or another installation writes
// under it. Empty when the id cannot be kept.
std::string ThisPc(const char* settings, bool anew)
{
    std::string id = ReadPcIdSetting(settings);
    if (anew || !IsPcId(id)) {
        GUID guid;
        id = PcIdText(SUCCEEDED(CoCreateGuid(&guid)) ? guid.Data1 : GetTickCount());
        if (!WritePcIdSetting(settings, id))
            return std::string();   // each run would be another PC
    }
    return PcOf(ThisComputersName(), id);
}

LocalFile ReadLocal(const std::string& path)
{
    LocalFile file;
    FileStamp stamp;
    file.read = ReadHistoryFile(path, file.text, stamp);
    return file;
}

void Publish(const char* dataFile, OtherPcSums&& sums)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    CopyIfFits(Shared.readFor, sizeof Shared.readFor, dataFile);
    Shared.sums = std::move(sums);
    ++Shared.version;
}

// One job: this PC's files copied, the others' read. False when the folder
// could not take the copies.
bool Share(const Job& job)
{
    char folder[PathCapacity];
    ReadSyncFolder(job.settings, folder);
    if (folder[0] == '\0') {
        Publish(job.dataFile, {});
        return true;
    }
    char user[UserEntryCapacity];
    UserNameFromFile(job.userFile, user);
    char userFolder[PathCapacity];
    std::string historyPath;
    // The folder itself is never made: a drive that is not plugged in must
    // not get one of that name on another.
    DWORD attributes = GetFileAttributesA(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !CopyIfFits(userFolder, sizeof userFolder, folder) || !AppendIfFits(userFolder, sizeof userFolder, "\\") ||
        !AppendIfFits(userFolder, sizeof userFolder, user) ||
        (!CreateDirectoryA(userFolder, nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ||
        !HistoryPathOf(job.dataFile, historyPath))
        return false;
    std::string pc = ThisPc(job.settings, false);
    if (pc.empty())
        return false;
    FolderOnDisk disk(userFolder, false);
    if (lstrcmpiA(userFolder, Shared.userFolder) != 0) {
        Shared.others.Forget();
        Shared.pc.clear();
        CopyIfFits(Shared.userFolder, sizeof Shared.userFolder, userFolder);
    }
    if (pc != Shared.pc) {
        // What a write killed midway left under this PC's names.
        for (int kind = 0; kind < PcFileKinds; ++kind)
            RecoverInterruptedWrite(disk.PathOf(FileNameOf(pc, static_cast<PcFileKind>(kind))).c_str(), nullptr);
        Shared.copies.Forget();
    }

    const std::string dataFile = job.dataFile;
    const LocalFile local[PcFileKinds] = {
        ReadLocal(historyPath),
        ReadLocal(dataFile.substr(0, dataFile.size() - 4) + ".keys.csv"),
        ReadLocal(AppsPathOf(historyPath)),
    };
    const LocalDate today = TodaysDate();
    CopyResult copied = Shared.copies.Copy(disk, pc, local, today);
    if (copied == CopyResult::Foreign) {
        // Another installation writes under this name (a copied disk or
        // folder): this one takes a new id and leaves those files alone.
        pc = ThisPc(job.settings, true);
        if (pc.empty())
            return false;
        Shared.copies.Forget();
        copied = Shared.copies.Copy(disk, pc, local, today);
    }
    Shared.pc = pc;

    const uint64_t print = FingerprintOf(local[0].text);
    if (local[0].read == FileRead::Read && print != Shared.localPrint) {
        Shared.localPrint = print;
        Shared.localDays.clear();
        DaysOfHistoryText(local[0].text, today, Shared.localDays);
    }
    FolderRead read = Shared.others.Refresh(disk, pc, Shared.localDays, today);
    if (read != FolderRead::Unreachable)
        Publish(job.dataFile, Shared.others.TakeSums());
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
                // Out of memory with many PCs of many years: tried again at the next save.
            }
            Shared.failures = shared ? 0 : Shared.failures + 1;
        }
    }
}

// The sums, when they are the logged-in user's; under the lock.
const OtherPcSums* ReadForLoggedIn()
{
    return Shared.on && lstrcmpiA(Shared.readFor, DataFilePath) == 0 ? &Shared.sums : nullptr;
}

} // namespace

void ShareUserFiles(const char* dataFilePath, const char* userFile)
{
    char folder[PathCapacity];
    ReadSyncFolder(SettingsPath, folder);
    Shared.on = folder[0] != '\0';
    // Told here, on the interface thread, a save after the worker met it.
    NoteOutcome(Notice::SyncFailed, !Shared.on || Shared.failures < FailuresTold);
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

std::vector<HistoryDay> WithOtherPcsDays(const std::vector<HistoryDay>& days)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    const OtherPcSums* others = ReadForLoggedIn();
    return others != nullptr ? AddDaysByDate(days, others->days) : days;
}

HistoryPeriods WithOtherPcsPeriods(HistoryPeriods periods, const LocalDate& today)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcSums* others = ReadForLoggedIn()) {
        if (Shared.periodsVersion != Shared.version || !(Shared.periodsDay == today)) {
            Shared.periods = PeriodsOfDays(others->days, today);
            Shared.periodsVersion = Shared.version;
            Shared.periodsDay = today;
        }
        AddPeriods(periods, Shared.periods);
    }
    return periods;
}

HistoryCounts WithOtherPcsAllTime(HistoryCounts allTime)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcSums* others = ReadForLoggedIn())
        AddCounts(allTime, others->allTime);
    return allTime;
}

AppCounts WithOtherPcsApps(AppCounts apps, const DateRange& range)
{
    std::lock_guard<std::mutex> guard(Shared.lock);
    if (const OtherPcSums* others = ReadForLoggedIn())
        AddAppCounts(apps, others->apps.Sum(range));
    return apps;
}
