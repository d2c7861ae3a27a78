// Editor sessions played from scripts in tests/data/, each on a scratch folder of its
// own: one step a line, "== name" starts a script; $DIR is the scratch folder, $HOST the card
// emulator's address once "card" has started it on $DIR/card. The steps are listed below; text
// arguments take the escapes of support/cases.h.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

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

// A program file of `size` filler bytes with `slot` at `offset`, cut where the file ends.
inline std::string programWith(const std::string& slot, std::size_t offset, std::size_t size) {
    std::string data(size, ' ');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + i % 26);
    return data.replace(offset, slot.size(), slot).substr(0, size);
}

struct Session : SessionFixture {
    void TestBody() override {}
    std::unique_ptr<CardEmulatorProcess> card;
    core::CardMessages cardMessages{prompts};
    std::unique_ptr<transfer::CardClient> client;  // a card client of its own, for "client" steps
    std::vector<std::string> a;                    // the step's words
    std::string rest;  // everything after the first word, or after the second
    int n(std::size_t i) const { return std::stoi(a.at(i)); }
    std::vector<int> ints(std::size_t from) const {
        std::vector<int> out;
        for (std::size_t i = from; i < a.size(); ++i) out.push_back(std::stoi(a[i]));
        return out;
    }
    // "random", "none", "const N" or "choice N KIND" at a[from...], as a program holding it.
    std::string program(std::size_t from) const {
        const std::string kind = a.at(from + 2);
        std::string slot = kind == "random"  ? random4
                           : kind == "const" ? constantSlot(n(from + 3))
                                             : "";
        if (kind == "choice") {
            const auto bytes = core::encodeChoice(n(from + 3), n(from + 4));
            slot.assign(bytes.begin(), bytes.end());
        }
        return programWith(slot, n(from), n(from + 1));
    }

