// Reading and writing an entry's choice slot (local file or card), and the selection and
// export that show and change it.
#include <algorithm>
#include <vector>

#include "core/choice_slot.h"
#include "core/messages.h"
#include "core/random_editor.h"
#include "platform/file_io.h"

namespace core {
namespace {

// Card paths are percent-encoded into fixed buffers; a longer path is refused, never cut.
constexpr std::size_t cardPathCapacity = 256;

std::optional<std::string> encodedCardPath(std::string_view name, std::size_t capacity) {
    std::vector<char> buffer(capacity);
    if (!transfer::percentEncodePath(name, buffer.data(), buffer.size())) return std::nullopt;
    return std::string(buffer.data());
}

// Directory and name of a card file: the UTF-8 name cut at its last separator. The card takes
// '/' for a folder separator as it takes '\\', so the upload names the file the download read.
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

// Choices the window can show: a 15th label has no radio button, so it is never offered.
int offeredChoices(const RandomItem& e) {
    return std::min(e.labelCount, maxShownChoices);
}

// Only a slot that lies wholly in the part of a program a write handles is editable: a slot
// written in part would leave a broken element in the program.
bool slotInRange(const RandomItem& e) {
    return e.slotOffset >= 0 &&
           static_cast<std::size_t>(e.slotOffset) + slotSize <= programBufferSize;
}

}  // namespace

int CRandomEditor::readChoice(int index) {
    if (index < 0 || index >= itemCount()) return -1;
    const auto& e = item(index);
    if (!slotInRange(e)) return -1;
    if (usesCard()) return readChoiceFromCard(e);
    const auto path = programPathOf(e).native;
    if (!path) return -1;
    const auto window =
        platform::readAt(*path, static_cast<std::uint64_t>(e.slotOffset), slotWindowSize);
    return window && window->size() >= slotSize ? decodeChoice(*window, offeredChoices(e)) : -1;
}

int CRandomEditor::readChoiceFromCard(const RandomItem& e) {
    const std::size_t count = static_cast<std::size_t>(e.slotOffset) + slotWindowSize;
    const auto path = encodedCardPath(e.fileName, count);
    if (!path) return -1;
    std::vector<std::uint8_t> buffer(count);
    const auto n = cardClient().downloadFile(*path, buffer);
    if (n < static_cast<std::size_t>(e.slotOffset) + slotSize) return -1;
    return decodeChoice(std::span(buffer).subspan(e.slotOffset, n - e.slotOffset),
                        offeredChoices(e));
}

bool CRandomEditor::refuseWrite(std::string reason) {
    writeRefusal_ = std::move(reason);
    return false;
}

bool CRandomEditor::writeChoice(int choice) {
    writeRefusal_.clear();
    if (selectedIndex_ < 0 || selectedIndex_ >= itemCount()) return false;
    const auto& e = item(selectedIndex_);
    if (choice < 0 || choice > offeredChoices(e)) return false;
    if (!slotInRange(e)) return refuseWrite(std::string(reasonOutsideFile));
    if (usesCard()) return writeChoiceToCard(e, choice);
    const auto path = programPathOf(e).native;
    if (!path) return refuseWrite(std::string(reasonFileMissing));
    const auto offset = static_cast<std::uint64_t>(e.slotOffset);
    // The slot as it is now must be one the editor wrote or could have: a catalogue for other
    // programs, or a file changed since, would have other bytes overwritten.
    const auto present = platform::readAt(*path, offset, slotSize);
    if (!present) return refuseWrite(std::string(reasonFileMissing));
    if (present->size() != slotSize) return refuseWrite(std::string(reasonOutsideFile));
    if (!isWholeSlot(*present)) return refuseWrite(std::string(reasonNotWholeSlot));
    const auto slot = encodeChoice(choice, e.sourceKind);
    std::size_t written = 0;
    return platform::patchInPlace(*path, offset, slot, programBufferSize, &written) &&
           written == slotSize;
}

bool CRandomEditor::writeChoiceToCard(const RandomItem& e, int choice) {
    const auto path = encodedCardPath(e.fileName, cardPathCapacity);
    const auto target = cardUploadTarget(e.fileName);
    if (!path || !target) return false;
    auto& card = cardClient();
    // Anything but the whole file (an error page, a cut file) must never go back to the card.
    auto file = card.downloadWhole(*path, programBufferSize);
    if (!file.bytes) return refuseWrite(std::move(file.refusal));
    auto& bytes = *file.bytes;
    const auto offset = static_cast<std::size_t>(e.slotOffset);
    if (offset + slotSize > bytes.size()) return refuseWrite(std::string(reasonOutsideFile));
    if (!isWholeSlot(std::span(bytes).subspan(offset, slotSize)))
        return refuseWrite(std::string(reasonNotWholeSlot));
    const auto slot = encodeChoice(choice, e.sourceKind);
    std::copy(slot.begin(), slot.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return card.uploadVerified(target->first, target->second, bytes);
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
    const int choice = readChoice(index);
    const auto& e = item(index);
    for (int k = 1; k <= std::min(e.labelCount, maxShownChoices); ++k)
        window.setControlText(idRadioRandom + k, e.labels[static_cast<std::size_t>(k - 1)]);
    window.setControlText(idFileNameText, e.fileName);
    for (int j = 0; j <= maxShownChoices; ++j) window.setChecked(idRadioRandom + j, j == choice);
    for (int j = 1; j <= maxShownChoices; ++j)
        window.setShown(idRadioRandom + j, j <= e.labelCount);
    window.setEnabled(idExportButton, choice != -1);
    window.setEnabled(idExecuteButton, settings_.connectType != 0 && choice != -1);
    selectedIndex_ = index;
}

void CRandomEditor::exportChoice(int choice) {
    if (writeChoice(choice))
        showMessage(prompts_, msgExportSucceeded);
    else
        showMessage(prompts_, msgExportFailed, writeRefusal_);
}

}  // namespace core
