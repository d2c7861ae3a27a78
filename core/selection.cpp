// Reading an entry's choice slot (local file or card) and changing the slots of a program file,
// and the selection and export that show and change them.
#include <algorithm>
#include <vector>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "core/slot_access.h"
#include "platform/file_io.h"

namespace core {

namespace detail {

std::optional<std::string> encodedCardPath(std::string_view name, std::size_t capacity) {
    std::vector<char> buffer(capacity);
    if (!transfer::percentEncodePath(name, buffer.data(), buffer.size())) return std::nullopt;
    return std::string(buffer.data());
}

// The UTF-8 name cut at its last separator. The card takes '/' for a folder separator as it
// takes '\\', so the upload names the file the download read.
std::optional<std::pair<std::optional<std::string>, std::string>> cardUploadTarget(
    std::string_view cp932Name) {
    std::vector<char> buffer(cardPathCapacity);
    if (!transfer::toUtf8(cp932Name, buffer.data(), buffer.size())) return std::nullopt;
    std::string utf8(buffer.data());
    const auto cut = utf8.find_last_of("\\/");
    if (cut == std::string::npos) return std::pair{std::optional<std::string>{}, utf8};
    std::string dir = utf8.substr(0, cut);
    std::replace(dir.begin(), dir.end(), '\\', '/');
    return std::pair{std::optional<std::string>{dir}, utf8.substr(cut + 1)};
}

bool slotInRange(std::int32_t offset) {
    return offset >= 0 && static_cast<std::size_t>(offset) + slotSize <= programBufferSize;
}

int offeredChoices(const RandomItem& e) {
    return std::min(e.labelCount, maxShownChoices);
}

}  // namespace detail

namespace {

using namespace detail;

EntryState unreadable(std::string_view reason) {
    return {-1, false, std::string(reason)};
}

}  // namespace

EntryState CRandomEditor::judge(const RandomItem& e, std::span<const std::uint8_t> window) const {
    EntryState s;
    s.choice = window.size() >= slotSize ? decodeChoice(window, offeredChoices(e)) : -1;
    if (window.size() < slotSize)
        s.reason = reasonOutsideFile;
    else if (!isWholeSlot(window.first(slotSize)))
        s.reason = reasonNotWholeSlot;
    else if (s.choice < 0)
        s.reason = reasonBeyondLabels;
    s.fits = s.reason.empty();
    return s;
}

EntryState CRandomEditor::judgeInFile(const RandomItem& e,
                                      std::span<const std::uint8_t> file) const {
    const auto offset = std::min(static_cast<std::size_t>(std::max(e.slotOffset, 0)), file.size());
    return judge(e, file.subspan(offset));
}

EntryState CRandomEditor::readState(int index) {
    if (index < 0 || index >= itemCount()) return {};
    const auto& e = item(index);
    if (!slotInRange(e.slotOffset)) return unreadable(reasonOutsideFile);
    if (usesCard()) return readFileStates(e.fileName, {index}).front();
    const auto path = programPathOf(e).native;
    const auto window =
        path ? platform::readAt(*path, static_cast<std::uint64_t>(e.slotOffset), slotWindowSize)
             : std::nullopt;
    return window ? judge(e, *window) : unreadable(reasonFileMissing);
}

int CRandomEditor::readChoice(int index) {
    return readState(index).choice;
}

CRandomEditor::PreparedFile CRandomEditor::prepareFile(const std::string& fileName,
                                                       const std::vector<SlotTarget>& targets,
                                                       const SlotDecider& decide) {
    PreparedFile file;
    file.fileName = fileName;
    const auto refuseAll = [&](std::string_view reason) {
        for (const auto& t : targets) file.refused.emplace_back(t.entryName, std::string(reason));
        return std::move(file);
    };
    if (usesCard()) {
        const auto path = encodedCardPath(fileName);
        file.cardTarget = cardUploadTarget(fileName);
        if (!path || !file.cardTarget) return refuseAll(reasonNameTooLong);
        file.encodedPath = *path;
        // Anything but the whole file (an error page, a cut file) must never go back to the card.
        auto whole = cardClient().downloadWhole(*path, programBufferSize);
        file.exchangeFailed = !whole.bytes && whole.refusal.empty();
        if (!whole.bytes)
            return refuseAll(whole.refusal.empty() ? reasonCardUnread : whole.refusal);
        file.read = std::move(*whole.bytes);
        file.known = true;
    } else {
        file.localPath = programPathOf(fileName).native;
        auto read = file.localPath ? platform::readPrefix(*file.localPath, programBufferSize)
                                   : std::nullopt;
        if (!read) return refuseAll(reasonFileMissing);
        file.read = std::move(*read);
        file.known = true;
    }
    file.changed = file.read;
    for (const auto& t : targets) {
        const auto offset = static_cast<std::size_t>(t.offset);
        if (!slotInRange(t.offset) || offset + slotSize > file.changed.size()) {
            file.refused.emplace_back(t.entryName, reasonOutsideFile);
            continue;
        }
        // The slot as the file holds it now must be one the editor wrote or could have: a
        // catalogue for other programs, or a file changed since, would have other bytes
        // overwritten.
        const auto slot = std::span(file.changed).subspan(offset, slotSize);
        std::string refusal;
        std::optional<SlotBytes> wanted;
        if (!isWholeSlot(slot))
            refusal = reasonNotWholeSlot;
        else
            wanted = decide(t, slot, refusal);
        if (!refusal.empty()) {
            file.refused.emplace_back(t.entryName, std::move(refusal));
            continue;
        }
        if (!wanted || std::equal(wanted->begin(), wanted->end(), slot.begin())) continue;
        SlotRecord record{fileName, t.offset, t.entryName, {}, *wanted};
        std::copy(slot.begin(), slot.end(), record.before.begin());
        std::copy(wanted->begin(), wanted->end(), slot.begin());
        file.planned.push_back(std::move(record));
    }
    return file;
}

bool CRandomEditor::commitFile(PreparedFile& file, bool afterQuestion) {
    if (file.planned.empty()) return true;
    const auto refusePlanned = [&](std::string_view reason, bool known = false) {
        for (const auto& r : file.planned) file.refused.emplace_back(r.entryName, reason);
        file.planned.clear();
        file.known = known;  // a failed write may have left anything
        return false;
    };
    // Only over the very bytes the slots were checked in: a program changed meanwhile (while a
    // question was open, or by another program) is not written over. Locally the write itself
    // compares them; on the card the file is fetched again after a question.
    if (!file.localPath && afterQuestion) {
        const auto now = cardClient().downloadWhole(file.encodedPath, programBufferSize);
        file.exchangeFailed = !now.bytes && now.refusal.empty();
        if (now.bytes != file.read)
            return refusePlanned(now.bytes             ? reasonChangedMeanwhile
                                 : now.refusal.empty() ? reasonCardUnread
                                                       : std::string_view(now.refusal));
    }
    // The file as it was read goes to the backups first; without that copy nothing is written.
    std::string reason;
    const bool saved = file.localPath
                           ? backups_.saveCopy(origin(), file.fileName, *file.localPath, reason)
                           : backups_.save(origin(), file.fileName, file.read, reason);
    if (!saved)
        return refusePlanned("バックアップを作れないため書き込んでいません（" + reason + "）",
                             true);
    if (file.localPath) {
        std::vector<platform::Patch> patches;
        for (const auto& r : file.planned)
            patches.push_back({static_cast<std::uint64_t>(r.offset), r.after});
        const auto result =
            platform::patchInPlace(*file.localPath, file.read, patches, programBufferSize);
        if (result == platform::PatchResult::changed) return refusePlanned(reasonChangedMeanwhile);
        if (result != platform::PatchResult::written)
            return refusePlanned("ファイルに書き込めませんでした");
    } else if (!cardClient().uploadVerified(file.cardTarget->first, file.cardTarget->second,
                                            file.changed, file.encodedPath)) {
        return refusePlanned("カードに書き込めませんでした");
    }
    file.read = file.changed;
    return true;
}

bool CRandomEditor::writeChoice(int choice) {
    writeRefusal_.clear();
    if (selectedIndex_ < 0 || selectedIndex_ >= itemCount()) return false;
    const auto& e = item(selectedIndex_);
    if (choice < 0 || choice > offeredChoices(e)) return false;
    const SlotBytes slot = encodeChoice(choice, e.sourceKind);
    auto file = prepareFile(e.fileName, {{selectedIndex_, e.slotOffset, e.name}},
                            [&](const SlotTarget&, auto, std::string&) { return slot; });
    const bool written = file.refused.empty() && commitFile(file);
    finishChange(file.planned);
    if (!file.refused.empty()) writeRefusal_ = file.refused.front().second;
    lastWritten_ = std::move(file);
    return written;
}

void CRandomEditor::selectEntry(EditorWindow& window) {
    if (window.selectedLine() < 0) {
        selectedIndex_ = -1;
        return;
    }
    const auto text = window.selectedLineText();
    const int index = findEntryByName(std::string_view(text).substr(0, maxNameBytes));
    if (index < 0) {
        selectedIndex_ = -1;
        return;
    }
    const EntryState state = readState(index);
    const int choice = state.choice;
    const auto& e = item(index);
    for (int k = 1; k <= std::min(e.labelCount, maxShownChoices); ++k)
        window.setControlText(idRadioRandom + k, e.labels[static_cast<std::size_t>(k - 1)]);
    window.setControlText(idFileNameText, e.fileName);
    for (int j = 0; j <= maxShownChoices; ++j) window.setChecked(idRadioRandom + j, j == choice);
    for (int j = 1; j <= maxShownChoices; ++j)
        window.setShown(idRadioRandom + j, j <= e.labelCount);
    // Only a slot that fits is offered for export; the line says why another does not.
    window.setEnabled(idExportButton, choice != -1 && state.fits);
    window.setEnabled(idExecuteButton, settings_.connectType != 0 && choice != -1);
    // A line of a name that stands earlier keeps saying so: it selects that earlier entry.
    const auto line = static_cast<std::size_t>(window.selectedLine());
    if (line < lines_.size() && lines_[line] == index)
        window.setLineNote(window.selectedLine(), stateText(index, state));
    selectedIndex_ = index;
}

void CRandomEditor::exportChoice(int choice) {
    const bool written = writeChoice(choice);
    if (written)
        showMessage(prompts_, msgExportSucceeded);
    else
        showMessage(prompts_, msgExportFailed, writeRefusal_);
    // What the file holds now, read back, beside every entry of that file.
    if (owner_ && owner_->showsStates() && selectedIndex_ >= 0) showStatesOfFile(lastWritten_);
}

}  // namespace core
