// The keeper of the days, driven through a few thousand seeded sequences of
// events against a disk in memory (keeper_simulation.h says what happens and
// what is checked after every event): fixed seeds, and a block from the
// clock that no run has walked before. A failing seed replays alone.
#include <gtest/gtest.h>

#include <cstdio>

#include "keeper_simulation.h"

namespace {

void Walk(uint32_t first, uint32_t sequences)
{
    constexpr int EventsPerSequence = 200;
    std::printf("first seed %u\n", first);
    keepersim::Figures figures;
    for (uint32_t seed = first; seed < first + sequences; ++seed) {
        std::string failure = keepersim::Simulation(seed, figures).Run(EventsPerSequence);
        ASSERT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
    }
    std::printf("%ld sequences, %ld events, %ld saves, %ld kills, %ld edits by other programs, %ld registrations, "
                "%ld checks of the files\n",
                figures.sequences, figures.events, figures.saves, figures.kills, figures.edits, figures.registrations,
                figures.checks);
}

TEST(KeeperSimulation, NoDayLosesOrDoublesAStrokeWhateverHappensToItsFiles) { Walk(1, 3000); }

TEST(KeeperSimulation, SeedsThatOnceFoundFaults)
{
    // apps.csv doubled after the programs were deleted while the pending
    // file held floors of them, then a kill and a login.
    for (uint32_t seed : {9000171u, 9102775u, 9201614u})
        Walk(seed, 1);
}

TEST(KeeperSimulation, SeedsNoRunHasWalked) { Walk(keepersim::FreshSeed(), 1000); }

} // namespace
