// The core's two hot paths under Google Benchmark: one age selection (30 assignments) and one docking
// tick, each on the tests' recording fake (which logs every operation as a string) and on a null toolkit
// (bench/null_toolkit.h) that shows the core's own cost. Before the benchmarks it proves, by counting the
// calls of operator new, that a docking tick and a selection allocate nothing of their own; it fails
// (exit status 1) if they do.
#include "bench/allocation_counter.h"
#include "bench/null_toolkit.h"
#include "docking/docking_step.h"
#include "reference/age_selection.h"
#include "tests/fake_toolkit.h"

#include <benchmark/benchmark.h>
#include <cstdio>

namespace tolvane::bench {
namespace {

constexpr POINT kPointerAway{900, 700};

const ReferenceRow& rowFor(std::size_t i) {
    return kReferenceTable[i % kReferenceTable.size()];
}

void countAllocations(benchmark::State& state, std::uint64_t before) {
    state.counters["allocs"] = benchmark::Counter(static_cast<double>(allocationsSoFar() - before),
                                                  benchmark::Counter::kAvgIterations);
}

void AgeSelection_RecordingFake(benchmark::State& state) {
    testing::FakeToolkit fake;
    std::size_t i = 0;
    const std::uint64_t before = allocationsSoFar();
    for (auto _ : state) {
        selectAge(fake, rowFor(i++));
        fake.log.clear(); // its capacity stays: the log's strings are what is left to allocate
    }
    countAllocations(state, before);
}
BENCHMARK(AgeSelection_RecordingFake);

void AgeSelection_NullToolkit(benchmark::State& state) {
    NullToolkit toolkit;
    std::size_t i = 0;
    const std::uint64_t before = allocationsSoFar();
    for (auto _ : state) {
        selectAge(toolkit, rowFor(i++));
    }
    benchmark::DoNotOptimize(toolkit.captionBytes);
    countAllocations(state, before);
}
BENCHMARK(AgeSelection_NullToolkit);

// At rest: the pointer away and the window hidden at the top, so that every tick hides it again. Over:
// the pointer on the window, so that every tick brings it back.
void DockingTick_RecordingFake(benchmark::State& state) {
    const bool over = state.range(0) != 0;
    testing::FakeToolkit fake;
    fake.rectFollowsProperties = true;
    fake.top = over ? -10 : 40 - fake.height;
    fake.cursor = over ? POINT{10, 5} : kPointerAway;
    const std::uint64_t before = allocationsSoFar();
    for (auto _ : state) {
        Timer1_Timer(fake);
        fake.log.clear();
    }
    countAllocations(state, before);
    state.SetLabel(over ? "pointer over" : "at rest");
}
BENCHMARK(DockingTick_RecordingFake)->Arg(0)->Arg(1);

void DockingTick_NullToolkit(benchmark::State& state) {
    NullToolkit toolkit;
    toolkit.pointerOverWindow = state.range(0) != 0;
    const std::uint64_t before = allocationsSoFar();
    for (auto _ : state) {
        Timer1_Timer(toolkit);
    }
    benchmark::DoNotOptimize(toolkit.top);
    countAllocations(state, before);
    state.SetLabel(toolkit.pointerOverWindow ? "pointer over" : "at rest");
}
BENCHMARK(DockingTick_NullToolkit)->Arg(0)->Arg(1);

// Allocations of n runs of work on a fresh null toolkit, after one run to warm up.
template <typename Work> std::uint64_t allocationsOf(int n, Work work) {
    NullToolkit toolkit;
    work(toolkit, 0);
    const std::uint64_t before = allocationsSoFar();
    for (int i = 1; i <= n; ++i) {
        work(toolkit, i);
    }
    return allocationsSoFar() - before;
}

bool proveNoAllocations() {
    constexpr int kRuns = 10000;
    const std::uint64_t atRest = allocationsOf(kRuns, [](NullToolkit& t, int) { Timer1_Timer(t); });
    const std::uint64_t over = allocationsOf(kRuns, [](NullToolkit& t, int) {
        t.pointerOverWindow = true;
        Timer1_Timer(t);
    });
    const std::uint64_t alternating = allocationsOf(kRuns, [](NullToolkit& t, int i) {
        t.pointerOverWindow = i % 2 == 0;
        Timer1_Timer(t);
    });
    const std::uint64_t selections = allocationsOf(
        kRuns, [](NullToolkit& t, int i) { selectAge(t, rowFor(static_cast<std::size_t>(i))); });
    std::printf("allocations in %d docking ticks at rest: %llu\n", kRuns, (unsigned long long)atRest);
    std::printf("allocations in %d docking ticks with the pointer over: %llu\n", kRuns,
                (unsigned long long)over);
    std::printf("allocations in %d docking ticks hiding and revealing in turn: %llu\n", kRuns,
                (unsigned long long)alternating);
    std::printf("allocations in %d age selections: %llu\n", kRuns, (unsigned long long)selections);
    return atRest == 0 && over == 0 && alternating == 0 && selections == 0;
}

} // namespace
} // namespace tolvane::bench

int main(int argc, char** argv) {
    const bool none = tolvane::bench::proveNoAllocations();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!none) {
        std::fprintf(stderr, "core_bench: a docking tick or a selection allocated memory\n");
        return 1;
    }
    return 0;
}
