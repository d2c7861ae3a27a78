#include "core/backups.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "core/choice_slot.h"
#include "core/file_error.h"
#include "platform/clock.h"
#include "platform/file_io.h"
#include "platform/path_rules.h"
#include "platform/paths.h"

namespace core {
namespace fs = std::filesystem;
namespace {

constexpr const char* originFile = "origin.txt";
constexpr const char* lastChangeFile = "last-change.txt";

std::string stampOf(const std::tm& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d-%02d%02d%02d", t.tm_year + 1900, t.tm_mon + 1,
                  t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return text;
}

// The local time a backup folder's name begins with; nullopt for a name that is not one.
std::optional<std::time_t> timeOfStamp(const std::string& name) {
    std::tm t{};
    if (name.size() < 15 || std::sscanf(name.c_str(), "%4d%2d%2d-%2d%2d%2d", &t.tm_year, &t.tm_mon,
                                        &t.tm_mday, &t.tm_hour, &t.tm_min, &t.tm_sec) != 6)
        return std::nullopt;
    t.tm_year -= 1900;
    t.tm_mon -= 1;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

std::string hex(std::span<const std::uint8_t> bytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t b : bytes) out.append({digits[b >> 4], digits[b & 15]});
    return out;
}
std::string hex(std::string_view text) {
    return hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<std::string> unhex(std::string_view text) {
    if (text.size() % 2) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        unsigned value = 0;
        if (std::sscanf(std::string(text.substr(i, 2)).c_str(), "%2x", &value) != 1)
            return std::nullopt;
        out += static_cast<char>(value);
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::istringstream parts(line);
    for (std::string field; std::getline(parts, field, '\t');) out.push_back(field);
    return out;
}

std::string originLine(const ChangeOrigin& origin) {
    return std::string(origin.card ? "card" : "folder") + "\t" + origin.where + "\n";
}

std::optional<ChangeOrigin> parseOrigin(const std::vector<std::string>& f, std::size_t at) {
    if (f.size() < at + 2 || (f[at] != "card" && f[at] != "folder")) return std::nullopt;
    return ChangeOrigin{f[at] == "card", f[at + 1]};
}

bool writeFile(const std::string& path, std::string_view text, std::string& reason) {
    const auto result = platform::replaceFileContent(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (result.status == platform::ReplaceResult::ok) return true;
    reason = fileErrorText(FileError(path, platform::fileErrorCauseOf(result.error)));
    return false;
}

// The backup folders, oldest first (their names begin with their time).
std::vector<fs::path> backupFolders(const std::string& folder) {
    std::vector<fs::path> out;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(platform::fsPath(folder), error))
        if (entry.is_directory(error) && timeOfStamp(platform::utf8Of(entry.path().filename())))
            out.push_back(entry.path());
    std::sort(out.begin(), out.end());
    return out;
}

std::uintmax_t sizeOf(const fs::path& folder) {
    std::uintmax_t total = 0;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file(error)) total += entry.file_size(error);
    return total;
}

}  // namespace

std::string BackupStore::now() {
    return stampOf(platform::localNow());
}

const std::string& BackupStore::folder() const {
    if (folder_.empty()) folder_ = platform::joinPath(platform::userDataFolder(), "backup");
    return folder_;
}

std::optional<std::string> BackupStore::target(const ChangeOrigin& origin,
                                               const std::string& fileName, std::string& reason) {
    const auto parts = platform::detail::programNameComponents("", fileName);
    if (!parts) {
        reason = "バックアップできないファイル名です";
        return std::nullopt;
    }
    std::error_code error;
    // No folder of the user's: never a backup in the working folder, which may be the card.
    if (folder().empty()) {
        reason = "バックアップの場所が分かりません";
        return std::nullopt;
    }
    if (current_.empty()) {
        const std::string base = platform::joinPath(folder(), BackupStore::now());
        std::string name = base;
        for (int n = 2; fs::exists(platform::fsPath(name), error); ++n)
            name = base + "-" + std::to_string(n);
        fs::create_directories(platform::fsPath(name), error);
        if (error || !writeFile(platform::joinPath(name, originFile), originLine(origin), reason)) {
            if (reason.empty())
                reason = fileErrorText(FileError(name, platform::fileErrorCauseOf(error.value())));
            return std::nullopt;
        }
        current_ = name;
    }
    std::string path = current_;
    for (const auto& part : *parts) path = platform::joinPath(path, part);
    fs::create_directories(platform::fsPath(path).parent_path(), error);
    if (error) {
        reason = fileErrorText(FileError(path, platform::fileErrorCauseOf(error.value())));
        return std::nullopt;
    }
    return path;
}

bool BackupStore::save(const ChangeOrigin& origin, const std::string& fileName,
                       std::span<const std::uint8_t> bytes, std::string& reason) {
    const auto path = target(origin, fileName, reason);
    return path &&
           writeFile(*path,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
                     reason);
}

bool BackupStore::saveCopy(const ChangeOrigin& origin, const std::string& fileName,
                           const std::string& sourcePath, std::string& reason) {
    const auto path = target(origin, fileName, reason);
    if (!path) return false;
    int error = 0;
    if (platform::copyFileDurably(sourcePath, *path, &error)) return true;
    reason = fileErrorText(FileError(*path, platform::fileErrorCauseOf(error)));
    return false;
}

void BackupStore::endChange() {
    if (current_.empty()) return;
    current_.clear();
    prune();
}

void BackupStore::prune() const {
    auto folders = backupFolders(folder());
    const std::time_t oldest = std::time(nullptr) - std::time_t{keepDays} * 24 * 60 * 60;
    std::uintmax_t total = 0;
    for (const auto& f : folders) total += sizeOf(f);
    std::error_code error;
    // The newest backup stays whatever its size: it belongs to the change just made.
    for (std::size_t i = 0; i + 1 < folders.size(); ++i) {
        const auto time = timeOfStamp(platform::utf8Of(folders[i].filename()));
        if (*time >= oldest && total <= keepBytes) break;
        total -= std::min(total, sizeOf(folders[i]));
        fs::remove_all(folders[i], error);
    }
}

bool BackupStore::recordLastChange(const ChangeRecord& change) {
    std::string text = "origin\t" + originLine(change.origin) + "time\t" + change.time + "\n";
    for (const SlotRecord& s : change.changed)
        text += "slot\t" + hex(s.fileName) + "\t" + std::to_string(s.offset) + "\t" +
                hex(s.before) + "\t" + hex(s.after) + "\t" + hex(s.entryName) + "\n";
    // Written whole under another name first: a record is the old one or the new one.
    std::string reason;
    const std::string path = platform::joinPath(folder(), lastChangeFile);
    std::error_code error;
    fs::create_directories(platform::fsPath(folder()), error);
    if (!writeFile(path + ".new", text, reason)) return false;
    fs::rename(platform::fsPath(path + ".new"), platform::fsPath(path), error);
    return !error;
}

std::optional<ChangeRecord> BackupStore::lastChange() const {
    const auto text = platform::readWholeFile(platform::joinPath(folder(), lastChangeFile));
    if (!text) return std::nullopt;
    ChangeRecord change;
    std::istringstream lines(*text);
    bool hasOrigin = false;
    for (std::string line; std::getline(lines, line);) {
        const auto f = fields(line);
        if (f.empty()) continue;
        if (f[0] == "origin") {
            const auto origin = parseOrigin(f, 1);
            if (!origin) return std::nullopt;
            change.origin = *origin;
            hasOrigin = true;
        } else if (f[0] == "time" && f.size() == 2) {
            if (!timeOfStamp(f[1]) || f[1].size() != 15) return std::nullopt;
            change.time = f[1];
        } else if (f[0] == "slot" && f.size() == 6) {
            const auto name = unhex(f[1]), before = unhex(f[3]), after = unhex(f[4]),
                       entry = unhex(f[5]);
            // Only whole slots are ever written: a record holding anything else is damaged.
            const auto whole = [](const std::optional<std::string>& slot) {
                return slot && slot->size() == slotSize &&
                       isWholeSlot({reinterpret_cast<const std::uint8_t*>(slot->data()), slotSize});
            };
            if (!name || !entry || !whole(before) || !whole(after)) return std::nullopt;
            std::int32_t offset = -1;
            const auto [end, error] =
                std::from_chars(f[2].data(), f[2].data() + f[2].size(), offset);
            if (error != std::errc() || end != f[2].data() + f[2].size() || offset < 0)
                return std::nullopt;
            SlotRecord s{*name, offset, *entry, {}, {}};
            std::copy(before->begin(), before->end(), s.before.begin());
            std::copy(after->begin(), after->end(), s.after.begin());
            change.changed.push_back(std::move(s));
        } else {
            return std::nullopt;  // not a record this program wrote
        }
    }
    if (!hasOrigin || change.time.empty() || change.changed.empty()) return std::nullopt;
    return change;
}

void BackupStore::forgetLastChange() {
    std::error_code error;
    fs::remove(platform::fsPath(platform::joinPath(folder(), lastChangeFile)), error);
}

std::vector<BackupListing> BackupStore::list() const {
    std::vector<BackupListing> out;
    for (const auto& folder : backupFolders(folder())) {
        BackupListing backup{platform::utf8Of(folder), {}, {}};
        const auto origin =
            platform::readWholeFile(platform::utf8Of(folder / originFile)).value_or("");
        const auto f = fields(origin.substr(0, origin.find('\n')));
        if (const auto o = parseOrigin(f, 0)) backup.origin = *o;
        std::error_code error;
        for (const auto& entry : fs::recursive_directory_iterator(folder, error))
            if (entry.is_regular_file(error) && entry.path().filename() != originFile)
                backup.files.push_back(platform::utf8Of(entry.path()));
        std::sort(backup.files.begin(), backup.files.end());
        out.push_back(std::move(backup));
    }
    return out;
}

}  // namespace core
