// An export to the card ends in 113 only when the card stored the very file that was read, whole:
// a refused POST, a reply that cannot be proven whole, or a name that cannot travel safely ends
// in a failure, and a name is uploaded to the folder it was downloaded from.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/encoding.h"
#include "support/card_emulator_process.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;
using Shown = std::vector<int>;

std::string program() {
    std::string data(4096, 'p');
    return data.replace(1000, 30, R"(<mem_r size="4" adr="0x0084"/>)");
}

std::string reply(const std::string& status, const std::string& headers, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Connection: close\r\n\r\n" + body;
}

TEST(CardIntegrity, ExportSucceedsOnlyWhenTheSameWholeFileWasStored) {
    const std::string chunks = "1000\r\n" + program() + "\r\n";
    const std::string chunked = "Transfer-Encoding: chunked\r\n";
    const struct {
        const char* what;
        std::string fileName, fileReply;  // no reply: the file as the card serves it
        std::vector<std::string> faults;
        Shown onExport;
        std::string command, postName;  // empty: nothing uploaded
    } cases[] = {
        {"POST refused", "P.XML", "", {"--status", "500"}, {121, 112}, "UPDIR=/&", "\"P.XML\""},
        {"no length", "P.XML", reply("200 OK", "", program()), {}, {112}, "", ""},
        {"chunked, cut", "P.XML", reply("200 OK", chunked, chunks), {}, {119, 112}, "", ""},
        {"chunked, whole", "P.XML", reply("200 OK", chunked, chunks + "0\r\n\r\n"), {}, {113},
         "UPDIR=/&", "\"P.XML\""},
        {"slash", "ACT/DANCE.XML", "", {}, {113}, "UPDIR=/ACT&", "\"DANCE.XML\""},
        {"query bytes", "%41&B+C D\x82\xA0\\SUB\\X.XML", "", {}, {113},
         "UPDIR=/%2541%26B%2BC%20D\xE3\x81\x82/SUB&", "\"X.XML\""},
        {"quote", "A\"B.XML", "", {}, {121, 112}, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        std::string path = *platform::cp932ToUtf8(c.fileName);
        std::replace(path.begin(), path.end(), '\\', '/');
        writeFile(dir / ("card/" + path), program());
        std::vector<std::string> faults = c.faults;
        if (!c.fileReply.empty()) {
            writeFile(dir / "reply", c.fileReply);
            faults.insert(faults.end(), {"--reply-to", "download", dir / "reply"});
        }
        CardEmulatorProcess card(dir / "card", faults);
        writeFile(dir / "s.ini", "[REMOTE]\r\nCONNECT_TYPE=2\r\nCARD_HOST=" + card.host() + "\r\n");
        writeFile(dir / "Random.csv", "h\r\n0,E,x," + c.fileName + ",4,1000,a,b,\r\n");
        FakePrompts prompts;
        FakeWindow window;
        core::CRandomEditor editor(prompts, {dir / "s.ini", dir / "lock", dir.path(), {}});
        editor.startUp(window);
        window.select(0);
        editor.selectEntry(window);
        prompts.messages.clear();
        editor.exportChoice(1);
        EXPECT_EQ(prompts.messages, c.onExport);
        std::string command, post;
        for (const auto& request : card.requests()) {
            if (request.rfind("GET /upload.cgi", 0) == 0) command = request;
            if (request.rfind("POST ", 0) == 0) post = request;
        }
        if (c.command.empty()) {
            EXPECT_EQ(command + post, "");
        } else {
            EXPECT_NE(command.find(c.command), std::string::npos) << command;
            EXPECT_NE(post.find("filename=" + c.postName + "\r\n"), std::string::npos);
        }
    }
}

}  // namespace
