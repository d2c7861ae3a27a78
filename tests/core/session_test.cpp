// The editor session over a scratch robot folder where a script cannot say it.
#include <gtest/gtest.h>

#include "core/settings_store.h"
#include "support/session_fixture.h"

namespace {

using namespace testing_support;

// What scripts cannot say: the defaults of a missing settings file and a catalogue far beyond
// the table's reservation. The sessions themselves are in session_script_test.cpp.
TEST_F(SessionFixture, SettingsDefaultsAndAHugeCatalogue) {
    const auto s = core::readSettings(dir / "none.ini");
    EXPECT_EQ(std::tie(s.playerType, s.connectType, s.programType, s.tableCapacity,
                       s.remoteInterval, s.remoteDir, s.cardHost),
              std::tuple(0, 0, 1, 256, 1000, ".", "flashair"));
    for (const char* count : {"0", "-5", "70000"}) {  // only a reservation: odd values fall back
        settings(std::string("[DATA]\nNINSHIKI_DATA_COUNT=") + count + "\n");
        EXPECT_EQ(core::readSettings(ini()).tableCapacity, 256) << count;
    }
    settings("[REMOTE]\r\nCONNECT_TYPE=2\r\n");
    std::string csv = "h\n";
    for (int i = 0; i < 100000; ++i) csv += "0,n" + std::to_string(i) + ",x,F,4,5,a,\n";
    writeFile(dir / "Random.csv", csv);
    start();
    EXPECT_EQ(window.lines.size(), 100000u);
}

}  // namespace
