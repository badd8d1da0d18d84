// The long run of the keeper's simulation: sequences from a first seed on,
// each of so many events, every invariant checked after every event. Prints
// the first seed and the figures; ends with 1 and the failing seed's story on
// the first failure. FIRST-SEED "fresh" takes one from the clock: a block no
// run has walked before.
//
//   keeper_simulation_long FIRST-SEED SEQUENCES EVENTS-PER-SEQUENCE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "keeper_simulation.h"

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: keeper_simulation_long FIRST-SEED|fresh SEQUENCES EVENTS-PER-SEQUENCE\n");
        return 2;
    }
    const uint32_t first = std::strcmp(argv[1], "fresh") == 0
                               ? keepersim::FreshSeed()
                               : static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10));
    const long sequences = std::strtol(argv[2], nullptr, 10);
    const int events = static_cast<int>(std::strtol(argv[3], nullptr, 10));
    std::printf("first seed %u (replay: keeper_simulation_long %u %ld %d)\n", first, first, sequences, events);
    std::fflush(stdout);
    const std::clock_t began = std::clock();
    keepersim::Figures figures;
    for (long n = 0; n < sequences; ++n) {
        const uint32_t seed = first + static_cast<uint32_t>(n);
        std::string failure = keepersim::Simulation(seed, figures).Run(events);
        if (!failure.empty()) {
            std::printf("seed %u: %s\n", seed, failure.c_str());
            return 1;
        }
    }
    const double seconds = static_cast<double>(std::clock() - began) / CLOCKS_PER_SEC;   // of CPU
    std::printf("%ld sequences, %ld events, %ld saves, %ld kills, %ld edits by other programs, %ld registrations, "
                "%ld leavings, %ld checks of the files in %.1f s: every invariant held\n",
                figures.sequences, figures.events, figures.saves, figures.kills, figures.edits, figures.registrations,
                figures.leaves, figures.checks, seconds);
    return 0;
}
