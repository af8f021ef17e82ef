#include <windows.h>

#include <optional>

#include "core/base/data_folder_win.h"
#include "core/base/error.h"
#include "core/base/handles_win.h"
#include "core/base/module_path_win.h"
#include "core/base/text_file.h"
#include "core/settings/history_file.h"

namespace qm {

std::wstring HistoryFilePath() { return DataFolder() + L"lib.ini"; }

std::vector<std::wstring> ReadHistoryFile(const std::wstring& path) {
    const std::optional<std::wstring> text = ReadTextFileAnyEncoding(path);
    return text ? SplitLines(*text) : std::vector<std::wstring>{};
}

void WriteHistoryFile(const std::wstring& path, const std::vector<std::wstring>& lines) {
    const std::vector<std::uint8_t> bytes = EncodeHistory(lines);
    CreateFolderPath(FolderOf(path));  // the user's data folder on its first write
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        throw UserError(FormatMessageText(L"Unable to write to %s", path));
    }
}

}  // namespace qm
