// The 16-byte command record that makes the robot run TEMP.VX4: what the player and the interval
// change (its bytes for player 0 at 1000 ms are checked where the USB sessions of
// tests/data/sessions.txt write it).
#include <gtest/gtest.h>

#include "core/random_editor.h"

namespace {

TEST(RemoteLogRecord, WhatPlayerAndIntervalChange) {
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
