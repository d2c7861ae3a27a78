#include "core/catalogue.h"

#include <gtest/gtest.h>

#include <tuple>

#include "session_fixture.h"

namespace {

using core::parseCatalogueLine;
using Labels = std::vector<std::string>;

Labels labelsOf(const core::RandomItem& item) {
    return {item.labels.begin(), item.labels.begin() + item.labelCount};
}

TEST(CatalogueLine, ColumnsQuotedFileNameAndLabelEndings) {
    auto item = parseCatalogueLine(R"(1,Wave,x,"ACT\A,B.XML",2,1234,A,B)");
    ASSERT_TRUE(item);
    EXPECT_EQ(
        std::tie(item->typeMask, item->name, item->fileName, item->sourceKind, item->slotOffset),
        std::tuple(1, "Wave", R"(ACT\A,B.XML)", 2, 1234));
    // The last field runs into the line end and is no label; an empty field ends the list.
    EXPECT_EQ(labelsOf(*item), Labels{"A"});
    EXPECT_EQ(labelsOf(*parseCatalogueLine(R"(1,Wave,x,"ACT\A,B.XML",2,1234,A,B,)")),
              (Labels{"A", "B"}));
    EXPECT_EQ(labelsOf(*parseCatalogueLine("1,Wave,x,A.XML,2,1234,A,,B,")), Labels{"A"});
    // A quote in the name is an ordinary byte; blanks are kept.
    EXPECT_EQ(parseCatalogueLine(R"(0, "odd" name ,x,A.XML,4,5,)")->name, R"( "odd" name )");
}

TEST(CatalogueLine, NumbersAreLenientAndNeverOverflow) {
    auto item = parseCatalogueLine("  +258abc,N,x,F,  -3,99999999999,L,");
    ASSERT_TRUE(item);
    // Numbers are cut to their field's width: 258 to 2, -3 to 0xFD; offsets are clamped.
    EXPECT_EQ(std::tie(item->typeMask, item->sourceKind, item->slotOffset),
              std::tuple(2, 0xFD, 2147483647));
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
    std::string name = "XY";
    for (int i = 0; i < 200; ++i) name += "\x95\x5C";  // 表, whose trail byte is '\'
    std::string line = "0," + name + ",x,F.XML,4,10,";
    for (int i = 0; i < 40; ++i) line += "label" + std::to_string(i) + std::string(50, 'z') + ",";
    ASSERT_GT(line.size(), 2000u);
    auto item = parseCatalogueLine(line);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->labelCount, core::maxLabels);
    EXPECT_EQ(item->labels[14].substr(0, 7), "label14");
    // The 255th byte would split a character: the name stops before it.
    EXPECT_EQ(item->name, name.substr(0, 254));
}

TEST(CatalogueFilter, MaskIsTheProgramTypeBitSet) {
    const auto all = parseCatalogueLine("256,N,x,F,4,5,"),
               three = parseCatalogueLine("3,N,x,F,4,5,");
    for (int type = 1; type <= 4; ++type) {
        EXPECT_TRUE(core::isListed(*all, type)) << type;
        EXPECT_EQ(core::isListed(*three, type), type != 4) << type;
    }
    // The other types' files are loaded by the session tests.
    EXPECT_EQ(core::catalogueFileName(3), "RandomPL.csv");
}

struct CatalogueSession : testing_support::SessionFixture {
    void load(const std::string& csv, int programType = 1) {
        editor.reset();
        prompts.messages.clear();
        testing_support::writeFile(dir / "Random.csv", csv);
        settings("[DATA]\r\nVERSION=" + std::to_string(programType) +
                 "\r\n[REMOTE]\r\nCONNECT_TYPE=2\r\n");
        start();
    }
};

TEST_F(CatalogueSession, ListFollowsTheFileAndAMissingFileShows102WithAnEmptyList) {
    load("1,looks,like,data.XML,4,5,A,\r\n"
         "2,Same,x,HIDDEN.XML,4,5,\r\n"
         "1,Same,x,FIRST.XML,4,5,\r\n"
         "\r\n"
         "0,Other,x,O.XML,4,5,\r\n"
         "1,Same,x,SECOND.XML,4,5,\r\n");
    EXPECT_EQ(window.lines, (Labels{"Same", "Other", "Same"}));
    EXPECT_EQ(editor->itemCount(), 4);
    // The hidden entry of the same name comes first and is the one a list line finds.
    EXPECT_EQ(editor->item(editor->findEntryByName("Same")).fileName, "HIDDEN.XML");
    EXPECT_EQ(editor->findEntryByName("same"), -1);
    EXPECT_TRUE(prompts.messages.empty());

    // RandomL2.csv does not exist; an empty file or a lone header is an empty list, no message.
    load("h\r\n0,n,x,F,4,5,\r\n", 4);
    EXPECT_EQ(prompts.messages, (std::vector<int>{102}));
    EXPECT_TRUE(window.lines.empty());
    for (const char* csv : {"", "header only"}) {
        load(csv);
        EXPECT_EQ(editor->itemCount(), 0);
        EXPECT_TRUE(prompts.messages.empty());
    }
    // Far beyond the table's reservation, every entry is kept.
    std::string csv = "h\n";
    for (int i = 0; i < 100000; ++i)
        csv += "0,n" + std::to_string(i) + ",x,F.XML,4," + std::to_string(i) + ",a,\n";
    load(csv);
    EXPECT_EQ(editor->itemCount(), 100000);
    EXPECT_EQ(window.lines.size(), 100000u);
    EXPECT_EQ(editor->item(99999).slotOffset, 99999);
}

}  // namespace
