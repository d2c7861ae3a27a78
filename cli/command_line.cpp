#include "cli/command_line.h"

#include <charconv>
#include <optional>

namespace cli {
namespace {

constexpr std::string_view usage =
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

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// Walks the arguments; every failure becomes the one usage error of the result.
class Parser {
  public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    ParseResult run() {
        parseGlobalOptions();
        if (error_.empty() && result_.kind == Invocation::Kind::run) parseCommand();
        return {std::move(result_), std::move(error_)};
    }

  private:
    bool atEnd() const { return next_ >= args_.size(); }
    const std::string& peek() const { return args_[next_]; }
    const std::string& take() { return args_[next_++]; }

    std::optional<std::string> optionValue(const std::string& option) {
        if (atEnd()) {
            fail(option + " needs a value");
            return std::nullopt;
        }
        return take();
    }

    void fail(std::string message) {
        if (error_.empty()) error_ = std::move(message);
    }

    void parseGlobalOptions() {
        while (!atEnd() && error_.empty() && peek().starts_with("-")) {
            const std::string option = take();
            if (option == "--help") {
                result_.kind = Invocation::Kind::help;
                return;
            }
            if (option == "--version") {
                result_.kind = Invocation::Kind::version;
                return;
            }
            if (option == "--demo") {
                result_.demo = true;
                continue;
            }
            if (option != "--settings" && option != "--lock" && option != "--choose")
                return fail("unknown option " + option);
            std::optional<std::string> value = optionValue(option);
            if (!value) return;
            if (option == "--settings") result_.settingsPath = *value;
            if (option == "--lock") result_.lockPath = *value;
            if (option == "--choose") result_.chosenFiles.push_back(*value);
        }
    }

    void parseCommand() {
        if (atEnd()) return fail("no command given");
        result_.command = take();
        const std::string& command = result_.command;
        if (command == "list" || command == "status" || command == "check" || command == "reset" ||
            command == "undo" || command == "backups") {
            expectArguments(0);
        } else if (command == "show" || command == "get" || command == "exec") {
            if (expectArguments(1)) result_.name = args_[next_];
        } else if (command == "set") {
            if (expectArguments(2)) {
                result_.name = args_[next_];
                parseChoice(args_[next_ + 1]);
            }
        } else if (command == "settings") {
            parseSettingsOptions();
        } else {
            fail("unknown command " + command);
        }
    }

    bool expectArguments(std::size_t count) {
        if (args_.size() - next_ != count) {
            fail(result_.command + " takes " + std::to_string(count) +
                 (count == 1 ? " argument" : " arguments"));
            return false;
        }
        return true;
    }

    void parseChoice(const std::string& text) {
        std::optional<int> choice = text == "random" ? 0 : parseInt(text);
        if (!choice || *choice < 0) return fail("CHOICE must be \"random\" or a number from 0");
        result_.choice = *choice;
    }

    void parseSettingsOptions() {
        SettingsAnswer& answer = result_.settingsAnswer;
        while (!atEnd() && error_.empty()) {
            const std::string option = take();
            if (option == "--choose-folder") {
                answer.chooseFolder = true;
            } else if (option == "--program-type") {
                answer.programType = radioValue(option, 1, 4);
            } else if (option == "--connect-type") {
                answer.connectType = radioValue(option, 0, 2);
            } else if (option == "--card-host") {
                answer.cardHost = optionValue(option);
            } else {
                fail("unknown settings option " + option);
            }
            result_.settingsDialog = true;
        }
        // The folder button ends in Cancel, which would discard any radio change.
        if (answer.chooseFolder && (answer.programType || answer.connectType || answer.cardHost))
            fail("--choose-folder cannot be combined with another settings option");
    }

    std::optional<int> radioValue(const std::string& option, int low, int high) {
        std::optional<std::string> text = optionValue(option);
        if (!text) return std::nullopt;
        std::optional<int> value = parseInt(*text);
        if (!value || *value < low || *value > high) {
            fail(option + " takes a number from " + std::to_string(low) + " to " +
                 std::to_string(high));
            return std::nullopt;
        }
        return value;
    }

    const std::vector<std::string>& args_;
    std::size_t next_ = 0;
    Invocation result_;
    std::string error_;
};

}  // namespace

ParseResult parseCommandLine(const std::vector<std::string>& args) {
    return Parser(args).run();
}

std::string_view usageText() {
    return usage;
}

}  // namespace cli
