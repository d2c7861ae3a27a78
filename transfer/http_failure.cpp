// The Japanese words for a failed exchange with the card, shared by every transport so the
// user reads the same text on each system.
#include <array>
#include <string>
#include <utility>

#include "platform/text.h"
#include "transfer/failure_facts.h"
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

std::string_view authority(std::string_view url) {
    constexpr std::string_view scheme = "http://";
    if (url.starts_with(scheme)) url.remove_prefix(scheme.size());
    return url.substr(0, url.find_first_of("/?#"));
}

}  // namespace

namespace facts {

std::string host(std::string_view url) {
    const std::string_view name = authority(url);
    return std::string(name.substr(0, name.rfind(':')));
}

std::string hostAndPort(std::string_view url) {
    const std::string_view name = authority(url);
    return std::string(name) + (name.find(':') == std::string_view::npos ? ":80" : "");
}

std::string bytes(std::uint64_t n) {
    const std::string digits = std::to_string(n);
    std::string text;
    for (std::size_t at = 0; at < digits.size(); ++at) {
        if (at > 0 && (digits.size() - at) % 3 == 0) text += ',';
        text += digits[at];
    }
    return text + " バイト";
}

std::string seconds(long n) {
    return std::to_string(n) + " 秒";
}

std::string received(std::uint64_t n) {
    return bytes(n) + "受信後";
}

std::string headersBeyond(std::size_t limit) {
    return "ヘッダーが " + std::to_string(limit / 1024) + " KiB を超えた";
}

std::string withError(std::string_view facts, unsigned long error) {
    std::string text(facts);
    return text.append(text.empty() ? "" : "、").append("エラー ").append(std::to_string(error));
}

}  // namespace facts

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
