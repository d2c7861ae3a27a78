// A robot folder, a catalogue and a settings file in a temp folder, and a session over them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "core/random_editor.h"
#include "platform/encoding.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace testing_support {

inline std::string cp932(const std::string& utf8) {
    return platform::utf8ToCp932(utf8).value();
}

inline const std::string random4 = R"(<mem_r size="4" adr="0x0084"/>)";
inline std::string constantSlot(int value) {
    const std::string e = "<const data=\"" + std::to_string(value) + "\"/>";
    return e + "\r\n" + std::string(28 - e.size(), ' ');
}

struct SessionFixture : ::testing::Test {
    TempDir dir;
    FakePrompts prompts;
    FakeWindow window;
    std::unique_ptr<core::CRandomEditor> editor;
    std::function<std::string(const std::string&)> remoteFolderOf;  // empty: the mount point

    std::string ini() const { return dir / "VKRandom.ini"; }

    void settings(const std::string& content) { writeFile(ini(), content); }
    void catalogue(const std::string& utf8Lines) {
        writeFile(dir / "Random.csv",
                  cp932("種別,名前,x,ファイル,乱数,位置,選択肢\r\n" + utf8Lines));
    }
    core::CRandomEditor& start() {
        editor.reset();  // one session at a time holds the lock
        editor = std::make_unique<core::CRandomEditor>(
            prompts,
            core::EditorOptions{ini(), dir / "lock", dir.path(), remoteFolderOf, dir / "backup"});
        editor->startUp(window);
        return *editor;
    }
    // Selects the list line with this (UTF-8) text, as a click would.
    void select(const std::string& utf8Name) {
        const auto name = cp932(utf8Name);
        const auto line = std::find(window.lines.begin(), window.lines.end(), name);
        window.select(static_cast<int>(line - window.lines.begin()));
        editor->selectEntry(window);
    }
};

}  // namespace testing_support
