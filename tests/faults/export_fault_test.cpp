// Export under disk-full and I/O errors: the program file never changes outside its slot, and
// the user is told the export failed (112), never that it worked (113).
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/session_fixture.h"
#include "io_faults.h"

namespace {

using faults::Call;
using faults::Injection;
using faults::Plan;
using testing_support::constantSlot;
using testing_support::random4;
using testing_support::readFile;
using testing_support::writeFile;

constexpr std::size_t slotOffset = 1000;
constexpr std::size_t slotSize = 30;

std::string programBytes(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>("<abc>\r\n xyz"[i % 11]);
    data.replace(slotOffset, slotSize, random4);
    return data;
}

struct ExportFaults : testing_support::SessionFixture {
    std::string program() const { return robot() + "/ACT/PROG.XML"; }
    std::string original;

    void SetUp() override {
        writeFile(robot() + "/STARTUP.XML", "<x/>");
        settings("[DATA]\r\nPATH=" + robot() + "\r\n");
        catalogue("0,E,x,ACT\\PROG.XML,4,1000,a,b,c,d,e,\r\n");
    }
    void startWithProgram(std::size_t size) {
        original = programBytes(size);
        writeFile(program(), original);
        start();
        select("E");
        ASSERT_EQ(window.checkedChoice(), 0);
        prompts.messages.clear();
    }
    // Everything but the slot is as it was, and the file kept its length.
    void expectOnlySlotMayDiffer() {
        const std::string now = readFile(program());
        ASSERT_EQ(now.size(), original.size());
        EXPECT_EQ(now.substr(0, slotOffset), original.substr(0, slotOffset));
        EXPECT_EQ(now.substr(slotOffset + slotSize), original.substr(slotOffset + slotSize));
    }
};

TEST_F(ExportFaults, FailedWriteSyncOrCloseShows112AndKeepsTheRestOfTheFile) {
    startWithProgram(4096);
    const struct {
        const char* what;
        Plan plan;
    } cases[] = {
        {"disk full at once", {Call::pwrite, ENOSPC}},
        {"disk full after 7 bytes", {Call::pwrite, ENOSPC, 7}},
        {"I/O error after 29 bytes", {Call::pwrite, EIO, 29}},
        {"write returns 0", {Call::pwrite, 0}},
        {"quota exceeded", {Call::pwrite, EDQUOT}},
        {"flush fails", {Call::fsync, EIO}},
        {"flush finds the disk full", {Call::fsync, ENOSPC}},
        {"close reports a lost write", {Call::close, EIO}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeFile(program(), original);
        prompts.messages.clear();
        {
            Injection fault(c.plan);
            editor->exportChoice(3);
            EXPECT_GT(fault.failed(), 0u);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{core::msgExportFailed});
        expectOnlySlotMayDiffer();
    }
    // The file is still usable afterwards: the next export works and reads back.
    writeFile(program(), original);
    prompts.messages.clear();
    editor->exportChoice(3);
    EXPECT_EQ(prompts.messages, std::vector<int>{core::msgExportSucceeded});
    EXPECT_EQ(readFile(program()).substr(slotOffset, slotSize), constantSlot(2));
    expectOnlySlotMayDiffer();
}

TEST_F(ExportFaults, InterruptedAndShortWritesStillWriteTheWholeSlot) {
    startWithProgram(4096);
    const struct {
        const char* what;
        Plan plan;
    } cases[] = {
        {"interrupted by a signal", {Call::pwrite, EINTR, 0, 3}},
        {"one byte per call", {Call::pwrite, EIO, SIZE_MAX, SIZE_MAX, 1}},
        {"seven bytes per call", {Call::pwrite, EIO, SIZE_MAX, SIZE_MAX, 7}},
    };
    int choice = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        prompts.messages.clear();
        {
            Injection fault(c.plan);
            editor->exportChoice(++choice);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{core::msgExportSucceeded});
        EXPECT_EQ(readFile(program()).substr(slotOffset, slotSize), constantSlot(choice - 1));
        expectOnlySlotMayDiffer();
    }
}

TEST_F(ExportFaults, LongProgramFileKeepsEveryByteBeyondTheSlotOnFailure) {
    // Longer than the 139,264 bytes a write handles: the tail must survive a failed write too.
    startWithProgram(200000);
    for (const Plan& plan : {Plan{Call::pwrite, ENOSPC, 12}, Plan{Call::fsync, EIO}}) {
        prompts.messages.clear();
        {
            Injection fault(plan);
            editor->exportChoice(5);
        }
        EXPECT_EQ(prompts.messages, std::vector<int>{core::msgExportFailed});
        expectOnlySlotMayDiffer();
        writeFile(program(), original);
    }
}

}  // namespace
