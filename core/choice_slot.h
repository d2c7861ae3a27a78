// The 30-byte text slot that decides a random place: a read of the robot's random source, or a
// constant of one or two digits padded with CR LF and spaces. Pure byte work, no I/O.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace core {

inline constexpr std::size_t slotSize = 30;
inline constexpr std::size_t slotWindowSize = 31;
inline constexpr std::size_t programBufferSize = 0x22000;  // 139,264 bytes

using SlotBytes = std::array<std::uint8_t, slotSize>;

// The slot text for `choice` (0 random, n >= 1 the constant n - 1, at most 20).
SlotBytes encodeChoice(int choice, std::uint8_t sourceKind);

// Whether the 30 bytes of a slot hold one whole element the editor may overwrite, from the
// slot's first byte on: a read of the random source (<mem_r .../>) or a constant
// (<const data="N"/>, N of one or two digits), followed only by line breaks, blanks and tabs.
// Anything else is not a random place, or not this one: the catalogue was made for other
// programs, or the file changed.
bool isWholeSlot(std::span<const std::uint8_t> slot);

// Choice index of a read window (bytes from the slot on; fewer than 31 when the file ends):
// -1 unreadable or out of range, 0 random, 1..labelCount fixed.
int decodeChoice(std::span<const std::uint8_t> window, int labelCount);

}  // namespace core
