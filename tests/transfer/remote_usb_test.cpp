// The 16-byte command record that makes the robot run TEMP.VX4 (the sessions that write it are in
// tests/data/sessions.txt).
#include <gtest/gtest.h>

#include "core/random_editor.h"
#include "support/cases.h"

namespace {

using namespace testing_support;

TEST(RemoteLogRecord, GoldenBytesAndWhatPlayerAndIntervalChange) {
    const auto r = core::buildRemoteLogRecord(0, 1000);
    EXPECT_EQ(std::string(r.begin(), r.end()),
              readFile(std::string(VKRANDOM_SOURCE_DIR) + "/tests/data/remote_log_record.bin"));
    const int firstByte[] = {0xFE, 0xFF, 0xFF, 0xFE, 0xFF};
    for (int player = 0; player <= 4; ++player)
        EXPECT_EQ(core::buildRemoteLogRecord(player, 1000)[0], firstByte[player]) << player;
    // The interval travels in units of 40 ms, cut to 16 bits.
    for (const auto& [interval, word] : {std::pair{39, 0}, {1310720, 0x8000}, {-80, 0xFFFE}}) {
        const auto record = core::buildRemoteLogRecord(0, interval);
        EXPECT_EQ(record[6] | record[7] << 8, word) << interval;
    }
}

}  // namespace
