// PCs of one user sharing a folder through a sync engine, by seeded random
// walks: each PC types (its own key, so that every stroke tells its PC),
// saves (copies its history into its replica of the folder and reads the
// others'), restarts, the engine syncs one replica at a time (a file changed
// on both sides becomes a conflict copy, as engines do), days pass, and a PC
// is copied: a cloned disk (same name and id) or a Kivora folder moved to a
// new PC (same id, another name). Checked:
//   - a PC writes over a file in the folder only when what it replaces is an
//     earlier state of its own history (nothing another PC counted is lost);
//   - once the engine has settled, no two PCs with different days write
//     under one name;
//   - each PC's days of all PCs then count every stroke once, but on the
//     days between a copy and the new ids it led to (a copied day that went
//     on on both sides counts its copied part twice).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "history/day_range.h"
#include "sync/other_pcs.h"
#include "sync/own_copies.h"
#include "sync/pc_days.h"
#include "memory_folder.h"

namespace {

struct Cloud {
    std::map<std::string, std::pair<std::string, int>> files;   // text, version
    int versions = 0;
};

// A PC's replica of the folder, as its sync engine keeps it.
struct Replica final : MemoryFolder {
    std::map<std::string, int> synced;   // the cloud's version each file came from
    std::set<std::string> changed;       // written here since the last sync
    const std::vector<HistoryDay>* writer = nullptr;
    std::string* failure = nullptr;

    bool Replace(const std::string& name, std::string_view text) override
    {
        std::vector<HistoryDay> replaced;
        auto file = files.find(name);
        if (file != files.end() && DaysOfHistoryText(file->second.text, {}, replaced) &&
            !IsEarlierState(replaced, *writer) && failure->empty())
            *failure = "wrote over another PC's counts in " + name;
        Put(name, std::string(text));
        changed.insert(name);
        return true;
    }

    void Sync(Cloud& cloud)
    {
        for (const std::string& name : changed) {
            auto there = cloud.files.find(name);
            if (there == cloud.files.end() || there->second.second == synced[name]) {
                cloud.files[name] = {files[name].text, synced[name] = ++cloud.versions};
            } else {
                // Changed on both sides: this side's becomes a copy.
                std::string copy = name.substr(0, name.find('.')) + " (1)" + name.substr(name.find('.'));
                cloud.files[copy] = {files[name].text, synced[copy] = ++cloud.versions};
                Put(copy, files[name].text);
            }
        }
        changed.clear();
        for (const auto& [name, file] : cloud.files) {
            if (synced[name] != file.second) {
                Put(name, file.first);
                synced[name] = file.second;
            }
        }
    }
};

struct Pc {
    std::string name, id;
    int key;
    std::map<LocalDate, HistoryCounts> days;
    Replica replica;
    OwnCopies copies;
    OtherPcs others;
    std::vector<HistoryDay> view;   // its days of all PCs at its last save
};

class Simulation {
public:
    explicit Simulation(uint32_t seed) : random_(seed) { AddPc(nullptr, "DESK"); }

    std::string Run(int events)
    {
        for (int event = 0; event < events && failure_.empty(); ++event) {
            Pc& pc = *pcs_[Pick(pcs_.size())];
            switch (Pick(12)) {
            case 0: case 1: case 2:
                Type(pc);
                break;
            case 3: case 4: case 5:
                Save(pc);
                break;
            case 6: case 7:
                pc.replica.Sync(cloud_);
                break;
            case 8:
                pc.copies = OwnCopies();   // Kivora started again
                pc.others = OtherPcs();
                break;
            case 9:
                today_ = AddDays(today_, 1);
                break;
            case 10:
                if (pcs_.size() < 5) {
                    copies_.push_back({today_, today_});
                    AddPc(&pc, Pick(2) ? pc.name : "MOVED" + std::to_string(pcs_.size()));
                }
                break;
            default:
                AddPc(nullptr, "PC" + std::to_string(pcs_.size()));
                break;
            }
        }
        // The engine settles, and every PC saves after it.
        for (int round = 0; round < 3 && failure_.empty(); ++round) {
            for (auto& pc : pcs_)
                pc->replica.Sync(cloud_);
            for (auto& pc : pcs_)
                Save(*pc);
        }
        if (failure_.empty())
            CheckSettled();
        return failure_;
    }

private:
    std::size_t Pick(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_); }

