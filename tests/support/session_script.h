// Editor sessions played from scripts in tests/data/, one GoogleTest per case, each on a scratch
// folder of its own. In a script:
//   == Name: what it shows     starts the case Name (an identifier: ctest -R finds it)
//   def NAME ... end           a macro: "NAME a|b|c" plays its lines with $1, $2, $3 replaced
//   posix: LINE, windows: LINE a line (a title too) that holds on one system only
// Any other line is a step: a verb and its words, below by what they do; their text takes the
// escapes of support/cases.h. $DIR is the scratch folder, $HOST the card emulator's address once
// "card" has started it on $DIR/card. A file chosen below $DIR/card/ lies on that USB card, any
// other on $DIR/card2/.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <sstream>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "support/card_emulator_process.h"
#include "support/cases.h"
#include "support/session_fixture.h"
#include "transfer/card_client.h"

namespace testing_support {

inline void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

struct Script {
    std::string file, name;
    int line = 0;
    std::vector<std::pair<int, std::string>> steps;  // line number, step
};

// The cases of a script file that hold on this system, their macros expanded.
inline std::vector<Script> readScripts(const std::string& file) {
    std::string mine = "posix: ", other = "windows: ";
#ifdef _WIN32
    mine.swap(other);
#endif
    std::istringstream lines(readFile(file));
    std::vector<Script> scripts;
    std::map<std::string, std::vector<std::string>> macros;
    std::vector<std::string>* defining = nullptr;
    std::function<void(int, std::string)> add = [&](int number, std::string line) {
        const auto macro = macros.find(line.substr(0, line.find(' ')));
        if (macro == macros.end()) return scripts.back().steps.push_back({number, line});
        std::istringstream fields(line.substr(std::min(line.size(), macro->first.size() + 1)));
        std::vector<std::string> args(9);
        for (std::size_t i = 0; i < args.size() && std::getline(fields, args[i], '|');) ++i;
        for (std::string step : macro->second) {
            for (std::size_t i = 0; i < args.size(); ++i)
                replaceAll(step, "$" + std::to_string(i + 1), args[i]);
            add(number, step);
        }
    };
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (line.starts_with(other)) continue;
        if (line.starts_with(mine)) line.erase(0, mine.size());
        if (line.empty() || line[0] == '#') continue;
        if (defining && line == "end")
            defining = nullptr;
        else if (defining)
            defining->push_back(line);
        else if (line.starts_with("def "))
            defining = &macros[line.substr(4)];
        else if (line.starts_with("== "))
            scripts.push_back({file, line.substr(3, line.find(':') - 3), number, {}});
        else
            add(number, line);
    }
    return scripts;
}

struct Session : SessionFixture {
    explicit Session(Script script);
    void TestBody() override;
    void play(const std::string& step);

    Script script;
    std::map<std::string, std::function<void()>> steps;
    std::unique_ptr<CardEmulatorProcess> card;
    core::CardMessages cardMessages{prompts};
    std::unique_ptr<transfer::CardClient> client;  // a card client of its own, for "client" steps
    std::string line;                              // the step
    std::vector<std::string> a;                    // its words

    void on(const std::string& verb, std::function<void()> step) { steps[verb] = std::move(step); }
    int n(std::size_t i) const { return std::stoi(a.at(i)); }
    bool flag(std::size_t i) const { return a.at(i) == "1"; }
    std::string path(std::size_t i = 1) const { return dir / a.at(i); }
    // The step's text after its first k words.
    std::string text(std::size_t k) const {
        std::size_t at = 0;
        for (std::size_t i = 0; i < k && at != std::string::npos; ++i)
            if ((at = line.find(' ', at)) != std::string::npos) ++at;
        return at == std::string::npos ? "" : unescape(line.substr(at));
    }
    // The words from a[from] on, each converted.
    template <typename F>
    auto each(std::size_t from, F convert) const {
        std::vector<decltype(convert(a[0]))> out;
        for (std::size_t i = from; i < a.size(); ++i) out.push_back(convert(a[i]));
        return out;
    }
    // A program of a[from + 1] filler bytes holding at a[from] the slot "random", "none",
    // "const N" or "choice N KIND" (a[from + 2...]), cut where the file ends.
    std::string program(std::size_t from) const {
        const std::string kind = a.at(from + 2);
        std::string slot = kind == "random"  ? random4
                           : kind == "const" ? constantSlot(n(from + 3))
                                             : "";
        if (kind == "choice") {
            const auto bytes = core::encodeChoice(n(from + 3), n(from + 4));
            slot.assign(bytes.begin(), bytes.end());
        }
        const std::size_t size = n(from + 1);
        std::string data(size, ' ');
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
        return data.replace(n(from), slot.size(), slot).substr(0, size);
    }
};

