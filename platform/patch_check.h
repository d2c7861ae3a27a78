// The part of patchInPlace both systems share, around a file each has opened for reading and
// writing: the patches must lie within its first `limit` bytes, which must be `expected`; after
// the writes and the flush the file must hold `expected` with the patches. Internal to platform.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/file_io.h"

namespace platform::detail {

// read(data, count): bytes read from the start, nullopt on an error; write(patch) and flush():
// false on an error.
template <typename Read, typename Write, typename Flush>
PatchResult patchOpenFile(std::span<const std::uint8_t> expected, std::span<const Patch> patches,
                          std::uint64_t size, std::uint64_t limit, Read read, Write write,
                          Flush flush) {
    const std::uint64_t end = std::min(size, limit);
    for (const Patch& p : patches)
        if (p.bytes.empty() || p.offset > end || p.bytes.size() > end - p.offset)
            return PatchResult::failed;
    const auto holds = [&](std::span<const std::uint8_t> want) {
        std::vector<std::uint8_t> now(static_cast<std::size_t>(limit));
        const std::optional<std::size_t> got = read(now.data(), now.size());
        return got && std::equal(now.begin(), now.begin() + static_cast<long>(*got), want.begin(),
                                 want.end());
    };
    if (!holds(expected)) return PatchResult::changed;
    std::vector<std::uint8_t> after(expected.begin(), expected.end());
    for (const Patch& p : patches) {
        if (!write(p)) return PatchResult::failed;
        std::copy(p.bytes.begin(), p.bytes.end(), after.begin() + static_cast<long>(p.offset));
    }
    if (!flush()) return PatchResult::failed;
    return holds(after) ? PatchResult::written : PatchResult::changed;
}

}  // namespace platform::detail
