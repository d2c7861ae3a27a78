// The four slot texts and their decoding. Only bytes 0, 1, 13 and 14 decide what a slot holds.
#include "core/choice_slot.h"

#include <algorithm>
#include <string_view>

namespace core {
namespace {

constexpr std::string_view random2 = R"(<mem_r size="2" adr="0x0f0a"/>)";
constexpr std::string_view random4 = R"(<mem_r size="4" adr="0x0084"/>)";
constexpr std::string_view constant1 = "<const data=\"0\"/>\r\n           ";
constexpr std::string_view constant2 = "<const data=\"10\"/>\r\n          ";
static_assert(random2.size() == slotSize && random4.size() == slotSize);
static_assert(constant1.size() == slotSize && constant2.size() == slotSize);

SlotBytes bytesOf(std::string_view text) {
    SlotBytes out{};
    std::copy(text.begin(), text.end(), out.begin());
    return out;
}

// Slot bytes count as signed 8-bit values, as the robot's tools always read them.
int signedByte(std::uint8_t b) {
    return static_cast<std::int8_t>(b);
}

}  // namespace

SlotBytes encodeChoice(int choice, std::uint8_t sourceKind) {
    if (choice <= 0) return bytesOf(sourceKind == 2 ? random2 : random4);
    const int value = choice - 1;
    if (value < 10) {
        auto out = bytesOf(constant1);
        out[13] = static_cast<std::uint8_t>('0' + value);
        return out;
    }
    auto out = bytesOf(constant2);
    out[14] = static_cast<std::uint8_t>('0' + value % 10);
    return out;
}

bool isWholeSlot(std::span<const std::uint8_t> slot) {
    if (slot.size() < slotSize) return false;
    const std::string_view text(reinterpret_cast<const char*>(slot.data()), slotSize);
    const auto close = text.find('>');
    if (close == std::string_view::npos ||
        text.find_first_not_of("\r\n \t", close + 1) != std::string_view::npos)
        return false;
    const std::string_view element = text.substr(0, close + 1);
    if (element.find('<', 1) != std::string_view::npos || !element.ends_with("/>")) return false;
    if (element.starts_with("<mem_r ") || element.starts_with("<mem_r\t")) return true;
    constexpr std::string_view head = "<const data=\"", tail = "\"/>";
    if (!element.starts_with(head) || !element.ends_with(tail)) return false;
    const std::string_view digits =
        element.substr(head.size(), element.size() - head.size() - tail.size());
    return (digits.size() == 1 || digits.size() == 2) &&
           digits.find_first_not_of("0123456789") == std::string_view::npos;
}

int decodeChoice(std::span<const std::uint8_t> w, int labelCount) {
    if (w.size() < 2 || w[0] != '<') return -1;
    if (w[1] == 'm') return 0;
    if (w[1] != 'c' || w.size() < 15) return -1;
    const int tens = signedByte(w[13]) - '0';
    const int value = w[14] == '"' ? tens : tens * 10 + (signedByte(w[14]) - '0');
    return value >= 0 && value < labelCount ? value + 1 : -1;
}

}  // namespace core
