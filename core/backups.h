// The safety net of every change: before a program file is changed, the file as it was read is
// copied into a folder on this PC (never onto the robot's card), one folder per change named by
// its time and noting where the files came from; beside them the record of the last change, the
// slots it wrote and what they held before, so that it can be undone, also after a restart.
// Kept for 30 days and 100 MB at most, oldest first.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/choice_slot.h"

namespace core {

// Where changed files live: a program folder (its native path) or a card (its host).
struct ChangeOrigin {
    bool card = false;
    std::string where;
    bool operator==(const ChangeOrigin&) const = default;
};

struct SlotRecord {
    std::string fileName;  // the catalogue's name of the program file (CP932)
    std::int32_t offset = 0;
    std::string entryName;  // the catalogue entry that named it (CP932)
    SlotBytes before{}, after{};
};

struct ChangeRecord {
    ChangeOrigin origin;
    std::string time;  // "YYYYMMDD-HHMMSS", local time
    std::vector<SlotRecord> changed;
};

struct BackupListing {
    std::string folder;  // native path of the backup
    ChangeOrigin origin;
    std::vector<std::string> files;  // native paths below `folder`, as below the program folder
};

class BackupStore {
  public:
    // `folder` empty: "backup" in platform::userDataFolder(), found only when first needed,
    // since finding it costs the window's start-up on Windows.
    explicit BackupStore(std::string folder) : folder_(std::move(folder)) {}
    const std::string& folder() const;

    // A backup folder of its own for one change, made on the first file; false with the reason
    // (Japanese) when the copy could not be made whole.
    bool save(const ChangeOrigin& origin, const std::string& fileName,
              std::span<const std::uint8_t> bytes, std::string& reason);
    bool saveCopy(const ChangeOrigin& origin, const std::string& fileName,
                  const std::string& sourcePath, std::string& reason);
    // Ends the change: the next save starts a new backup; old backups beyond the limits go.
    void endChange();

    bool recordLastChange(const ChangeRecord& change);
    std::optional<ChangeRecord> lastChange() const;
    void forgetLastChange();

    std::vector<BackupListing> list() const;

    // The local time as a backup's name begins with it ("YYYYMMDD-HHMMSS").
    static std::string now();

    static constexpr int keepDays = 30;
    static constexpr std::uintmax_t keepBytes = 100u << 20;

  private:
    std::optional<std::string> target(const ChangeOrigin& origin, const std::string& fileName,
                                      std::string& reason);
    void prune() const;

    mutable std::string folder_;
    std::string current_;  // the backup folder of the change under way
};

}  // namespace core
