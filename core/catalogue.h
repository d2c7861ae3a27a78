// The behaviour catalogue: one CSV line per editable place in the robot's programs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

inline constexpr int maxLabels = 15;
inline constexpr std::size_t maxNameBytes = 255;

struct RandomItem {
    std::uint8_t typeMask = 0;    // 0: every program type
    std::uint8_t sourceKind = 0;  // 2: 2-byte random source; else 4-byte
    std::string name;             // CP932, at most 255 bytes
    std::string fileName;         // CP932, relative to the program folder, '\' separators
    std::int32_t slotOffset = 0;
    std::int32_t labelCount = 0;      // 0..15
    std::vector<std::string> labels;  // labelCount texts; label k is labels[k - 1]
};

// Parses one data line (no line end). nullopt when the line lacks a separator it needs.
std::optional<RandomItem> parseCatalogueLine(std::string_view line);

// Catalogue file of a program type: Random.csv, RandomV2.csv, RandomPL.csv, RandomL2.csv.
std::string catalogueFileName(int programType);

// Appends every entry of the file after its header line; false when it cannot be opened.
bool readCatalogueFile(const std::string& path, std::vector<RandomItem>& items);

// The program-type filter of the list.
bool isListed(const RandomItem& item, int programType);

}  // namespace core
