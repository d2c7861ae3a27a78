// Catalogue file names that try to address another file than they name. The system reads a path
// only up to its first NUL byte, so a name holding one must never reach a file operation or the
// card as a different, shorter name.
#include <gtest/gtest.h>

#include <string>

#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/paths.h"
#include "scripted_card.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using namespace std::string_literals;
using testing_support::TempDir;
using testing_support::writeFile;

TEST(HostileNames, NulInALocalNameNeverAddressesAShorterPath) {
    TempDir dir;
    writeFile(dir / "robot/A.XML", "x");
    // Seen up to the NUL these are robot/A.XML, the robot folder's parent, and robot itself.
    for (const std::string& name : {"A.XML\0.BAK"s, "..\0"s, "ACT\\..\0\\A.XML"s}) {
        const auto path = platform::resolveProgramPath(dir / "robot", name);
        EXPECT_FALSE(path) << *path;
    }
}

TEST(HostileNames, NulInACardNameNeverUploadsUnderAnotherName) {
    TempDir dir;
    std::string program(4096, 'x');
    program.replace(1000, 30, R"(<mem_r size="4" adr="0x0084"/>)");
    faults::ScriptedCard card([&](const std::string& request) -> std::optional<std::string> {
        const std::string head = "HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: ";
        if (request.find("upload.cgi") != std::string::npos) return head + "7\r\n\r\nSUCCESS";
        return head + std::to_string(program.size()) + "\r\n\r\n" + program;
    });
    writeFile(dir / "VKRandom.ini",
              "[DATA]\r\nPATH=\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + card.host() + "\r\n");
    // Downloaded as ACT<NUL>X\B.XML; cut at the NUL it would be uploaded as the file ACT.
    writeFile(dir / "Random.csv", "h\r\n0,E,x,ACT\0X\\B.XML,4,1000,a,b,\r\n"s);
    testing_support::FakePrompts prompts;
    testing_support::FakeWindow window;
    core::CRandomEditor editor(prompts, {dir / "VKRandom.ini", dir / "lock", dir.path(), {}});
    editor.startUp(window);
    window.select(0);
    editor.selectEntry(window);
    prompts.messages.clear();
    editor.exportChoice(1);
    for (const auto& request : card.requests())
        EXPECT_EQ(request.find("upload.cgi"), std::string::npos) << request.substr(0, 200);
    EXPECT_EQ(prompts.messages, std::vector<int>{core::msgExportFailed});
}

}  // namespace
