// Table rows kept in tests/data/: one case per line, fields split at '|', with \r \n \t \xHH and
// \<char> escapes so exact bytes fit on a line. Lines starting with '#' are comments.
#pragma once

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace testing_support {

inline std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

inline std::vector<std::vector<std::string>> readCases(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(readFile(std::string(VKRANDOM_SOURCE_DIR) + "/tests/data/" + name));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields;
        std::istringstream parts(line);
        for (std::string field; std::getline(parts, field, '|');) fields.push_back(unescape(field));
        if (line.back() == '|') fields.emplace_back();
        rows.push_back(fields);
    }
    return rows;
}

}  // namespace testing_support

namespace testing_support {

// Exact bytes kept in tests/data/NAME. With VKRANDOM_UPDATE_GOLDEN set in the environment the
// file is rewritten from `actual` instead, for a reviewed change of the format.
inline std::string golden(const std::string& name, const std::string& actual) {
    const std::string path = std::string(VKRANDOM_SOURCE_DIR) + "/tests/data/" + name;
    if (std::getenv("VKRANDOM_UPDATE_GOLDEN")) writeFile(path, actual);
    return readFile(path);
}

}  // namespace testing_support
