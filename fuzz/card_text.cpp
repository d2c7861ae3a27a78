// The two conversions for card paths on arbitrary bytes (catalogue file names) and buffer
// capacities: nothing is ever written past the capacity, the encoded form is "%XX" triplets of
// exactly the UTF-8 bytes, and a text that does not fit is refused, never cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "platform/encoding.h"
#include "transfer/card_client.h"

namespace {

// What the card may be sent: CP932 text without NUL bytes (a NUL would end the name early).
std::optional<std::string> expectedUtf8(const std::string& text) {
    if (text.find('\0') != std::string::npos) return std::nullopt;
    return platform::cp932ToUtf8(text);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;  // lower case is not what the card is sent
}

void checkPercentEncoding(const std::string& text, std::size_t capacity) {
    // Exactly `capacity` bytes of their own, so one byte too many is an ASan report.
    auto buffer = std::make_unique<char[]>(capacity);
    std::memset(buffer.get(), 0x7F, capacity);
    const auto result = transfer::percentEncodePath(text, buffer.get(), capacity);
    const auto utf8 = expectedUtf8(text);
    if (!result) {
        FUZZ_CHECK(capacity == 0 || buffer[0] == '\0');
        FUZZ_CHECK(!utf8 || utf8->size() * 3 + 1 > capacity);
        return;
    }
    FUZZ_CHECK(utf8 && *result == utf8->size());
    const std::size_t length = utf8->size() * 3;
    FUZZ_CHECK(length < capacity && buffer[length] == '\0');
    for (std::size_t i = 0; i < utf8->size(); ++i) {
        const char* triplet = buffer.get() + 3 * i;
        FUZZ_CHECK(triplet[0] == '%');
        const int high = hexValue(triplet[1]);
        const int low = hexValue(triplet[2]);
        FUZZ_CHECK(high >= 0 && low >= 0);
        FUZZ_CHECK(static_cast<unsigned char>((*utf8)[i]) == high * 16 + low);
    }
}

void checkUtf8(const std::string& text, std::size_t capacity) {
    auto buffer = std::make_unique<char[]>(capacity);
    std::memset(buffer.get(), 0x7F, capacity);
    const auto result = transfer::toUtf8(text, buffer.get(), capacity);
    const auto utf8 = expectedUtf8(text);
    const auto measured = transfer::toUtf8(text, nullptr, 0);
    FUZZ_CHECK(measured.has_value() == utf8.has_value());
    if (utf8) FUZZ_CHECK(*measured == utf8->size() + 1);
    if (!result) {
        FUZZ_CHECK(capacity == 0 || buffer[0] == '\0');
        FUZZ_CHECK(!utf8 || utf8->size() + 1 > capacity);
        return;
    }
    FUZZ_CHECK(utf8 && *result == utf8->size() && *result < capacity);
    FUZZ_CHECK(std::memcmp(buffer.get(), utf8->data(), utf8->size()) == 0);
    FUZZ_CHECK(buffer[*result] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto capacity = input.ConsumeIntegralInRange<std::size_t>(0, 1024);
    const std::string text = input.ConsumeRemainingBytesAsString();
    checkPercentEncoding(text, capacity);
    checkUtf8(text, capacity);
    return 0;
}
