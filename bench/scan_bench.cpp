// Cost of one polling pass of the key scan, over a keyboard that answers at
// once: the work Kivora does 50 times a second, without the platform calls.
// A quiet pass (no input for minutes) asks for no key; a pass after input
// scans every key; the count pages' scans alone are measured beside it.
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

// The polling thread's pass after minutes without input: the gate alone.
void QuietPass(benchmark::State& state)
{
    CounterTable table;
    OtherKeyTable others;
    TableKeyboard keyboard;
    KeyPoller poller;
    int64_t nowMs = 0;
    for (int pass = 0; pass < 30000; ++pass, nowMs += 20)
        poller.Pass(table, others, keyboard, nowMs);
    long before = Allocations;
    for (auto _ : state) {
        poller.Pass(table, others, keyboard, nowMs);
        nowMs += 20;
    }
    ReportAllocations(state, before);
}
BENCHMARK(QuietPass);

// A whole scan with no key down: every key queried (Shift, 6 modifiers, 26 +
// 25 for the pages, 56 codes of the other keys) and nothing counted.
void IdlePass(benchmark::State& state)
{
    CounterTable table;
    OtherKeyTable others;
    TableKeyboard keyboard;
    long before = Allocations;
    for (auto _ : state)
        ScanEveryKey(table, others, keyboard);
    ReportAllocations(state, before);
}
BENCHMARK(IdlePass);

// Every other pass counts a stroke of key: it is down in one pass and up in
// the next, so each pair of passes arms and counts once (for a key of the
// pages, two texts formed and two rectangles invalidated).
void StrokePass(benchmark::State& state, int key)
{
    CounterTable table;
    OtherKeyTable others;
    TableKeyboard keyboard;
    long before = Allocations;
    bool down = false;
    for (auto _ : state) {
        keyboard.down = down ? key : -1;
        ScanEveryKey(table, others, keyboard);
        down = !down;
    }
    ReportAllocations(state, before);
}
BENCHMARK_CAPTURE(StrokePass, K, 'K');
BENCHMARK_CAPTURE(StrokePass, Space, 0x20);

// The count pages' scans alone, as every pass was before the other keys.
void PagesIdlePass(benchmark::State& state)
{
    CounterTable table;
    TableKeyboard keyboard;
    for (auto _ : state)
        ScanPass(table, keyboard);
}
BENCHMARK(PagesIdlePass);

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