    void step(const std::string& verb) {
        const auto path = [&] { return dir / a.at(1); };
        const auto flag = [&](std::size_t i) { return a.at(i) == "1"; };
        if (verb == "settings")
            settings(rest);
        else if (verb == "catalogue")
            catalogue(rest);
        else if (verb == "file")
            writeFile(path(), rest);
        else if (verb == "program")
            writeFile(path(), program(2));
        else if (verb == "link")
            std::filesystem::create_symlink(a.at(2), path());
        else if (verb == "resize")
            std::filesystem::resize_file(path(), std::stoull(a.at(2)));
#ifndef _WIN32
        else if (verb == "fifo")
            ASSERT_EQ(::mkfifo(path().c_str(), 0644), 0);
#endif
        else if (verb == "store-settings")
            editor->storeSettings({n(1), n(2)});
        else if (verb == "store-failed")
            EXPECT_EQ(editor->settingsStoreFailed(), flag(1));
        else if (verb == "mkdir")
            std::filesystem::create_directories(path());
        else if (verb == "rm")
            std::filesystem::remove(path());
        else if (verb == "start") {
            prompts.messages.clear();
            prompts.questions.clear();
            start();
            editor->cardClient().setClock([] {
                std::tm t{};
                std::tie(t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec) =
                    std::tuple(115, 11, 5, 19, 22, 31);
                return t;
            });
        } else if (verb == "card") {
            editor.reset();
            card.reset();
            std::filesystem::create_directories(dir / "card/ADDON");
            card = std::make_unique<CardEmulatorProcess>(dir / "card",
                                                         std::vector(a.begin() + 1, a.end()));
        } else if (verb == "client") {  // on the emulator, or on the host given
            client = std::make_unique<transfer::CardClient>(cardMessages,
                                                            a.size() > 1 ? a[1] : card->host());
            client->setLimits({.connectSeconds = 2,
                               .stallSeconds = 1,
                               .floorBytesPerSecond = 256,
                               .floorSeconds = 2});
        } else if (verb == "download") {  // PATH BUFFER-SIZE BYTES-KEPT|- [STATUS]
            std::vector<std::uint8_t> buffer(std::stoul(a.at(2)));
            const auto kept = client->downloadFile(a.at(1), buffer);
            if (a.at(3) != "-") {
                EXPECT_EQ(kept, std::stoul(a[3]));
            }
            if (a.size() > 4) {
                EXPECT_EQ(client->lastStatus(), n(4));
            }
        } else if (verb == "upload" || verb == "post") {  // [FOLDER] NAME 0|1|- [STATUS]
            const std::vector<std::uint8_t> data = {'n', 'e', 'w'};
            const std::size_t at = verb == "upload" ? 3 : 2;
            const bool done = verb == "upload"
                                  ? client->uploadFile(a.at(1) == "/" ? "" : a[1], a.at(2), data)
                                  : client->postFile(a.at(1), data);
            if (a.at(at) != "-") {
                EXPECT_EQ(done, flag(at));
            }
            if (a.size() > at + 1) {
                EXPECT_EQ(client->lastStatus() / (a[at + 1].size() == 1 ? 100 : 1), n(at + 1));
            }
        } else if (verb == "command")
            EXPECT_EQ(client->sendCommand(client->uploadUrl() + a.at(1)), a.at(2));
        else if (verb == "requests")
            EXPECT_EQ(card->requests().size(), n(1));
        else if (verb == "says")
            EXPECT_EQ(prompts.messageTexts.at(0).rfind(rest, 0), 0u) << prompts.messageTexts[0];
        else if (verb == "reply") {  // a raw reply whose $BODY is a file's content
            std::string reply = rest;
            writeFile(path(), reply.replace(reply.find("$BODY"), 5, readFile(dir / a.at(2))));
        } else if (verb == "forget")
            prompts.messages.clear();
        else if (verb == "answers")
            prompts.answers.assign(a.begin() + 1, a.end());
        else if (verb == "usb-cards")
            remoteFolderOf = [this](const std::string& chosen) {
                return chosen.rfind(dir / "card/", 0) == 0 ? dir / "card/" : dir / "card2/";
            };
        else if (verb == "select")
            select(rest);
        else if (verb == "select-line") {
            window.select(n(1));
            editor->selectEntry(window);
        } else if (verb == "rename-line")
            window.lines.at(n(1)) = cp932(a.at(2));
        else if (verb == "export")
            editor->exportChoice(n(1));
        else if (verb == "write")
            EXPECT_EQ(editor->writeChoice(n(1)), flag(2));
        else if (verb == "execute")
            EXPECT_EQ(editor->executeSelected(), flag(1));
        else if (verb == "apply") {
            prompts.settingsAnswer = core::SettingsChoice{n(1), n(2)};
            editor->applySettings(window);
        } else if (verb == "set-checked")
            window.setChecked(n(1), flag(2));
        else if (verb == "set-enabled")
            window.setEnabled(n(1), flag(2));
        else if (verb == "choose-folder")
            EXPECT_EQ(editor->chooseProgramFolder(), flag(1));
        else if (verb == "second-instance") {
            FakePrompts secondPrompts;
            FakeWindow second;
            core::CRandomEditor editor2(secondPrompts,
                                        {ini(), dir / "lock", dir.path(), {}, dir / "backup"});
            EXPECT_FALSE(editor2.startUp(second));
            EXPECT_EQ(secondPrompts.messages, std::vector<int>{106});
            EXPECT_TRUE(second.closeRequests == 1 && second.lines.empty());
        } else if (verb == "messages") {
            EXPECT_EQ(prompts.messages, ints(1))
                << (prompts.messageTexts.empty() ? "" : prompts.messageTexts.back());
            prompts.messages.clear();
            prompts.messageTexts.clear();
        } else if (verb == "lines")
            EXPECT_EQ(window.lines.size(), n(1));
        else if (verb == "list") {
            std::vector<std::string> names;
            for (std::size_t i = 1; i < a.size(); ++i) names.push_back(cp932(a[i]));
            EXPECT_EQ(window.lines, names);
        } else if (verb == "checked")
            EXPECT_EQ(window.checkedChoice(), n(1));
        else if (verb == "is-checked")
            EXPECT_EQ(window.isChecked(n(1)), flag(2));
        else if (verb == "text")
            EXPECT_EQ(window.text(n(1)), cp932(a.at(2)));
        else if (verb == "shown")
            EXPECT_EQ(window.isShown(n(1)), flag(2));
        else if (verb == "enabled")
            EXPECT_EQ(window.isEnabled(n(1)), flag(2));
        else if (verb == "selected")
            EXPECT_EQ(editor->selectedIndex(), n(1));
        else if (verb == "connect-type")
            EXPECT_EQ(editor->connectType(), n(1));
        else if (verb == "dialog-shows") {
            EXPECT_EQ(prompts.shownSettings.programType, n(1));
            EXPECT_EQ(prompts.shownSettings.connectType, n(2));
        } else if (verb == "find")
            EXPECT_EQ(editor->item(editor->findEntryByName(cp932(a.at(1)))).fileName, a.at(2));
        else if (verb == "folder")
            EXPECT_EQ(editor->programFolder(), rest);
        else if (verb == "questions")
            EXPECT_EQ(prompts.questions.size(), n(1));
        else if (verb == "asked")
            EXPECT_EQ(prompts.questions.at(n(1)).initialName,
                      platform::nativeRelativePath(a.at(2)));
        else if (verb == "saved")
            EXPECT_EQ(platform::readProfileString(a.at(1), a.at(2), "?", ini()), rest);
        else if (verb == "holds")
            EXPECT_EQ(readFile(path()), rest);
        else if (verb == "holds-program")
            EXPECT_EQ(readFile(path()), program(2));
        else if (verb == "pulled-under")
            EXPECT_LT(editor->cardClient().lastPulled(), n(1));
        else if (verb == "uploads" || verb == "request-has") {
            std::size_t uploads = 0;  // the upload's command and its POST both address upload.cgi
            std::string command, post;
            for (const auto& r : card->requests()) {
                uploads += r.find("upload.cgi") != std::string::npos;
                if (r.starts_with("GET /upload.cgi")) command = r;
                if (r.starts_with("POST ")) post = r;
            }
            if (verb == "uploads")
                EXPECT_EQ(uploads, n(1));
            else
                EXPECT_NE((a.at(1) == "post" ? post : command).find(rest), std::string::npos)
                    << command + post;
        } else if (verb == "golden-log") {
            std::string log;
            for (const auto& r : card->requests()) log += "#REQUEST\n" + r + "\n";
            for (auto at = log.find(card->host()); at != std::string::npos;
                 at = log.find(card->host()))
                log.replace(at, card->host().size(), "HOST");
            EXPECT_EQ(log, golden(a.at(1), log));
        } else
            ADD_FAILURE() << "unknown step " << verb;
    }
};

