// The message table: ids and Japanese texts as users have always seen them.
#include "core/messages.h"

#include <array>
#include <utility>

#include "core/prompts.h"

namespace core {
namespace {

constexpr std::array<std::pair<int, std::string_view>, 21> table{{
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
    {150, "固定の選択肢になっている場所を、すべてランダム(標準)に戻します。\nよろしいですか？"},
    {151, "%1 か所をランダム(標準)に戻しました。"},
    {152, "固定の選択肢になっている場所はありません。"},
    {153, "最後の変更（%1）を元に戻します。\nよろしいですか？"},
    {154, "%1 か所を元に戻しました。"},
    {155, "元に戻せる変更はありません。"},
    {156,
     "FlashAirカードの名前またはアドレスが正しくありません。\n例: "
     "flashair、flashair.local、192.168.0.1:8080"},
}};

}  // namespace

std::string_view messageText(int id) {
    for (const auto& [key, text] : table)
        if (key == id) return text;
    return {};
}

std::string formatMessage(int id, std::string_view insert, std::string_view detail) {
    std::string text(messageText(id));
    const auto at = text.find("%1");
    if (at != std::string::npos)
        text.replace(at, 2, insert);
    else if (!insert.empty())
        text.append("\n").append(insert);
    if (!detail.empty()) text.append("\n").append(detail);
    return text;
}

void showMessage(Prompts& prompts, int id) {
    prompts.showMessage(id, std::string(messageText(id)));
}

void showMessage(Prompts& prompts, int id, std::string_view insert, std::string_view detail) {
    prompts.showMessage(id, formatMessage(id, insert, detail));
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
