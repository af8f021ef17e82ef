// A library that links the settings code as the extension does, so a test can check that a
// module other than the executable finds "quillmark.ini" (and the picker's "lib.ini") where its own
// folder's rule puts them: next to its file, or in the user's data folder when that is read-only.
#include <windows.h>

#include <cwchar>

#include "core/base/error.h"
#include "core/base/module_path_win.h"
#include "core/settings/history_file.h"
#include "core/settings/settings_win.h"

namespace {
const qm::SettingKey* KeyOf(int which) {
    switch (which) {
        case 0: return &qm::kCurLangSetting;
        case 1: return &qm::kCopyIcoSetting;
        case 2: return &qm::kToolbarNameSetting;
        case 3: return &qm::kThemeNameSetting;
        default: return nullptr;
    }
}
void CopyOut(const std::wstring& s, wchar_t* out, int cap) {
    if (cap <= 0) return;
    std::wcsncpy(out, s.c_str(), static_cast<std::size_t>(cap) - 1);
    out[cap - 1] = L'\0';
}
}  // namespace

extern "C" __declspec(dllexport) int QmProbeReadSetting(int which, wchar_t* out, int cap) {
    const auto* key = KeyOf(which);
    if (!key) return 0;
    CopyOut(qm::ReadSetting(*key), out, cap);
    return 1;
}

extern "C" __declspec(dllexport) int QmProbeWriteSetting(int which, const wchar_t* value, wchar_t* error, int cap) {
    const auto* key = KeyOf(which);
    if (!key) return 0;
    try {
        qm::WriteSetting(*key, value);
        return 1;
    } catch (const qm::UserError& e) {
        CopyOut(e.text(), error, cap);
        return 0;
    }
}

extern "C" __declspec(dllexport) void QmProbeSettingsPath(wchar_t* out, int cap) {
    CopyOut(qm::SettingsFilePath(), out, cap);
}

extern "C" __declspec(dllexport) void QmProbeHistoryPath(wchar_t* out, int cap) {
    CopyOut(qm::HistoryFilePath(), out, cap);
}

// Writes the history as the picker does: one line per entry.
extern "C" __declspec(dllexport) int QmProbeWriteHistory(const wchar_t* line, wchar_t* error, int cap) {
    try {
        qm::WriteHistoryFile(qm::HistoryFilePath(), {line});
        return 1;
    } catch (const qm::UserError& e) {
        CopyOut(e.text(), error, cap);
        return 0;
    }
}

// The first line of the history, or empty.
extern "C" __declspec(dllexport) void QmProbeReadHistory(wchar_t* out, int cap) {
    const std::vector<std::wstring> lines = qm::ReadHistoryFile(qm::HistoryFilePath());
    CopyOut(lines.empty() ? std::wstring() : lines.front(), out, cap);
}