    void AddPc(const Pc* from, const std::string& name)
    {
        if (pcs_.size() >= 6)
            return;
        auto pc = std::make_unique<Pc>();
        pc->name = name;
        pc->id = from != nullptr ? from->id : PcIdText(static_cast<uint32_t>(random_()));
        pc->key = static_cast<int>(pcs_.size());
        if (from != nullptr)
            pc->days = from->days;
        pc->replica.failure = &failure_;
        pc->replica.Sync(cloud_);
        pcs_.push_back(std::move(pc));
    }

    void Type(Pc& pc)
    {
        HistoryCounts& day = pc.days[today_];
        day.keys[pc.key] += 1 + static_cast<int64_t>(Pick(50));
        day.seconds += 60;
    }

    void Save(Pc& pc)
    {
        std::string text(HistoryHeader);
        text += "\r\n";
        for (const auto& [date, counts] : pc.days)
            AppendHistoryLine(text, date, counts);
        std::vector<HistoryDay> local;
        DaysOfHistoryText(text, today_, local);
        const LocalFile files[PcFileKinds] = {{FileRead::Read, text}, {}, {}};
        pc.replica.writer = &local;
        if (pc.copies.Copy(pc.replica, PcOf(pc.name, pc.id), files, today_) == CopyResult::Foreign) {
            pc.id = PcIdText(static_cast<uint32_t>(random_()));
            pc.copies = OwnCopies();
            for (DateRange& copy : copies_)
                copy.last = today_;
            pc.copies.Copy(pc.replica, PcOf(pc.name, pc.id), files, today_);
        }
        pc.others.Refresh(pc.replica, PcOf(pc.name, pc.id), local, today_);
        pc.view = AddDaysByDate(local, pc.others.Sums().days);
    }

    void CheckSettled()
    {
        for (auto& a : pcs_) {
            for (auto& b : pcs_) {
                if (a != b && a->name == b->name && a->id == b->id && a->days != b->days)
                    failure_ = "two PCs with different days write as " + PcOf(a->name, a->id);
            }
        }
        for (auto& pc : pcs_) {
            for (const HistoryDay& day : pc->view) {
                bool copied = false;
                for (const DateRange& copy : copies_)
                    copied = copied || copy.Contains(day.date);
                for (auto& typist : pcs_) {
                    // A clone counts its parent's key on the days it was copied with.
                    auto own = typist->days.find(day.date);
                    int64_t truth = own != typist->days.end() ? own->second.keys[typist->key] : 0;
                    int64_t seen = day.counts.keys[typist->key];
                    if (seen < truth || (!copied && seen != truth))
                        failure_ = "PC " + std::to_string(typist->key) + " on " + FormatLocalDate(day.date) + ": " +
                                   std::to_string(seen) + " strokes seen, " + std::to_string(truth) + " struck";
                }
            }
        }
    }

    std::mt19937 random_;
    std::vector<std::unique_ptr<Pc>> pcs_;
    Cloud cloud_;
    LocalDate today_ = {2026, 12, 1};
    std::vector<DateRange> copies_;   // from a copy to the last new id taken since
    std::string failure_;
};

TEST(SyncSimulation, PcsSharingAFolderCountEveryStrokeOnceWhateverTheEngineDoes)
{
    for (uint32_t seed = 1; seed <= 100; ++seed) {
        std::string failure = Simulation(seed).Run(250);
        ASSERT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
    }
}

} // namespace
