// What the session's own files share about reaching a slot, on the card above all: the
// percent-encoded card path (in a fixed buffer; a longer path is refused, never cut), where an
// upload puts a file, and which slots a write may touch. Internal to core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/catalogue.h"

namespace core::detail {

inline constexpr std::size_t cardPathCapacity = 256;

std::optional<std::string> encodedCardPath(std::string_view cp932Name,
                                           std::size_t capacity = cardPathCapacity);
// Directory (none: the card's root) and name of a card file, for an upload.
std::optional<std::pair<std::optional<std::string>, std::string>> cardUploadTarget(
    std::string_view cp932Name);
// Only a slot that lies wholly in the part of a program a write handles is editable: a slot
// written in part would leave a broken element in the program.
bool slotInRange(std::int32_t offset);
// Choices the window can show: a 15th label has no radio button, so it is never offered.
int offeredChoices(const RandomItem& e);

}  // namespace core::detail
