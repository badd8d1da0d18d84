// Cost of one polling pass of the key scan, over a keyboard that answers at
// once: the work Kivora does 50 times a second, without the platform calls.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "table_keyboard.h"

namespace {

std::atomic<long> Allocations{0};

void ReportAllocations(benchmark::State& state, long before)
{
    state.counters["allocs/pass"] =
        benchmark::Counter(static_cast<double>(Allocations - before), benchmark::Counter::kAvgIterations);
}

// No key down: 1 + 26 + 25 queries and nothing counted.
void IdlePass(benchmark::State& state)
{
    CounterTable table;
    TableKeyboard keyboard;
    long before = Allocations;
    for (auto _ : state)
        ScanPass(table, keyboard);
    ReportAllocations(state, before);
}
BENCHMARK(IdlePass);

// Every other pass counts a stroke: the key is down in one pass and up in
// the next, so each pair of passes arms and counts once (two texts formed,
// two rectangles invalidated).
void StrokePass(benchmark::State& state)
{
    CounterTable table;
    TableKeyboard keyboard;
    long before = Allocations;
    bool down = false;
    for (auto _ : state) {
        keyboard.down = down ? 'K' : -1;
        ScanPass(table, keyboard);
        down = !down;
    }
    ReportAllocations(state, before);
}
BENCHMARK(StrokePass);

} // namespace

void* operator new(std::size_t size)
{
    ++Allocations;
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

BENCHMARK_MAIN();
