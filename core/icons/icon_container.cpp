#include "core/icons/icon_container.h"

#include <algorithm>
#include <new>
#include <span>

#include "core/base/error.h"
#include "core/icons/byte_writer.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_messages.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_readers.h"

namespace qm {

namespace {

std::wstring LoadMessage(std::wstring_view loader, const std::wstring& fileName, const std::int32_t* index,
                         std::wstring_view failure) {
    std::wstring text = L"TWrenIcoObj.";
    text += loader;
    text += L"\r\n\r\nException in file \"";
    text += fileName;
    text += L"\"";
    if (index) text += L", icon #" + std::to_wstring(*index);
    text += L"\r\n\r\n";
    text += failure;
    return text;
}

}  // namespace

void TWrenIcoObj::Release() {
    Header = {};
    Entries = {};
    for (auto& image : Images) std::vector<std::uint8_t>().swap(image);
    Loaded = false;
}

void TWrenIcoObj::LoadFromFile(const std::wstring& fileName, std::int32_t index, std::uint8_t sourceKind) {
    // Loaded is cleared first, so a load that raises leaves no earlier result standing.
    Release();
    switch (sourceKind) {
        case kSourceIco: Loaded = LoadFromIC(fileName); break;
        case kSourceNe: Loaded = LoadFromNE(fileName, index); break;
        case kSourcePe: Loaded = LoadFromPE(fileName, index); break;
        default: Loaded = false; break;
    }
}

bool TWrenIcoObj::Take(const IconGroupData& group, std::wstring& failure) {
    try {
        Header = group.header;
        const std::size_t count = group.entries.size();
        if (count > kMaxIconImages || count != group.header.Count || count != group.images.size()) {
            failure = kMsgCountTooLarge;
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            Entries[i] = ToDirectoryEntry(group.entries[i]);
            const std::span<const std::uint8_t> image = group.images[i].span();
            Images[i].assign(image.begin(), image.end());
        }
        if (!AssignImageOffsets(std::span(Entries).first(count))) {
            failure = kMsgOutOfMemory;
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        failure = kMsgOutOfMemory;
        return false;
    }
}

bool TWrenIcoObj::LoadFromIC(const std::wstring& fileName) {
    InputFile file;
    if (!OpenForReading(file, fileName)) return false;
    IconGroupData group;
    std::wstring failure;
    if (ReadIcoFile(file.Bytes(), group, failure) && Take(group, failure)) return true;
    ShowIconLoadMessage(LoadMessage(L"LoadFromIC", fileName, nullptr, failure));
    return false;
}

bool TWrenIcoObj::LoadFromNE(const std::wstring& fileName, std::int32_t index) {
    InputFile file;
    std::wstring failure;
    if (!OpenForReading(file, fileName)) {
        failure = LastOpenErrorText();
    } else {
        NeIconIndex ne;
        switch (IndexNeIcons(file.Bytes(), ne)) {
            case NeIndexResult::kNotIconLibrary: return false;
            case NeIndexResult::kReadFailed: failure = kMsgReadBeyondEnd; break;
            case NeIndexResult::kOk: {
                // A negative index, like one past the last group, names no icon.
                if (index < 0 || static_cast<std::uint32_t>(index) >= ne.groupCount) return false;
                IconGroupData group;
                if (ReadNeGroup(file.Bytes(), ne, static_cast<std::uint32_t>(index), group, failure) &&
                    Take(group, failure)) {
                    return true;
                }
                break;
            }
        }
    }
    ShowIconLoadMessage(LoadMessage(L"LoadFromNE", fileName, &index, failure));
    return false;
}

bool TWrenIcoObj::LoadFromPE(const std::wstring& fileName, std::int32_t index) {
    InputFile file;
    PeIconIndex pe;
    if (!OpenForReading(file, fileName) || !IndexPeIcons(file.Bytes(), pe)) {
        throw UserError(std::wstring(kMsgFailedLoadingModule));
    }
    // The platform's enumeration counts down from the index: a negative index selects the first group.
    const std::size_t group = index < 0 ? 0 : static_cast<std::size_t>(index);
    IconGroupData data;
    std::wstring failure;
    if (ReadPeGroup(file.Bytes(), pe, group, data, failure) && Take(data, failure)) return true;
    ShowIconLoadMessage(LoadMessage(L"LoadFromPE", fileName, &index, failure));
    return false;
}

std::vector<std::uint8_t> TWrenIcoObj::IcoBytes() const {
    const std::size_t count = std::min<std::size_t>(Header.Count, kMaxIconImages);
    std::vector<std::uint8_t> out;
    ByteWriter w(out);
    AppendHeader(w, Header);
    for (std::size_t i = 0; i < count; ++i) AppendDirectoryEntry(w, Entries[i]);
    for (std::size_t i = 0; i < count; ++i) w.Bytes(Images[i]);
    return out;
}

bool TWrenIcoObj::SaveToFile(const std::wstring& fileName) const {
    const std::vector<std::uint8_t> bytes = IcoBytes();
    WriteNewFile(fileName, bytes);
    return true;
}

}  // namespace qm
