// The keeper of the days, driven through a few thousand seeded sequences of
// events against a disk in memory (keeper_simulation.h says what happens and
// what is checked after every event). A failing seed replays alone.
#include <gtest/gtest.h>

#include <cstdio>

#include "keeper_simulation.h"

namespace {

TEST(KeeperSimulation, NoDayLosesOrDoublesAStrokeWhateverHappensToItsFiles)
{
    constexpr uint32_t Sequences = 3000;
    constexpr int EventsPerSequence = 200;
    keepersim::Figures figures;
    for (uint32_t seed = 1; seed <= Sequences; ++seed) {
        std::string failure = keepersim::Simulation(seed, figures).Run(EventsPerSequence);
        ASSERT_TRUE(failure.empty()) << "seed " << seed << ": " << failure;
    }
    std::printf("%ld sequences, %ld events, %ld saves, %ld kills, %ld edits by other programs, %ld checks of the "
                "files\n",
                figures.sequences, figures.events, figures.saves, figures.kills, figures.edits, figures.checks);
}

} // namespace
