// A choice read over the card's HTTP interface, against the card emulator on loopback: time per
// read, and how many body bytes the client received and pulled before it closed. A choice read
// of slot offset + 31 bytes must not pull much more than one socket read beyond that.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/messages.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"
#include "transfer/card_client.h"

namespace {

constexpr std::size_t slotOffset = 1000;
constexpr std::size_t programSize = 100 * 1024;
constexpr std::size_t wholeFileBuffer = 139264;

void readFromCard(benchmark::State& state, std::size_t count) {
    if (!std::filesystem::exists(testing_support::CardEmulatorProcess::executable())) {
        state.SkipWithError("build vkrandom-card-emulator first");
        return;
    }
    testing_support::TempDir root;
    testing_support::writeFile(root / "PROG.XML", std::string(programSize, 'p'));
    testing_support::CardEmulatorProcess card(root.path());
    testing_support::FakePrompts prompts;
    core::CardMessages sink(prompts);
    transfer::CardClient client(sink, card.host());
    char path[64];
    transfer::percentEncodePath("PROG.XML", path, sizeof path);

    std::vector<std::uint8_t> buffer(count);
    std::size_t received = 0;
    std::uint64_t pulled = 0;
    for (auto _ : state) {
        received = client.downloadFile(path, buffer);
        pulled = client.lastPulled();
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["received"] = static_cast<double>(received);
    state.counters["pulled"] = static_cast<double>(pulled);
    state.counters["pulled_beyond_count"] =
        static_cast<double>(pulled > count ? pulled - count : 0);
    if (!prompts.messages.empty() || received != std::min(count, programSize))
        state.SkipWithError("the read failed");
}

void BM_CardChoiceRead(benchmark::State& state) {
    readFromCard(state, slotOffset + 31);
}
void BM_CardWholeFileRead(benchmark::State& state) {
    readFromCard(state, wholeFileBuffer);
}

BENCHMARK(BM_CardChoiceRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CardWholeFileRead)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
