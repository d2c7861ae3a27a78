// The two conversions for card paths on arbitrary bytes (catalogue file names) and buffer
// capacities: nothing is written past the capacity, the encoded form is upper-case "%XX"
// triplets of exactly the UTF-8 bytes, and a text that does not fit is refused, never cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "fuzz_check.h"
#include "platform/encoding.h"
#include "transfer/card_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto capacity = input.ConsumeIntegralInRange<std::size_t>(0, 1024);
    const std::string text = input.ConsumeRemainingBytesAsString();
    // What the card may be sent: CP932 text without NUL bytes (a NUL would end the name early).
    const auto utf8 = text.find('\0') == std::string::npos ? platform::cp932ToUtf8(text) : std::nullopt;
    std::string encoded;
    if (utf8)
        for (const unsigned char byte : *utf8) {
            char triplet[4];
            std::snprintf(triplet, sizeof triplet, "%%%02X", unsigned{byte});
            encoded += triplet;
        }
    FUZZ_CHECK(transfer::toUtf8(text, nullptr, 0) == (utf8 ? std::optional(utf8->size() + 1) : std::nullopt));
    for (const bool percent : {true, false}) {
        // Exactly `capacity` bytes of their own, so one byte too many is an ASan report.
        auto buffer = std::make_unique<char[]>(capacity);
        const auto result = percent ? transfer::percentEncodePath(text, buffer.get(), capacity)
                                    : transfer::toUtf8(text, buffer.get(), capacity);
        const std::string expected = percent ? encoded : utf8.value_or("");
        if (!result) {
            FUZZ_CHECK(capacity == 0 || buffer[0] == '\0');
            FUZZ_CHECK(!utf8 || expected.size() + 1 > capacity);
            continue;
        }
        FUZZ_CHECK(utf8 && *result == utf8->size() && buffer.get() == expected);
    }
    return 0;
}
