// The message table: ids and Japanese texts as users have always seen them.
#include "core/messages.h"

#include <array>
#include <utility>

#include "core/prompts.h"

namespace core {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 14> table{{
    {101, "バージョン情報 VKRandom(&A)..."},
    {102, "データファイルの読み込みに失敗しました"},
    {106, "本プログラムは既に起動されています。"},
    {108,
     "リモートファイルの書込みに失敗しました。\nVeskとUSB接続されている事を確認してください。"},
    {112, "Veskプログラムの書出しに失敗しました"},
    {113, "Veskプログラムの書出しに成功しました"},
    {116,
     "REMOTE."
     "LOGファイルが見つかりません。\nこのファイルをVeskSDカードのADDONフォルダーにコピーしておいて"
     "ください。"},
    {117,
     "直接実行プログラムのコピーに失敗しました。\nプログラムを直接実行するにはVeskとパソコンがUSBで"
     "接続されていなければいけません。\nまたVeskの本体では直接命令用の初期化プログラムが動いていな"
     "ければなりません。"},
    {119, "FlashAirとの通信に失敗しました[%1]"},
    {120, "Flash Airと接続できません。\nWi-Fi設定を確認してください。"},
    {121, "Flash Airへのアップロードに失敗しました。"},
    {122, "Veskプログラムの読み込みに失敗しました。"},
    {131,
     "プログラムフォルダーを設定するためVeskの起動プログラムを指定してください。\n直接SDカードのプ"
     "ログラムを変更しない場合はPCのディスクにある起動プログラムを指定してください。\nFlashAirでリ"
     "モート接続する場合は起動プログラムを指定しないで設定機能で接続インターフェイスをFlashAirに設"
     "定してください。"},
    {139, "設定ボタンで接続タイプやデータフォルダーを指定してください。"},
}};

}  // namespace

std::string_view messageText(int id) {
    for (const auto& [key, text] : table)
        if (key == id) return text;
    return {};
}

std::string formatMessage(int id, std::string_view insert) {
    std::string text(messageText(id));
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, insert);
    else if (!insert.empty())
        text.append("\n").append(insert);
    return text;
}

void showMessage(Prompts& prompts, int id) {
    prompts.showMessage(id, std::string(messageText(id)));
}

void showMessage(Prompts& prompts, int id, std::string_view insert) {
    prompts.showMessage(id, formatMessage(id, insert));
}

void CardMessages::cardFault(transfer::CardFault fault, std::string_view description) {
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
