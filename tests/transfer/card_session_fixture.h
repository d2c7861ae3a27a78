// A session on connection type 2 whose card is the emulator, serving a temp folder.
#pragma once

#include <gtest/gtest.h>

#include "core/random_editor.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace testing_support {

struct CardSessionFixture : ::testing::Test {
    TempDir dir;
    FakePrompts prompts;
    FakeWindow window;
    std::unique_ptr<CardEmulatorProcess> card;
    std::unique_ptr<core::CRandomEditor> editor;
    std::string cardRoot() const { return dir / "card"; }

    // Starts the card (with emulator fault flags) and a session using it; an empty program
    // folder means the programs are on the card.
    void start(const std::string& programFolder, std::vector<std::string> faults = {}) {
        std::filesystem::create_directories(cardRoot());
        card = std::make_unique<CardEmulatorProcess>(cardRoot(), std::move(faults));
        startSession(programFolder, card->host());
    }
    void startSession(const std::string& programFolder, const std::string& host) {
        writeFile(dir / "s.ini", "[DATA]\r\nPATH=" + programFolder +
                                     "\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + host + "\r\n");
        editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
    }
    void select(int line) {
        window.select(line);
        editor->selectEntry(window);
    }
};

}  // namespace testing_support
