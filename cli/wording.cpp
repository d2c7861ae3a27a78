// Both languages of vkrandom-cli side by side: each English text with its Japanese one.
#include "cli/wording.h"

#include <array>

#include "platform/console.h"

namespace cli {
namespace {

bool japanese() {
    static const bool value = platform::userLanguageIsJapanese();
    return value;
}

struct Wording {
    Say what;
    std::string_view english, japanese;
};

constexpr std::array wordings{
    Wording{Say::needsValue, "%1 needs a value", "%1 には値が必要です"},
    Wording{Say::unknownOption, "unknown option %1", "%1 というオプションはありません"},
    Wording{Say::noCommand, "no command given", "コマンドが指定されていません"},
    Wording{Say::unknownCommand, "unknown command %1", "%1 というコマンドはありません"},
    Wording{Say::takesNoArguments, "%1 takes 0 arguments", "%1 は引数を取りません"},
    Wording{Say::takesOneArgument, "%1 takes 1 argument", "%1 は引数を 1 つ取ります"},
    Wording{Say::takesArguments, "%1 takes %2 arguments", "%1 は引数を %2 つ取ります"},
    Wording{Say::badChoice, "CHOICE must be \"random\" or a number from 0",
            "CHOICE は \"random\" か 0 以上の数です"},
    Wording{Say::unknownSettingsOption, "unknown settings option %1",
            "settings に %1 というオプションはありません"},
    Wording{Say::chooseFolderAlone,
            "--choose-folder and --no-folder cannot be combined with another settings option",
            "--choose-folder と --no-folder は settings のほかのオプションと一緒に使えません"},
    Wording{Say::numberRange, "%1 takes a number from %2 to %3",
            "%1 には %2 から %3 までの数を指定します"},
    Wording{Say::tryHelp, "Try 'vkrandom-cli --help'.",
            "使い方は 'vkrandom-cli --help' で表示できます。"},
    Wording{Say::notListed, "no listed entry is named \"%1\"",
            "「%1」という項目は一覧にありません"},
    Wording{Say::slotUnreadable, "\"%1\" cannot be exported: %2", "「%1」は書き出せません: %2"},
    Wording{Say::choiceRange, "\"%1\" offers choices 0 to %2",
            "「%1」の選択肢は 0 から %2 までです"},
    Wording{Say::settingsNotStored, "the settings could not be stored: %1",
            "設定を保存できませんでした: %1"},
};

constexpr std::string_view englishUsage =
    "Usage: vkrandom-cli [--settings FILE | --demo] [--choose PATH]... COMMAND [ARGS]\n"
    "  list                     names of the listed entries, one per line, in list order\n"
    "  show NAME                select NAME; print \"file: <file name>\", \"choice: <n>\", then "
    "one\n"
    "                           line per choice: \"[x] <j> <label>\" or \"[ ] <j> <label>\",\n"
    "                           j from 0 (\"ランダム(標準)\") to labelCount\n"
    "  get NAME                 select NAME; print the choice index alone (-1, 0, 1..n)\n"
    "  set NAME CHOICE          select NAME, check CHOICE (0 or \"random\", or 1..n), press "
    "Export\n"
    "  exec NAME                select NAME, then execute it as a double-click on the list line "
    "does\n"
    "  status                   every listed entry in list order: NAME, a tab, its choice index\n"
    "                           (-1, 0, 1..n), a tab, what the window shows beside it (the\n"
    "                           label, \"ランダム(標準)\" or why it cannot be read)\n"
    "  check                    every listed entry: NAME, a tab, \"ok\" or why it does not fit\n"
    "                           its program; exit 1 when one does not\n"
    "  reset                    every listed place that holds a fixed choice back to random,\n"
    "                           one write per program file; exit 0 only when all are random\n"
    "  undo                     the slots the last export or reset changed back to what they\n"
    "                           held, where they still hold what it wrote\n"
    "  backups                  the backups kept: each folder and where its files came from,\n"
    "                           then its files\n"
    "  settings                 print \"program type: N\", \"connection type: N\", \"program "
    "folder: P\",\n"
    "                           \"card host: H\"\n"
    "  settings [--program-type N] [--connect-type N] [--card-host HOST]\n"
    "                           the settings dialog opened on the current values, the given\n"
    "                           radios changed, then OK (what OK stores and reloads, as the GUI)\n"
    "  settings --choose-folder the dialog's data-folder button, then Cancel\n"
    "  settings --no-folder     the dialog's 「指定解除」 (no program folder: FlashAir reads the\n"
    "                           card itself), then Cancel\n"
    "\n"
    "Options:\n"
    "  --settings FILE          settings file (default: VKRandom.ini as the GUI finds it)\n"
    "  --demo                   the demo: the packaged robot folder and catalogue, copied on\n"
    "                           first use into ~/.local/share/VKRandom/demo, its settings there\n"
    "  --choose PATH            answer to the next open-file dialog; without one it is cancelled\n"
    "  --lock FILE              single-instance lock file (a testing aid)\n"
    "  --help, --version\n"
    "\n"
    "Messages go to stderr as \"[ID] TEXT\", file errors as \"[file-error] TEXT\", open-file\n"
    "dialogs as \"[dialog] <initial file name>\" (e.g. \"STARTUP.XML\", \"ADDON/REMOTE.LOG\": "
    "paths\n"
    "with \"/\"), each answered by the next --choose PATH.\n"
    "Exit status: 0 done; 1 failed or refused (list: also when the catalogue could not be\n"
    "read; exec: also when nothing was run); 2 usage error; 3 another instance is running.\n";

constexpr std::string_view japaneseUsage =
    "使い方: vkrandom-cli [--settings FILE | --demo] [--choose PATH]... COMMAND [ARGS]\n"
    "  list                     一覧の項目名を一覧の順に 1 行ずつ表示\n"
    "  show NAME                NAME を選び、\"file: <ファイル名>\"、\"choice: <n>\"、続けて\n"
    "                           選択肢ごとに \"[x] <j> <ラベル>\" か \"[ ] <j> <ラベル>\" の\n"
    "                           1 行を表示（j は 0 (\"ランダム(標準)\") から labelCount）\n"
    "  get NAME                 NAME を選び、選択肢の番号だけを表示（-1、0、1..n）\n"
    "  set NAME CHOICE          NAME を選び、CHOICE（0 か \"random\"、または 1..n）に\n"
    "                           チェックを入れて「書出し」を押す\n"
    "  exec NAME                NAME を選び、一覧の行のダブルクリックと同じく実行\n"
    "  status                   一覧の全項目を一覧の順に: NAME、タブ、選択肢の番号\n"
    "                           （-1、0、1..n）、タブ、ウィンドウが横に示すもの（ラベル、\n"
    "                           \"ランダム(標準)\" または読めない理由）\n"
    "  check                    一覧の全項目: NAME、タブ、\"ok\" またはプログラムに合わない\n"
    "                           理由。合わない項目があれば終了コード 1\n"
    "  reset                    固定の選択肢になっている一覧の全箇所をランダムに戻す\n"
    "                           （書き込みはプログラムファイルごとに 1 回）。すべてが\n"
    "                           ランダムになったときだけ終了コード 0\n"
    "  undo                     最後の書出しか reset が変えたスロットを元の内容に戻す\n"
    "                           （そのとき書いた内容がまだ残っている所だけ）\n"
    "  backups                  残してあるバックアップ: フォルダーごとにファイルの出所、\n"
    "                           続いてそのファイル\n"
    "  settings                 \"program type: N\"、\"connection type: N\"、\n"
    "                           \"program folder: P\"、\"card host: H\" を表示\n"
    "  settings [--program-type N] [--connect-type N] [--card-host HOST]\n"
    "                           設定ダイアログを今の値で開き、指定のラジオボタンを変えて\n"
    "                           OK を押す（OK で保存と再読み込み、GUI と同じ）\n"
    "  settings --choose-folder ダイアログの「データフォルダー指定」、続いてキャンセル\n"
    "  settings --no-folder     ダイアログの「指定解除」(プログラムフォルダーなし: FlashAir では\n"
    "                           カードの上を直接読み書き)、続いてキャンセル\n"
    "\n"
    "オプション:\n"
    "  --settings FILE          設定ファイル（既定: GUI と同じ探し方の VKRandom.ini）\n"
    "  --demo                   デモ: パッケージのロボットフォルダーとカタログ。初回に\n"
    "                           ~/.local/share/VKRandom/demo にコピーし、設定もそこに\n"
    "  --choose PATH            次のファイルを開くダイアログへの答え。なければキャンセル\n"
    "  --lock FILE              多重起動を防ぐロックファイル（テスト用）\n"
    "  --help, --version\n"
    "\n"
    "メッセージは標準エラーに \"[ID] TEXT\"、ファイルのエラーは \"[file-error] TEXT\"、\n"
    "ファイルを開くダイアログは \"[dialog] <最初のファイル名>\"（例 \"STARTUP.XML\"、\n"
    "\"ADDON/REMOTE.LOG\": パスは \"/\" 区切り）と出て、それぞれ次の --choose PATH が答える。\n"
    "終了コード: 0 完了、1 失敗または拒否（list: カタログを読めなかったときも、exec: 何も\n"
    "実行しなかったときも）、2 使い方の誤り、3 ほかのインスタンスが動作中。\n";

}  // namespace

std::string say(Say what, std::initializer_list<std::string_view> arguments) {
    std::string_view text;
    for (const Wording& wording : wordings)
        if (wording.what == what) text = japanese() ? wording.japanese : wording.english;
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const std::size_t place = at + 1 < text.size() ? std::size_t(text[at + 1] - '1') : 9;
        if (text[at] == '%' && place < arguments.size()) {
            out.append(arguments.begin()[place]);
            ++at;  // the digit
        } else {
            out += text[at];
        }
    }
    return out;
}

std::string_view usageText() {
    return japanese() ? japaneseUsage : englishUsage;
}

}  // namespace cli
