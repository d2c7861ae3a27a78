// The card client's handling of whatever a card sends back: a loopback card in this process
// answers every request with the fuzz input as the whole raw reply (status line, headers, body
// or none of them), then closes. Every operation must return, within its buffer, showing only
// the card's failure messages.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/messages.h"
#include "fuzz_check.h"
#include "scripted_card.h"
#include "tests/support/fakes.h"
#include "transfer/card_client.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ScriptedCard server;
    FuzzedDataProvider input(data, size);
    const auto bufferSize = input.ConsumeIntegralInRange<std::size_t>(0, 200000);
    server.setReply(input.ConsumeRemainingBytesAsString());

    testing_support::FakePrompts prompts;
    core::CardMessages sink(prompts);
    transfer::CardClient card(sink, server.host());
    card.setLimits({.connectSeconds = 2, .stallSeconds = 2});

    std::vector<std::uint8_t> buffer(bufferSize);
    const std::size_t received = card.downloadFile("%41%2E%58%4D%4C", buffer);
    FUZZ_CHECK(received <= buffer.size());
    FUZZ_CHECK(prompts.messages.size() <= 1);

    const std::string answer = card.sendCommand(card.uploadUrl() + "?WRITEPROTECT=OFF");
    FUZZ_CHECK(answer.size() <= transfer::commandReplyLimit);
    FUZZ_CHECK(prompts.messages.size() <= 2);

    const std::uint8_t program[] = {'<', 'x', '/', '>'};
    (void)card.uploadFile(std::string("ADDON"), "TEMP.VX4", program);
    FUZZ_CHECK(prompts.messages.size() <= 4 && prompts.fileErrors.empty());
    // Only the card's own failures may be shown.
    for (const int id : prompts.messages)
        FUZZ_CHECK(id >= core::msgCardCommFailed && id <= core::msgCardUploadFailed);
    return 0;
}
