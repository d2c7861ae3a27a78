#include "cli/command_line.h"

#include <charconv>
#include <optional>

#include "cli/wording.h"

namespace cli {
namespace {

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
            fail(say(Say::needsValue, {option}));
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
                return fail(say(Say::unknownOption, {option}));
            std::optional<std::string> value = optionValue(option);
            if (!value) return;
            if (option == "--settings") result_.settingsPath = *value;
            if (option == "--lock") result_.lockPath = *value;
            if (option == "--choose") result_.chosenFiles.push_back(*value);
        }
    }

    void parseCommand() {
        if (atEnd()) return fail(say(Say::noCommand));
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
            fail(say(Say::unknownCommand, {command}));
        }
    }

    bool expectArguments(std::size_t count) {
        if (args_.size() - next_ != count) {
            const Say takes = count == 0   ? Say::takesNoArguments
                              : count == 1 ? Say::takesOneArgument
                                           : Say::takesArguments;
            fail(say(takes, {result_.command, std::to_string(count)}));
            return false;
        }
        return true;
    }

    void parseChoice(const std::string& text) {
        std::optional<int> choice = text == "random" ? 0 : parseInt(text);
        if (!choice || *choice < 0) return fail(say(Say::badChoice));
        result_.choice = *choice;
    }

    void parseSettingsOptions() {
        SettingsAnswer& answer = result_.settingsAnswer;
        while (!atEnd() && error_.empty()) {
            const std::string option = take();
            if (option == "--choose-folder") {
                answer.chooseFolder = true;
            } else if (option == "--no-folder") {
                answer.noFolder = true;
            } else if (option == "--program-type") {
                answer.programType = radioValue(option, 1, 4);
            } else if (option == "--connect-type") {
                answer.connectType = radioValue(option, 0, 2);
            } else if (option == "--card-host") {
                answer.cardHost = optionValue(option);
            } else {
                fail(say(Say::unknownSettingsOption, {option}));
            }
            result_.settingsDialog = true;
        }
        // The folder button ends in Cancel, which would discard any radio change.
        if ((answer.chooseFolder || answer.noFolder) &&
            (answer.programType || answer.connectType || answer.cardHost ||
             answer.chooseFolder == answer.noFolder))
            fail(say(Say::chooseFolderAlone));
    }

    std::optional<int> radioValue(const std::string& option, int low, int high) {
        std::optional<std::string> text = optionValue(option);
        if (!text) return std::nullopt;
        std::optional<int> value = parseInt(*text);
        if (!value || *value < low || *value > high) {
            fail(say(Say::numberRange, {option, std::to_string(low), std::to_string(high)}));
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

}  // namespace cli
