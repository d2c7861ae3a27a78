// Every place at a glance: the state of each listed entry beside its name, read as cheaply as
// it can be, the catalogue check built on it, and the texts of where the window works.
#include <algorithm>
#include <map>

#include "core/messages.h"
#include "core/random_editor.h"
#include "core/slot_access.h"
#include "platform/encoding.h"
#include "platform/file_io.h"
#include "platform/text.h"

namespace core {
namespace {

using namespace detail;

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

// The states of the entries `indices` of one program file: locally one read of 31 bytes each, on
// the card one download of the file's start up to its last slot for all of them.
std::vector<EntryState> CRandomEditor::readFileStates(const std::string& fileName,
                                                      const std::vector<int>& indices) {
    std::vector<EntryState> states;
    if (!usesCard()) {
        for (const int index : indices) states.push_back(readState(index));
        return states;
    }
    std::size_t count = 0;
    for (const int index : indices)
        if (slotInRange(item(index).slotOffset))
            count =
                std::max(count, static_cast<std::size_t>(item(index).slotOffset) + slotWindowSize);
    std::vector<std::uint8_t> bytes(count);
    const auto path = encodedCardPath(fileName, std::max(count, cardPathCapacity));
    auto& card = cardClient();
    const std::size_t n = count > 0 && path ? card.downloadFile(*path, bytes) : 0;
    std::string_view unread;
    if (!path)
        unread = reasonNameTooLong;
    else if (count > 0 && card.lastReply().failure != transfer::HttpFailure::none)
        unread = reasonCardUnread;
    else if (count > 0 && card.lastStatus() == 404)
        unread = reasonFileMissing;
    else if (count > 0 && card.lastStatus() != 200)
        unread = reasonCardUnread;
    // Only the start was fetched; the length the card declares tells a file that an export could
    // never take whole.
    const auto length = card.lastReply().contentLength;
    const bool tooLarge = unread.empty() && count > 0 && length && *length > programBufferSize;
    for (const int index : indices) {
        const auto& e = item(index);
        if (!slotInRange(e.slotOffset))
            states.push_back({-1, false, std::string(reasonOutsideFile)});
        else if (!unread.empty())
            states.push_back({-1, false, std::string(unread)});
        else
            states.push_back(judgeInFile(e, std::span(bytes).first(n)));
        if (tooLarge && states.back().fits)
            states.back() = {states.back().choice, false, std::string(reasonTooLargeOnCard)};
    }
    return states;
}

std::vector<EntryState> CRandomEditor::readStates() {
    std::vector<EntryState> states(lines_.size());
    // A card that cannot be reached is one reason beside every line, not a box per file.
    cardMessages_.setQuiet(true);
    for (const auto& [fileName, lines] : linesByFile()) {
        std::vector<int> own, indices;
        for (const int line : lines) {
            if (isDuplicate(lines_[line]))
                states[line] = {-1, false, std::string(reasonDuplicate)};
            else if (cardMessages_.failedQuietly())
                states[line] = {-1, false, std::string(reasonCardUnread)};
            else
                own.push_back(line), indices.push_back(lines_[line]);
        }
        const auto read =
            indices.empty() ? std::vector<EntryState>{} : readFileStates(fileName, indices);
        for (std::size_t k = 0; k < own.size(); ++k) states[own[k]] = read[k];
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
    std::vector<int> lines, indices;
    const std::string key = fileKey(file.fileName);
    for (std::size_t line = 0; line < lines_.size(); ++line)
        if (!isDuplicate(lines_[line]) && fileKey(item(lines_[line]).fileName) == key)
            lines.push_back(static_cast<int>(line)), indices.push_back(lines_[line]);
    std::vector<EntryState> states;
    if (usesCard() && file.known) {
        // On the card the file was read whole, and after a write read back: what it holds is
        // known.
        for (const int index : indices) states.push_back(judgeInFile(item(index), file.read));
    } else if (usesCard() && file.exchangeFailed) {
        states.assign(indices.size(), {-1, false, std::string(reasonCardUnread)});
    } else {
        // Read again, quietly: the failure that made this necessary has been told already.
        cardMessages_.setQuiet(true);
        states = readFileStates(file.fileName, indices);
        cardMessages_.setQuiet(false);
    }
    for (std::size_t k = 0; k < lines.size(); ++k)
        owner_->setLineNote(lines[k], stateText(indices[k], states[k]));
}

std::vector<std::string> CRandomEditor::checkCatalogue() {
    std::vector<std::string> reasons;
    for (const auto& state : readStates()) reasons.push_back(state.fits ? "" : state.reason);
    return reasons;
}

std::string CRandomEditor::statusText() const {
    std::string text = executed_ ? "実行を指示しました（" + executedAt_ + "）　" : "";
    text += usesCard() ? "作業場所: FlashAir（" + settings_.cardHost + "）"
            : settings_.programFolder.empty()
                ? std::string("作業場所: まだ決まっていません（設定ボタンから）")
                : "作業場所: " + settings_.programFolder;
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
