// The Japanese words for a failed exchange with the card, shared by every transport so the
// user reads the same text on each system.
#include <array>
#include <utility>

#include "platform/text.h"
#include "transfer/http_transport.h"

namespace transfer {
namespace {

constexpr std::array<std::pair<HttpFailure, std::string_view>, 10> texts{{
    {HttpFailure::none, ""},
    {HttpFailure::resolve, "名前が見つからない"},
    {HttpFailure::connect, "接続できない"},
    {HttpFailure::timeout, "時間切れ"},
    {HttpFailure::noReply, "応答がない"},
    {HttpFailure::tooSlow, "通信が遅すぎる"},
    {HttpFailure::cutShort, "途中で切れた"},
    {HttpFailure::badReply, "応答が正しくない"},
    {HttpFailure::outOfMemory, "メモリ不足"},
    {HttpFailure::other, "通信エラー"},
}};

// The message shows at most 259 bytes of description.
constexpr std::size_t descriptionLimit = 259;
constexpr std::string_view open = "（";
constexpr std::string_view close = "）";

}  // namespace

std::string describeHttpFailure(HttpFailure failure, std::string_view detail) {
    std::string_view word = texts.back().second;
    for (const auto& [kind, text] : texts)
        if (kind == failure) word = text;
    std::string text(word);
    // Line ends and other control bytes at the end of a system text say nothing.
    detail = platform::cutUtf8(detail, descriptionLimit - text.size() - open.size() - close.size());
    if (detail.empty() || failure == HttpFailure::outOfMemory) return text;
    return text.append(open).append(detail).append(close);
}

}  // namespace transfer
