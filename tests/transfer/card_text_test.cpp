// The texts the card client builds without a network: paths, the command query, the POST body.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "transfer/card_client.h"

namespace {

using transfer::percentEncodePath;
using transfer::toUtf8;

std::tm localTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(CardText, PercentEncodesEveryUtf8ByteWithinCapacity) {
    char buffer[16];
    EXPECT_EQ(percentEncodePath("A/b", buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "%41%2F%62");
    EXPECT_EQ(percentEncodePath("\x82\xA0", buffer, sizeof buffer), 3u);  // あ
    EXPECT_STREQ(buffer, "%E3%81%82");
    EXPECT_EQ(percentEncodePath("ACT\\A", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "%41%43%54%5C%41");
    EXPECT_EQ(percentEncodePath("", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");

    // Exactly three bytes per UTF-8 byte plus the terminator fit; one byte less is refused
    // with an empty text, and nothing beyond the capacity is touched.
    char guarded[12];
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(percentEncodePath("A/b", guarded, 10), 3u);
    EXPECT_EQ(guarded[10], '#');
    std::memset(guarded, '#', sizeof guarded);
    EXPECT_EQ(percentEncodePath("A/b", guarded, 9), std::nullopt);
    EXPECT_EQ(guarded[0], '\0');
    EXPECT_EQ(std::string(guarded + 1, 11), std::string(11, '#'));
    EXPECT_EQ(percentEncodePath("\x82", buffer, sizeof buffer), std::nullopt);  // cut character
}

TEST(CardText, ToUtf8MeasuresOrConvertsWithinCapacity) {
    EXPECT_EQ(toUtf8("", nullptr, 0), 1u);
    EXPECT_EQ(toUtf8("\x82\xA0", nullptr, 0), 4u);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(toUtf8("", buffer, sizeof buffer), 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(toUtf8("ACT\\\x82\xA0", buffer, sizeof buffer), 7u);
    EXPECT_STREQ(buffer, "ACT\\\xE3\x81\x82");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(toUtf8("\x82\xA0", buffer, 3), std::nullopt);  // no room for the terminator
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(std::string(buffer + 1, 7), std::string(7, '#'));
}

TEST(CardText, CommandQueryCarriesDirectoryAndFatTime) {
    const std::tm odd = localTime(2015, 12, 5, 19, 22, 31);
    const std::tm even = localTime(2015, 12, 5, 19, 22, 30);
    EXPECT_EQ(transfer::fatDate(odd), 0x4785);
    EXPECT_EQ(transfer::fatTime(odd), 0x9ACF);
    EXPECT_EQ(transfer::fatTime(even), 0x9ACF);
    EXPECT_EQ(transfer::commandQuery(std::string("ADDON"), odd),
              "?WRITEPROTECT=OFF&UPDIR=/ADDON&FTIME=0x47859ACF");
    EXPECT_EQ(transfer::commandQuery(std::string("ACT/SUB"), odd),
              "?WRITEPROTECT=OFF&UPDIR=/ACT/SUB&FTIME=0x47859ACF");
    EXPECT_EQ(transfer::commandQuery(std::string("MY DIR#2/\xE3\x81\x82"), odd),
              "?WRITEPROTECT=OFF&UPDIR=/MY%20DIR%232/\xE3\x81\x82&FTIME=0x47859ACF");
    EXPECT_EQ(transfer::commandQuery(std::nullopt, localTime(1980, 1, 1, 0, 0, 0)),
              "?WRITEPROTECT=OFF&UPDIR=/&FTIME=0x00210000");
}

TEST(CardText, PostBodyIsTheSixPieces) {
    const std::vector<std::uint8_t> data = {'a', 0, 'c'};
    const std::string body = transfer::postBody("TEMP.VX4", data);
    EXPECT_EQ(body.size(), 164u);
    const std::string delimiter = "--========================";
    EXPECT_EQ(body,
              delimiter + "\r\n" +
                  "Content-Disposition: form-data; name=\"upload.cgi\";filename=\"TEMP.VX4\"\r\n" +
                  delimiter + "\r\n\r\n" + std::string("a\0c", 3) + "\r\n" + delimiter + "--\r\n");
    // The name travels unescaped, backslash and all.
    EXPECT_EQ(transfer::postBody("ADDON\\REMOTE.LOG", {}).size(), 153u + 16u);
    EXPECT_NE(transfer::postBody("ADDON\\REMOTE.LOG", {}).find("filename=\"ADDON\\REMOTE.LOG\""),
              std::string::npos);
}

}  // namespace
