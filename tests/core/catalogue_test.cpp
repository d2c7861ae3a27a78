#include "core/catalogue.h"

#include <gtest/gtest.h>

#include "core/random_editor.h"
#include "platform/encoding.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace {

using core::parseCatalogueLine;
using testing_support::FakePrompts;
using testing_support::FakeWindow;
using testing_support::TempDir;
using testing_support::writeFile;

std::vector<std::string> labelsOf(const core::RandomItem& item) {
    return {item.labels.begin(), item.labels.begin() + item.labelCount};
}

TEST(CatalogueLine, ColumnsQuotedFileNameAndLabelEndings) {
    auto item = parseCatalogueLine(R"(1,Wave,x,"ACT\A,B.XML",2,1234,A,B)");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->typeMask, 1);
    EXPECT_EQ(item->name, "Wave");
    EXPECT_EQ(item->fileName, R"(ACT\A,B.XML)");
    EXPECT_EQ(item->sourceKind, 2);
    EXPECT_EQ(item->slotOffset, 1234);
    // The last field runs into the line end and is no label.
    EXPECT_EQ(labelsOf(*item), (std::vector<std::string>{"A"}));

    EXPECT_EQ(labelsOf(*parseCatalogueLine(R"(1,Wave,x,"ACT\A,B.XML",2,1234,A,B,)")),
              (std::vector<std::string>{"A", "B"}));
    // An empty field ends the list.
    EXPECT_EQ(labelsOf(*parseCatalogueLine("1,Wave,x,A.XML,2,1234,A,,B,")),
              (std::vector<std::string>{"A"}));
    // A quote in the name is an ordinary byte; blanks are kept.
    EXPECT_EQ(parseCatalogueLine(R"(0, "odd" name ,x,A.XML,4,5,)")->name, R"( "odd" name )");
}

TEST(CatalogueLine, NumbersAreLenientAndNeverOverflow) {
    auto item = parseCatalogueLine("  +258abc,N,x,F,  -3,99999999999,L,");
    ASSERT_TRUE(item);
    EXPECT_EQ(item->typeMask, 2);  // low 8 bits of 258
    EXPECT_EQ(item->sourceKind, 0xFD);
    EXPECT_EQ(item->slotOffset, 2147483647);
    EXPECT_EQ(parseCatalogueLine("x,N,x,F,k,-99999999999,")->slotOffset, -2147483647 - 1);
    EXPECT_EQ(parseCatalogueLine("x,N,x,F,k,o,")->typeMask, 0);
}

TEST(CatalogueLine, LinesMissingASeparatorAreSkipped) {
    for (const char* line : {"", "1", "1,name only", "1,N,x", R"(1,N,x,"unclosed,2,3,)",
                             R"(1,N,x,"closed at end")", "1,N,x,F", "1,N,x,F,2", "1,N,x,F,2,3"})
        EXPECT_FALSE(parseCatalogueLine(line)) << line;
    EXPECT_TRUE(parseCatalogueLine("1,N,x,F,2,3,"));
}

TEST(CatalogueLine, LongLinesGiveOneEntryWithCappedLabelsAndName) {
    const std::string kanji = platform::utf8ToCp932("表").value();  // trail byte 0x5C
    std::string name;
    for (int i = 0; i < 200; ++i) name += kanji;  // 400 bytes
    std::string line = "0,XY" + name + ",x,F.XML,4,10,";
    for (int i = 0; i < 40; ++i) line += "label" + std::to_string(i) + std::string(50, 'z') + ",";
    ASSERT_GT(line.size(), 2000u);
    auto item = parseCatalogueLine(line);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->labelCount, core::maxLabels);
    EXPECT_EQ(item->labels[14].substr(0, 7), "label14");
    // The 255th byte would split a character: the name stops before it.
    EXPECT_EQ(item->name.size(), 254u);
    EXPECT_EQ(item->name, ("XY" + name).substr(0, 254));
}

TEST(CatalogueFilter, MaskIsTheProgramTypeBitSet) {
    core::RandomItem all, three;
    all.typeMask = static_cast<std::uint8_t>(256);
    three.typeMask = 3;
    for (int type = 1; type <= 4; ++type) EXPECT_TRUE(core::isListed(all, type));
    EXPECT_TRUE(core::isListed(three, 1));
    EXPECT_TRUE(core::isListed(three, 2));
    EXPECT_TRUE(core::isListed(three, 3));
    EXPECT_FALSE(core::isListed(three, 4));
    EXPECT_EQ(core::catalogueFileName(4), "RandomL2.csv");
    EXPECT_EQ(core::catalogueFileName(2), "RandomV2.csv");
    EXPECT_EQ(core::catalogueFileName(3), "RandomPL.csv");
    EXPECT_EQ(core::catalogueFileName(7), "Random.csv");
}

struct CatalogueSession : ::testing::Test {
    TempDir dir;
    FakePrompts prompts;
    FakeWindow window;

    std::unique_ptr<core::CRandomEditor> load(const std::string& csv, int programType = 1) {
        writeFile(dir / "Random.csv", csv);
        writeFile(dir / "s.ini", "[DATA]\r\nVERSION=" + std::to_string(programType) +
                                     "\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
        auto editor = std::make_unique<core::CRandomEditor>(
            prompts, core::EditorOptions{dir / "s.ini", dir / "lock", dir.path(), {}});
        editor->startUp(window);
        return editor;
    }
};

TEST_F(CatalogueSession, ListKeepsFileOrderAndLookupFindsTheFirstOfAName) {
    auto editor = load(
        "1,looks,like,data.XML,4,5,A,\r\n"
        "2,Same,x,HIDDEN.XML,4,5,\r\n"
        "1,Same,x,FIRST.XML,4,5,\r\n"
        "\r\n"
        "0,Other,x,O.XML,4,5,\r\n"
        "1,Same,x,SECOND.XML,4,5,\r\n");
    EXPECT_EQ(window.lines, (std::vector<std::string>{"Same", "Other", "Same"}));
    EXPECT_EQ(editor->itemCount(), 4);
    // The hidden entry of the same name comes first and is the one a list line finds.
    EXPECT_EQ(editor->item(editor->findEntryByName("Same")).fileName, "HIDDEN.XML");
    EXPECT_EQ(editor->findEntryByName("same"), -1);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(CatalogueSession, MissingFileShows102AndEmptyFilesShowNothing) {
    auto missing = load("h\r\n0,n,x,F,4,5,\r\n", 4);  // RandomL2.csv does not exist
    EXPECT_EQ(prompts.messages, (std::vector<int>{102}));
    EXPECT_TRUE(window.lines.empty());
    missing.reset();
    for (const char* csv : {"", "header only"}) {
        prompts.messages.clear();
        auto editor = load(csv);
        EXPECT_EQ(editor->itemCount(), 0);
        EXPECT_TRUE(prompts.messages.empty());
    }
}

TEST_F(CatalogueSession, LargeCatalogueKeepsEveryEntryBeyondTheReservation) {
    std::string csv = "h\n";
    for (int i = 0; i < 100000; ++i) csv += "0,n" + std::to_string(i) + ",x,F.XML,4," + std::to_string(i) + ",a,\n";
    auto editor = load(csv);
    EXPECT_EQ(editor->itemCount(), 100000);
    EXPECT_EQ(window.lines.size(), 100000u);
    EXPECT_EQ(editor->item(99999).slotOffset, 99999);
}

}  // namespace
