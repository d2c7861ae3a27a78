// Changes beyond a single export: every place back to random in one step, and the last change
// undone. Both write through the same checked path as an export (a whole slot only, a backup
// first, read back on the card), one write per program file.
#include <algorithm>

#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/encoding.h"

namespace core {
namespace {

std::string count(std::size_t n) {
    return std::to_string(n);
}

// "・name: reason" lines under a heading, for the one message that tells the outcome.
std::string listed(std::string_view heading,
                   const std::vector<std::pair<std::string, std::string>>& entries) {
    if (entries.empty()) return {};
    std::string text(heading);
    for (const auto& [name, reason] : entries)
        text += "\n・" + platform::cp932ToUtf8Lossy(name) +
                (reason.empty() ? "" : "（" + reason + "）");
    return text;
}

}  // namespace

ChangeOrigin CRandomEditor::origin() const {
    return usesCard() ? ChangeOrigin{true, settings_.cardHost}
                      : ChangeOrigin{false, settings_.programFolder};
}

void CRandomEditor::finishChange(const std::vector<SlotRecord>& written) {
    if (!written.empty()) {
        const bool recorded = backups_.recordLastChange({origin(), BackupStore::now(), written});
        // An older record must not stay: undo would put back a change made before this one.
        if (!recorded) backups_.forgetLastChange();
        if (owner_) owner_->setEnabled(idUndoButton, recorded);
    }
    backups_.endChange();
}

// Prepares one more file of a change; once the card was not reached, the files left are not
// tried (one message 119, not one per file).
void CRandomEditor::prepareNext(std::vector<PreparedFile>& files, const std::string& fileName,
                                const std::vector<SlotTarget>& targets, const SlotDecider& decide) {
    if (files.empty() || !files.back().exchangeFailed) {
        files.push_back(prepareFile(fileName, targets, decide));
        return;
    }
    PreparedFile& skipped = files.emplace_back();
    skipped.fileName = fileName;
    skipped.exchangeFailed = true;
    for (const auto& t : targets) skipped.refused.emplace_back(t.entryName, reasonCardUnread);
}

// Writes the prepared files after the user said Yes, one write each, and shows what they hold
// now; the slots written, for the record of the change.
std::vector<SlotRecord> CRandomEditor::commitAll(
    std::vector<PreparedFile>& files, std::vector<std::pair<std::string, std::string>>& refused,
    bool* failed) {
    std::vector<SlotRecord> written;
    bool cardGone = false;
    for (auto& file : files) {
        const bool toWrite = !file.planned.empty();
        if (cardGone) {
            for (const auto& r : file.planned)
                file.refused.emplace_back(r.entryName, reasonCardUnread);
            file.planned.clear();
            file.exchangeFailed = true;
        } else {
            commitFile(file, true);
            cardGone = file.exchangeFailed;
        }
        if (failed && toWrite && file.planned.empty()) *failed = true;
        written.insert(written.end(), file.planned.begin(), file.planned.end());
        refused.insert(refused.end(), file.refused.begin(), file.refused.end());
        if (owner_ && owner_->showsStates()) showStatesOfFile(file);
    }
    // The choices on show follow what the file holds now (quietly: a failure was told).
    if (owner_ && selectedIndex_ >= 0) {
        cardMessages_.setQuiet(true);
        selectEntry(*owner_);
        cardMessages_.setQuiet(false);
    }
    return written;
}

bool CRandomEditor::resetAll() {
    std::vector<PreparedFile> files;
    std::vector<std::pair<std::string, std::string>> refused;
    std::size_t planned = 0;
    for (const auto& [fileName, lines] : linesByFile()) {
        std::vector<SlotTarget> targets;
        for (const int line : lines) {
            const int index = lines_[line];
            if (isDuplicate(index))
                refused.emplace_back(item(index).name, reasonDuplicate);
            else
                targets.push_back({index, item(index).slotOffset, item(index).name});
        }
        if (targets.empty()) continue;
        // A constant becomes the random read of the entry's own source; a random read stays.
        // A constant the entry has no label for says the catalogue may not fit: left alone.
        prepareNext(files, fileName, targets,
                    [this](const SlotTarget& t, std::span<const std::uint8_t> slot,
                           std::string& refusal) -> std::optional<SlotBytes> {
                        const auto state = judge(item(t.index), slot);
                        if (!state.fits) refusal = state.reason;
                        if (!state.fits || state.choice == 0) return std::nullopt;
                        return encodeChoice(0, item(t.index).sourceKind);
                    });
        planned += files.back().planned.size();
    }
    if (planned == 0 && refused.empty() &&
        std::all_of(files.begin(), files.end(), [](const auto& f) { return f.refused.empty(); })) {
        showMessage(prompts_, msgResetNothing);
        return true;
    }
    if (planned > 0 && !prompts_.askYesNo(msgResetAsk, prompts_.messageText(msgResetAsk)))
        return false;
    const auto written = commitAll(files, refused);
    finishChange(written);
    showMessage(prompts_, msgResetDone, count(written.size()),
                listed("戻せなかった場所:", refused));
    return refused.empty();
}

bool CRandomEditor::undoLastChange() {
    const auto last = backups_.lastChange();
    if (!last) {
        showMessage(prompts_, msgUndoNothing);
        return false;
    }
    if (!(last->origin == origin())) {
        showMessage(prompts_, msgUndoNothing,
                    "最後の変更は別の場所（" + last->origin.where + "）でのものです");
        return false;
    }
    // The slots of the change, file by file; each goes back only while it holds what was written.
    std::vector<std::pair<std::string, std::vector<const SlotRecord*>>> byFile;
    for (const SlotRecord& s : last->changed) {
        auto at = std::find_if(byFile.begin(), byFile.end(), [&](const auto& f) {
            return fileKey(f.first) == fileKey(s.fileName);
        });
        if (at == byFile.end()) at = byFile.insert(byFile.end(), {s.fileName, {}});
        at->second.push_back(&s);
    }
    std::vector<PreparedFile> files;
    std::size_t planned = 0;
    for (const auto& file : byFile) {
        const auto& slots = file.second;
        std::vector<SlotTarget> targets;
        for (const SlotRecord* s : slots) targets.push_back({-1, s->offset, s->entryName});
        prepareNext(files, file.first, targets,
                    [&slots](const SlotTarget& t, std::span<const std::uint8_t> slot,
                             std::string& refusal) -> std::optional<SlotBytes> {
                        const SlotRecord& s =
                            **std::find_if(slots.begin(), slots.end(),
                                           [&](auto* r) { return r->offset == t.offset; });
                        if (std::equal(slot.begin(), slot.end(), s.after.begin())) return s.before;
                        refusal = reasonChangedSince;
                        return std::nullopt;
                    });
        planned += files.back().planned.size();
    }
    const std::string when = last->time.substr(4, 2) + "/" + last->time.substr(6, 2) + " " +
                             last->time.substr(9, 2) + ":" + last->time.substr(11, 2);
    if (planned > 0 &&
        !prompts_.askYesNo(msgUndoAsk, applyInsert(prompts_.messageText(msgUndoAsk),
                                                   when + "、" + count(planned) + " か所")))
        return false;
    std::vector<std::pair<std::string, std::string>> left;
    bool failed = false;
    const std::size_t restored = commitAll(files, left, &failed).size();
    backups_.endChange();
    // A failed write can be tried again; otherwise the change is undone as far as it can be.
    if (!failed) backups_.forgetLastChange();
    if (owner_) owner_->setEnabled(idUndoButton, failed);
    showMessage(prompts_, msgUndoDone, count(restored), listed("そのままにした場所:", left));
    return left.empty();
}

}  // namespace core
