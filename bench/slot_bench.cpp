// Cost of reading and writing a choice slot on a local program file, and of reading the state of
// every place of a large catalogue at once (250 entries over 40 program files).
#include <benchmark/benchmark.h>

#include "core/random_editor.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

struct Session {
    testing_support::TempDir dir;
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;

    Session() {
        std::string program(100000, ' ');
        program.replace(50000, 30, R"(<mem_r size="4" adr="0x0084"/>)");
        testing_support::writeFile(dir / "robot/STARTUP.XML", "<x/>");
        testing_support::writeFile(dir / "robot/P.XML", program);
        testing_support::writeFile(dir / "Random.csv", "h\r\n0,P,x,P.XML,4,50000,a,b,c,\r\n");
        testing_support::writeFile(dir / "s.ini", "[DATA]\r\nPATH=" + dir / "robot" + "\r\n");
        editor = std::make_unique<core::CRandomEditor>(
            prompts,
            core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}, dir / "backup"});
        editor->startUp(window);
        window.select(0);
        editor->selectEntry(window);
    }
};

void readChoice(benchmark::State& state) {
    Session s;
    for (auto _ : state) benchmark::DoNotOptimize(s.editor->readChoice(0));
}
BENCHMARK(readChoice)->Unit(benchmark::kMicrosecond);

void writeChoice(benchmark::State& state) {
    Session s;
    int choice = 0;
    for (auto _ : state) {
        if (!s.editor->writeChoice(choice)) state.SkipWithError("write failed");
        choice = (choice + 1) % 4;
    }
}
BENCHMARK(writeChoice)->Unit(benchmark::kMicrosecond);

// What the window does at start-up and after each change when it shows every state.
void readAllStates(benchmark::State& state) {
    testing_support::TempDir dir;
    std::string program(40000, ' ');
    std::string csv = "h\r\n";
    for (int file = 0; file < 40; ++file) {
        for (int slot = 0; slot < 7; ++slot)
            program.replace(1000 + slot * 5000, 30, R"(<mem_r size="4" adr="0x0084"/>)");
        testing_support::writeFile(dir / ("robot/P" + std::to_string(file) + ".XML"), program);
    }
    for (int entry = 0; entry < 250; ++entry)
        csv += "0,E" + std::to_string(entry) + ",x,P" + std::to_string(entry % 40) + ".XML,4," +
               std::to_string(1000 + (entry / 40) * 5000) + ",a,b,c,\r\n";
    testing_support::writeFile(dir / "robot/STARTUP.XML", "<x/>");
    testing_support::writeFile(dir / "Random.csv", csv);
    testing_support::writeFile(dir / "s.ini", "[DATA]\r\nPATH=" + dir / "robot" + "\r\n");
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    core::CRandomEditor editor(
        prompts, core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}, dir / "backup"});
    editor.startUp(window);
    for (auto _ : state) {
        const auto states = editor.readStates();
        if (states.size() != 250 || !states.back().fits) state.SkipWithError("states not read");
    }
}
BENCHMARK(readAllStates)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