inline Session::Session(Script script) : script(std::move(script)) {
    remoteFolderOf = [this](const std::string& chosen) {  // the card of a file chosen
        return chosen.rfind(dir / "card/", 0) == 0 ? dir / "card/" : dir / "card2/";
    };
    // What the scratch folder holds, made and checked.
    on("settings", [&] { settings(text(1)); });
    on("catalogue", [&] { catalogue(text(1)); });
    on("file", [&] { writeFile(path(), text(2)); });
    on("program", [&] { writeFile(path(), program(2)); });
    on("reply", [&] {  // a raw reply for the emulator, $BODY in it replaced by a file
        std::string reply = text(3);
        if (const auto at = reply.find("$BODY"); at != std::string::npos)
            reply.replace(at, 5, readFile(path(2)));
        writeFile(path(), reply);
    });
    on("link", [&] { std::filesystem::create_symlink(a.at(2), path()); });
    on("resize", [&] { std::filesystem::resize_file(path(), std::stoull(a.at(2))); });
#ifndef _WIN32
    on("fifo", [&] { ASSERT_EQ(::mkfifo(path().c_str(), 0644), 0); });
#endif
    on("mkdir", [&] { std::filesystem::create_directories(path()); });
    on("rm", [&] { std::filesystem::remove(path()); });
    on("holds", [&] { EXPECT_EQ(readFile(path()), text(2)); });
    on("holds-program", [&] { EXPECT_EQ(readFile(path()), program(2)); });
    on("backed-up", [&] {  // NAME PROGRAM...: the newest backup holds that program as NAME
        std::string newest;
        for (const auto& entry : std::filesystem::directory_iterator(dir / "backup"))
            if (entry.is_directory()) newest = std::max(newest, entry.path().string());
        EXPECT_EQ(readFile(newest + "/" + a.at(1)), program(2));
    });
    on("saved",
       [&] { EXPECT_EQ(platform::readProfileString(a.at(1), a.at(2), "?", ini()), text(3)); });

    // What the user does in the session, and what answers its questions.
    on("start", [&] {
        prompts.messages.clear();
        prompts.questions.clear();
        start().cardClient().setClock([] {  // 2015-12-05 19:22:31, in the golden requests
            std::tm t{};
            t.tm_year = 115, t.tm_mon = 11, t.tm_mday = 5, t.tm_hour = 19, t.tm_min = 22;
            t.tm_sec = 31;
            return t;
        });
    });
    on("second-instance", [&] {
        FakePrompts second;
        FakeWindow window2;
        core::CRandomEditor editor2(second, {ini(), dir / "lock", dir.path(), {}, dir / "backup"});
        EXPECT_FALSE(editor2.startUp(window2));
        EXPECT_EQ(second.messages, std::vector<int>{106});
        EXPECT_TRUE(window2.closeRequests == 1 && window2.lines.empty());
    });
    on("answers", [&] { prompts.answers.assign(a.begin() + 1, a.end()); });
    on("select", [&] { select(text(1)); });
    on("select-line", [&] {
        window.select(n(1));
        editor->selectEntry(window);
    });
    on("rename-line", [&] { window.lines.at(n(1)) = cp932(a.at(2)); });
    on("export", [&] { editor->exportChoice(n(1)); });
    on("write", [&] { EXPECT_EQ(editor->writeChoice(n(1)), flag(2)); });
    on("execute", [&] { EXPECT_EQ(editor->executeSelected(), flag(1)); });
    on("apply", [&] {  // PROGRAM-TYPE CONNECT-TYPE [CARD-HOST]
        prompts.settingsAnswer = core::SettingsChoice{n(1), n(2)};
        if (a.size() > 3) prompts.settingsAnswer->cardHost = a[3];
        editor->applySettings(window);
    });
    on("folder-in-dialog", [&] {  // PATH: chosen with the dialog's folder button
        prompts.answers = {text(1)};
        prompts.folderInDialog = true;
        editor->applySettings(window);
        prompts.folderInDialog = false;
    });
    on("set-checked", [&] { window.setChecked(n(1), flag(2)); });
    on("set-enabled", [&] { window.setEnabled(n(1), flag(2)); });
    on("choose-folder", [&] { EXPECT_EQ(editor->chooseProgramFolder(), flag(1)); });
    on("store-settings", [&] { editor->storeSettings({n(1), n(2)}); });
    on("store-failed", [&] { EXPECT_EQ(editor->settingsStoreFailed(), flag(1)); });
    on("forget", [&] { prompts.messages.clear(); });
    on("reset", [&] { EXPECT_EQ(editor->resetAll(), flag(1)); });
    on("undo", [&] { EXPECT_EQ(editor->undoLastChange(), flag(1)); });
    on("show-states", [&] {  // as a desktop window shows them
        window.statesShown = true;
        editor->showStates(window);
    });
    on("no", [&] { prompts.yes = false; });  // every question is answered No
    on("meanwhile", [&] {                    // STEP...: done while the next question is open
        prompts.duringQuestion = [this, step = line.substr(10)] { play(step); };
    });

    // What the window and the prompts show.
    on("messages", [&] {
        const auto& texts = prompts.messageTexts;
        EXPECT_EQ(prompts.messages, each(1, [](auto& w) { return std::stoi(w); }))
            << (texts.empty() ? "" : texts.back());
        prompts = {};
    });
    on("says", [&] {  // one of the messages shown begins with the text
        const auto& shown = prompts.messageTexts;
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](auto& t) {
            return t.rfind(text(1), 0) == 0;
        })) << (shown.empty() ? "no message" : shown.back());
    });
    on("lines", [&] { EXPECT_EQ(window.lines.size(), n(1)); });
    on("notes", [&] { EXPECT_EQ(window.notes, each(1, [](auto& w) { return w; })); });
    on("status", [&] { EXPECT_EQ(window.status.rfind(text(1), 0), 0u) << window.status; });
    on("list", [&] { EXPECT_EQ(window.lines, each(1, cp932)); });
    on("checked", [&] { EXPECT_EQ(window.checkedChoice(), n(1)); });
    on("text", [&] { EXPECT_EQ(window.text(n(1)), cp932(a.at(2))); });
    on("shown", [&] { EXPECT_EQ(window.isShown(n(1)), flag(2)); });
    on("enabled", [&] { EXPECT_EQ(window.isEnabled(n(1)), flag(2)); });
    on("selected", [&] { EXPECT_EQ(editor->selectedIndex(), n(1)); });
    on("connect-type", [&] { EXPECT_EQ(editor->connectType(), n(1)); });
    on("dialog-shows", [&] {
        EXPECT_EQ(prompts.shownSettings.programType, n(1));
        EXPECT_EQ(prompts.shownSettings.connectType, n(2));
    });
    on("find",
       [&] { EXPECT_EQ(editor->item(editor->findEntryByName(cp932(a.at(1)))).fileName, a.at(2)); });
    on("questions", [&] { EXPECT_EQ(prompts.questions.size(), n(1)); });
    on("asked", [&] {
        EXPECT_EQ(prompts.questions.at(n(1)).initialName, platform::nativeRelativePath(a.at(2)));
    });

    // The card emulator, a card client of the test's own, and what the card was sent.
    on("card", [&] {
        editor.reset();
        card.reset();
        std::filesystem::create_directories(dir / "card/ADDON");
        card = std::make_unique<CardEmulatorProcess>(dir / "card",
                                                     std::vector(a.begin() + 1, a.end()));
    });
    on("client", [&] {  // [HOST|- [DEADLINE [STALL]]]: on the emulator (-), or on the host
        const bool host = a.size() > 1 && a[1] != "-";
        client = std::make_unique<transfer::CardClient>(cardMessages, host ? a[1] : card->host());
        client->setLimits({.connectSeconds = 2,
                           .stallSeconds = a.size() > 3 ? n(3) : 1,
                           .floorSeconds = 2,
                           .deadlineSeconds = a.size() > 2 ? n(2) : 4});
    });
    on("download", [&] {  // PATH BUFFER-SIZE BYTES-KEPT
        std::vector<std::uint8_t> buffer(std::stoul(a.at(2)));
        EXPECT_EQ(client->downloadFile(a.at(1), buffer), std::stoul(a.at(3)));
    });
    on("upload", [&] {  // FOLDER NAME 0|1: a three-byte file
        EXPECT_EQ(client->uploadFile(a.at(1), a.at(2), std::vector<std::uint8_t>(3)), flag(3));
    });
    on("requests", [&] { EXPECT_EQ(card->requests().size(), n(1)); });
    on("uploads", [&] {  // requests for upload.cgi: an upload's command and its POST
        const auto r = card->requests();
        EXPECT_EQ(std::count_if(r.begin(), r.end(),
                                [](auto& q) { return q.find("upload.cgi") != q.npos; }),
                  n(1));
    });
    on("request-has", [&] {  // command|post TEXT: the last such request holds TEXT
        std::string last;
        for (const auto& r : card->requests())
            if (r.starts_with(a.at(1) == "post" ? "POST " : "GET /upload.cgi")) last = r;
        EXPECT_NE(last.find(text(2)), std::string::npos) << last;
    });
    on("golden-log", [&] {
        std::string log;
        for (const auto& r : card->requests()) log += "#REQUEST\n" + r + "\n";
        replaceAll(log, card->host(), "HOST");
        EXPECT_EQ(log, golden(a.at(1), log));
    });
    on("pulled-under", [&] { EXPECT_LT(editor->cardClient().lastPulled(), n(1)); });
}