// Plays every script of tests/data/NAME.
inline void playSessions(const std::string& name) {
    std::istringstream lines(readFile(std::string(VKRANDOM_SOURCE_DIR) + "/tests/data/" + name));
    std::unique_ptr<Session> s;
    std::string script;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (line.empty() || line[0] == '#') continue;
            // A step that holds on one system only: where WinInet cannot see what libcurl sees.
#ifdef _WIN32
        if (line.starts_with("posix: ")) continue;
        if (line.starts_with("windows: ")) line.erase(0, 9);
#else
        if (line.starts_with("windows: ")) continue;
        if (line.starts_with("posix: ")) line.erase(0, 7);
#endif
        if (line.starts_with("== ")) {
            s.reset();
            s = std::make_unique<Session>();
            script = line.substr(3);
            continue;
        }
        // Windows folders hold backslashes, which the steps' escapes would eat.
        std::string folder = s->dir.path();
        for (std::size_t at = 0; (at = folder.find('\\', at)) != std::string::npos; at += 2)
            folder.insert(at, 1, '\\');
        for (std::size_t at; (at = line.find("$DIR")) != std::string::npos;)
            line.replace(at, 4, folder);
        for (std::size_t at; s->card && (at = line.find("$HOST")) != std::string::npos;)
            line.replace(at, 5, s->card->host());
        SCOPED_TRACE(name + ":" + std::to_string(number) + " (" + script + "): " + line);
        std::istringstream words(line);
        s->a.clear();
        for (std::string word; words >> word;) s->a.push_back(unescape(word));
        const std::size_t cut = line.find(' ', line.find(' ') + 1);
        const std::string& verb = s->a[0];
        const bool twoWords =
            verb == "file" || verb == "holds" || verb == "saved" || verb == "request-has";
        const std::size_t from = verb == "saved" || verb == "reply" ? line.find(' ', cut + 1)
                                 : twoWords                         ? cut
                                                                    : line.find(' ');
        s->rest = from == std::string::npos ? "" : unescape(line.substr(from + 1));
        s->step(verb);
    }
}

}  // namespace testing_support
