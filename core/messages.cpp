// The message table: ids and Japanese texts as users have always seen them, from the string
// table of res/vkrandom.rc (Windows shows the same texts from its resources).
#include "core/messages.h"

#include "core/prompts.h"
#include "rc/description.h"

namespace core {

std::string_view messageText(int id) {
    return rc::string(id);
}

std::string applyInsert(std::string text, std::string_view insert, std::string_view detail) {
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, insert);
    else if (!insert.empty())
        text.append("\n").append(insert);
    if (!detail.empty()) text.append("\n").append(detail);
    return text;
}

std::string formatMessage(int id, std::string_view insert, std::string_view detail) {
    return applyInsert(std::string(messageText(id)), insert, detail);
}

std::string Prompts::messageText(int id) {
    return std::string(core::messageText(id));
}

void showMessage(Prompts& prompts, int id) {
    prompts.showMessage(id, prompts.messageText(id));
}

void showMessage(Prompts& prompts, int id, std::string_view insert, std::string_view detail) {
    prompts.showMessage(id, applyInsert(prompts.messageText(id), insert, detail));
}

void CardMessages::cardFault(transfer::CardFault fault, std::string_view description) {
    failedQuietly_ = quiet_;
    if (quiet_) return;
    switch (fault) {
        case transfer::CardFault::exchangeFailed:
            return showMessage(prompts_, msgCardCommFailed, description);
        case transfer::CardFault::commandRefused:
            return showMessage(prompts_, msgCardUnreachable, description);
        case transfer::CardFault::uploadFailed:
            return showMessage(prompts_, msgCardUploadFailed, description);
    }
}

}  // namespace core
