// Every place at a glance: the state of each listed entry beside its name, read as cheaply as
// it can be, the catalogue check built on it, and the texts of where the window works.
#include <algorithm>
#include <map>

#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace core {
namespace {

std::string withUtf8(std::string_view cp932) {
    return platform::cp932ToUtf8Lossy(cp932);
}

}  // namespace

std::string CRandomEditor::fileKey(const std::string& fileName) const {
    // One card file by any letter case and either separator, as FAT finds it; a local one by
    // the path it resolves to.
    if (usesCard()) {
        std::string key = platform::asciiLowered(fileName);
        std::replace(key.begin(), key.end(), '/', '\\');
        return key;
    }
    return programPathOf(fileName).native.value_or(fileName);
}

std::vector<std::pair<std::string, std::vector<int>>> CRandomEditor::linesByFile() const {
    std::vector<std::pair<std::string, std::vector<int>>> groups;
    std::map<std::string, std::size_t> at;
    for (std::size_t line = 0; line < lines_.size(); ++line) {
        const std::string& name = item(lines_[line]).fileName;
        const auto [found, added] = at.try_emplace(fileKey(name), groups.size());
        if (added) groups.push_back({name, {}});
        groups[found->second].second.push_back(static_cast<int>(line));
    }
    return groups;
}

// On the card: one download of the file's start, up to its last slot, for all its entries.
void CRandomEditor::readFileStates(const std::string& fileName, const std::vector<int>& lines,
                                   std::vector<EntryState>& states) {
    if (!usesCard()) {
        for (const int line : lines) states[line] = readState(lines_[line]);
        return;
    }
    std::size_t count = 0;
    for (const int line : lines) {
        const auto& e = item(lines_[line]);
        if (e.slotOffset >= 0 &&
            static_cast<std::size_t>(e.slotOffset) + slotSize <= programBufferSize)
            count = std::max(count, static_cast<std::size_t>(e.slotOffset) + slotWindowSize);
    }
    if (count == 0) {  // no slot a write could reach
        for (const int line : lines) states[line] = {-1, false, std::string(reasonOutsideFile)};
        return;
    }
    std::vector<char> path(std::max<std::size_t>(count, 256));
    const bool named = transfer::percentEncodePath(fileName, path.data(), path.size()).has_value();
    std::vector<std::uint8_t> bytes(count);
    auto& card = cardClient();
    const std::size_t n = named ? card.downloadFile(path.data(), bytes) : 0;
    std::string_view unread;
    if (!named)
        unread = reasonNameTooLong;
    else if (card.lastReply().failure != transfer::HttpFailure::none)
        unread = reasonCardUnread;
    else if (card.lastStatus() == 404)
        unread = reasonFileMissing;
    else if (card.lastStatus() != 200)
        unread = reasonCardUnread;
    bytes.resize(n);
    for (const int line : lines) {
        const auto& e = item(lines_[line]);
        const auto offset = static_cast<std::size_t>(std::max(e.slotOffset, 0));
        if (!unread.empty())
            states[line] = {-1, false, std::string(unread)};
        else if (e.slotOffset < 0 || offset + slotSize > programBufferSize)
            states[line] = {-1, false, std::string(reasonOutsideFile)};
        else
            states[line] =
                judge(e, std::span(bytes).subspan(std::min(offset, n), n - std::min(offset, n)));
    }
}

std::vector<EntryState> CRandomEditor::readStates() {
    std::vector<EntryState> states(lines_.size());
    // A card that cannot be reached is one reason beside every line, not a box per file.
    cardMessages_.setQuiet(true);
    for (const auto& [fileName, lines] : linesByFile()) {
        std::vector<int> own;
        for (const int line : lines) {
            if (isDuplicate(lines_[line]))
                states[line] = {-1, false, std::string(reasonDuplicate)};
            else if (cardMessages_.failedQuietly())
                states[line] = {-1, false, std::string(reasonCardUnread)};
            else
                own.push_back(line);
        }
        if (!own.empty()) readFileStates(fileName, own, states);
    }
    cardMessages_.setQuiet(false);
    return states;
}

std::string CRandomEditor::stateText(int index, const EntryState& state) const {
    if (!state.fits) return state.reason;
    if (state.choice == 0) return std::string(randomLabel);
    return withUtf8(item(index).labels[static_cast<std::size_t>(state.choice - 1)]);
}

void CRandomEditor::showStates(EditorWindow& window) {
    if (!window.showsStates()) return;
    const auto states = readStates();
    for (std::size_t line = 0; line < states.size(); ++line)
        window.setLineNote(static_cast<int>(line), stateText(lines_[line], states[line]));
    window.setStatus(statusText());
    const auto last = backups_.lastChange();
    window.setEnabled(idUndoButton, last && last->origin == origin());
    window.setEnabled(idResetButton, !lines_.empty());
}

void CRandomEditor::showStatesOfFile(const PreparedFile& file) {
    std::vector<int> lines;
    const std::string key = fileKey(file.fileName);
    for (std::size_t line = 0; line < lines_.size(); ++line)
        if (!isDuplicate(lines_[line]) && fileKey(item(lines_[line]).fileName) == key)
            lines.push_back(static_cast<int>(line));
    std::vector<EntryState> states(lines_.size());
    // On the card the file was read back whole after the write: what it holds is known.
    if (usesCard() && file.known) {
        for (const int line : lines) {
            const auto& e = item(lines_[line]);
            const auto offset = std::min(static_cast<std::size_t>(e.slotOffset), file.read.size());
            states[line] =
                judge(e, std::span(file.read).subspan(
                             offset, std::min(slotWindowSize, file.read.size() - offset)));
        }
    } else {
        readFileStates(file.fileName, lines, states);
    }
    for (const int line : lines) owner_->setLineNote(line, stateText(lines_[line], states[line]));
}

std::vector<std::string> CRandomEditor::checkCatalogue() {
    std::vector<std::string> reasons;
    for (const auto& state : readStates()) reasons.push_back(state.fits ? "" : state.reason);
    return reasons;
}

std::string CRandomEditor::statusText() const {
    std::string text = usesCard() ? "作業場所: FlashAir（" + settings_.cardHost + "）"
                       : settings_.programFolder.empty()
                           ? std::string("作業場所: まだ決まっていません（設定ボタンから）")
                           : "作業場所: " + settings_.programFolder;
    if (executed_) text += "　実行を指示しました（" + executedAt_ + "）";
    return text;
}

std::string CRandomEditor::sourceText(const SettingsChoice& choice) const {
    const std::string host = choice.cardHost.value_or(settings_.cardHostSetting);
    if (choice.connectType == 2 && settings_.programFolder.empty())
        return "プログラムはFlashAirカード（" +
               (host.empty() ? std::string(defaultCardHost) : host) + "）で直接読み書きします";
    if (settings_.programFolder.empty()) return "プログラムフォルダーがまだ決まっていません";
    return "プログラムはプログラムフォルダー（" + settings_.programFolder + "）で読み書きします";
}

}  // namespace core
