// Catalogue load speed: a typical 256-entry file and a 100,000-line one (list fill excluded).
#include <benchmark/benchmark.h>

#include "core/catalogue.h"
#include "support/temp_dir.h"

namespace {

std::string catalogue(int lines) {
    std::string csv = "種別,名前,備考,ファイル,乱数,位置,選択肢\r\n";
    for (int i = 0; i < lines; ++i)
        csv += "0,entry" + std::to_string(i) + ",note,\"ACT\\FILE" + std::to_string(i % 50) +
               ".XML\",4," + std::to_string(100 + i) + ",first,second,third,fourth,\r\n";
    return csv;
}

void loadCatalogue(benchmark::State& state) {
    testing_support::TempDir dir;
    const int lines = static_cast<int>(state.range(0));
    testing_support::writeFile(dir / "Random.csv", catalogue(lines));
    for (auto _ : state) {
        std::vector<core::RandomItem> items;
        items.reserve(256);
        if (!core::readCatalogueFile(dir / "Random.csv", items) ||
            items.size() != static_cast<std::size_t>(lines))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(items.data());
    }
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(loadCatalogue)->Arg(256)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
