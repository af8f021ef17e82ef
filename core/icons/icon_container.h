#pragma once
// TWrenIcoObj: holds one icon read from an .ico file, an NE icon library or a PE module, and
// writes it out as a standalone .ico file. Usage: construct, LoadFromFile, SaveToFile only if
// Loaded, destroy. Loader messages go through ShowIconLoadMessage (core/icons/icon_messages.h).
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/icons/icon_records.h"

namespace qm {

struct IconGroupData;

class TWrenIcoObj {
public:
    TWrenIcoObj() = default;
    TWrenIcoObj(const TWrenIcoObj&) = delete;
    TWrenIcoObj& operator=(const TWrenIcoObj&) = delete;

    // Releases the images held, then loads with the loader of sourceKind (0 .ico, whole file;
    // 1 NE, 2 PE: icon `index` from 0) and stores the result in Loaded. Other kinds load nothing.
    // A PE file that cannot be mapped raises UserError "Failed loading EXE/DLL".
    void LoadFromFile(const std::wstring& fileName, std::int32_t index, std::uint8_t sourceKind);

    // Writes the icon as an .ico file. Raises UserError with the platform's text if the file
    // cannot be created or written (a partial file is deleted). Returns true when written.
    bool SaveToFile(const std::wstring& fileName) const;

    // The .ico bytes SaveToFile writes.
    std::vector<std::uint8_t> IcoBytes() const;

    IconHeader Header;
    std::array<IconDirectoryEntry, kMaxIconImages> Entries{};
    std::array<std::vector<std::uint8_t>, kMaxIconImages> Images;
    bool Loaded = false;

private:
    void Release();
    bool LoadFromIC(const std::wstring& fileName);
    bool LoadFromNE(const std::wstring& fileName, std::int32_t index);
    bool LoadFromPE(const std::wstring& fileName, std::int32_t index);
    bool Take(const IconGroupData& group, std::wstring& failure);
};

inline constexpr std::wstring_view kMsgFailedLoadingModule = L"Failed loading EXE/DLL";

}  // namespace qm