inline void Session::play(const std::string& step) {
    // A step played while another waits on a question must leave that one's words alone.
    const auto outerLine = line;
    const auto outerWords = a;
    std::string folder = dir.path();
    replaceAll(folder, "\\", "\\\\");  // Windows' backslashes, which the steps' escapes eat
    line = step;
    replaceAll(line, "$DIR", folder);
    if (card) replaceAll(line, "$HOST", card->host());
    std::istringstream words(line);
    a.clear();
    for (std::string word; words >> word;) a.push_back(unescape(word));
    const auto known = steps.find(a.at(0));
    ASSERT_NE(known, steps.end()) << "unknown step";
    known->second();
    line = outerLine;
    a = outerWords;
}

inline void Session::TestBody() {
    for (const auto& [number, step] : script.steps) {
        SCOPED_TRACE(script.file + ":" + std::to_string(number) + ": " + step);
        play(step);
    }
}

// Registers each case of tests/data/FILE as the test SUITE.NAME; for a static initializer.
inline bool registerScripts(const char* suite, const std::string& file) {
    for (const Script& script : readScripts(VKRANDOM_SOURCE_DIR "/tests/data/" + file))
        testing::RegisterTest(suite, script.name.c_str(), nullptr, nullptr, script.file.c_str(),
                              script.line,
                              [script]() -> SessionFixture* { return new Session(script); });
    return true;
}

}  // namespace testing_support
