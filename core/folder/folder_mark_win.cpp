#include "core/folder/folder_mark_win.h"

#include <windows.h>

#include <shellapi.h>

#include <string_view>

#include "core/base/error.h"
#include "core/base/long_path_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/icon_file.h"
#include "core/icons/marked_icon_win.h"
#include "core/settings/ini_file_win.h"
#include "core/shell/icon_module_win.h"

namespace qm {
namespace {

constexpr wchar_t kShellSection[] = L".ShellClassInfo";
// The base copy's name while the mark stands: no copy name rule matches it.
constexpr std::wstring_view kBasePrefix = L"base-";
// Hex digits of desktop.ini's bytes a key holds (under the INI layer's longest value).
constexpr std::size_t kHexPerKey = 2000;

std::wstring IniPath(const std::wstring& folder) { return WithTrailingBackslash(folder) + L"desktop.ini"; }

std::wstring Read(const IniFile& ini, std::wstring_view key) { return ini.ReadString(kMarkSection, key, L""); }

std::wstring Hex(const std::uint8_t* bytes, std::size_t n) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring out;
    for (std::size_t i = 0; i < n; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
    return out;
}

bool Unhex(std::wstring_view text, std::vector<std::uint8_t>& out) {
    if (text.size() % 2) return false;
    const auto digit = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10 : -1;
    };
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int hi = digit(text[i]), lo = digit(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    return true;
}

// "path,index" as IconResource holds it; the index after the last comma.
ShownIcon SplitResource(const std::wstring& value) {
    const std::size_t comma = value.rfind(L',');
    if (comma == std::wstring::npos) return {value, 0};
    const auto index = ParseIconIndex(std::wstring_view(value).substr(comma + 1));
    return {value.substr(0, comma), index ? *index : 0};
}

std::wstring Expanded(const std::wstring& path) {
    const DWORD n = ExpandEnvironmentStringsW(path.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::wstring out(n, L'\0');
    if (ExpandEnvironmentStringsW(path.c_str(), out.data(), n) == 0) return path;
    out.resize(n - 1);
    return out;
}

ShownIcon StockFolderIcon() {
    SHSTOCKICONINFO info{};
    info.cbSize = sizeof info;
    if (FAILED(SHGetStockIconInfo(SIID_FOLDER, SHGSI_ICONLOCATION, &info))) return {};
    return {IconGroupsFileOf(info.szPath), info.iIcon};
}

}  // namespace

bool IsFolderMarked(const std::wstring& folder) { return Read(IniFile(IniPath(folder)), L"Marked") == L"1"; }

ShownIcon ShownIconOf(const std::wstring& folder) {
    const IniFile ini(IniPath(folder));
    if (Read(ini, L"Marked") == L"1") {
        const auto index = ParseIconIndex(Read(ini, L"BaseIndex"));
        return {Read(ini, L"BaseFile"), index ? *index : 0};
    }
    ShownIcon shown;
    const std::wstring resource = ini.ReadString(kShellSection, L"IconResource", L"");
    if (!resource.empty()) {
        shown = SplitResource(resource);
    } else {
        const FolderCustomization c = ReadFolderCustomization(folder);
        if (c.IconFile.empty()) return StockFolderIcon();
        const auto index = ParseIconIndex(c.IconIndex);
        shown = {c.IconFile, index ? *index : 0};
    }
    shown.file = IconGroupsFileOf(ResolveInFolder(folder, Expanded(shown.file)));
    return shown;
}

bool MarkFolder(const std::wstring& folder, const std::vector<IconPixels>& emblem, CallerProfile caller) {
    const std::wstring iniPath = IniPath(folder);
    const IniFile ini(iniPath);
    const bool remark = IsFolderMarked(folder);
    ShownIcon base = ShownIconOf(folder);
    if (base.file.empty()) throw UserError(L"The folder shows no icon that can be marked");

    // What the clear puts back, taken before anything changes (a re-mark keeps the first record).
    std::vector<std::wstring> before;
    DWORD iniAttributes = 0;
    const DWORD folderAttributes = GetFileAttributesW(LongPathForm(folder).c_str());
    InputFile original;
    const bool existed = !remark && OpenForReading(original, iniPath);
    if (existed) {
        const ByteView bytes = original.Bytes();
        if (bytes.size() > kMaxMarkedDesktopIniBytes)
            throw UserError(FormatMessageText(L"Cannot mark %s: its desktop.ini is too large", folder));
        for (std::size_t at = 0; at < bytes.size(); at += kHexPerKey / 2)
            before.push_back(Hex(bytes.data() + at, std::min(kHexPerKey / 2, bytes.size() - at)));
        iniAttributes = GetFileAttributesW(LongPathForm(iniPath).c_str());
        original.Close();  // the apply below rewrites the file
    }

    // The picture is drawn before anything is written: a base that cannot be read ends here.
    const std::vector<std::uint8_t> ico = MakeMarkedIcon(IconSourceImages(base.file, base.index), emblem);

    // A Quillmark copy the folder shows is the base: the apply's copy removal would take it.
    std::wstring baseCopy;
    const std::wstring prefix = WithTrailingBackslash(folder);
    const FolderCustomization current = ReadFolderCustomization(folder);
    const std::wstring& shownFile = current.IconFile;
    if (!remark && IsBareFileName(shownFile) && SamePath(ResolveInFolder(folder, shownFile), base.file) &&
        (IsCopyNameFor(CallerProfile::MainWindow, shownFile) || IsCopyNameFor(CallerProfile::Extension, shownFile))) {
        baseCopy = shownFile;
        const std::wstring kept = prefix + std::wstring(kBasePrefix) + baseCopy;
        if (!MoveFileW(LongPathForm(base.file).c_str(), LongPathForm(kept).c_str()))
            throw UserError(FormatMessageText(L"Unable to write to %s", base.file));
        base.file = kept;
    }

    const FolderCustomization record = current;
    bool applied = false;
    try {
        applied = ApplyMadeIconToFolder(record, ico, caller);
    } catch (...) {
        if (!baseCopy.empty()) MoveFileW(LongPathForm(base.file).c_str(), LongPathForm(prefix + baseCopy).c_str());
        throw;
    }
    if (!applied) {
        if (!baseCopy.empty()) MoveFileW(LongPathForm(base.file).c_str(), LongPathForm(prefix + baseCopy).c_str());
        return false;
    }
    if (!remark) {
        ini.WriteString(kMarkSection, L"Marked", L"1");
        ini.WriteString(kMarkSection, L"BaseFile", base.file);
        ini.WriteString(kMarkSection, L"BaseIndex", std::to_wstring(base.index));
        ini.WriteString(kMarkSection, L"BaseCopy", baseCopy);
        ini.WriteString(kMarkSection, L"Existed", existed ? L"1" : L"0");
        ini.WriteString(kMarkSection, L"IniAttributes", std::to_wstring(iniAttributes));
        ini.WriteString(kMarkSection, L"FolderAttributes", std::to_wstring(folderAttributes));
        ini.WriteString(kMarkSection, L"Parts", std::to_wstring(before.size()));
        for (std::size_t i = 0; i < before.size(); ++i)
            ini.WriteString(kMarkSection, L"Part" + std::to_wstring(i), before[i]);
    }
    return true;
}

bool ClearFolderMark(const std::wstring& folder) {
    const std::wstring iniPath = IniPath(folder);
    const IniFile ini(iniPath);
    if (Read(ini, L"Marked") != L"1") return false;
    std::vector<std::uint8_t> bytes;
    const auto parts = ParseIconIndex(Read(ini, L"Parts"));
    for (int i = 0; parts && i < *parts; ++i)
        if (!Unhex(Read(ini, L"Part" + std::to_wstring(i)), bytes)) throw UserError(L"The mark's record is damaged");
    const bool existed = Read(ini, L"Existed") == L"1";
    const std::wstring baseCopy = Read(ini, L"BaseCopy");
    const auto iniAttributes = ParseIconIndex(Read(ini, L"IniAttributes"));
    const auto folderAttributes = ParseIconIndex(Read(ini, L"FolderAttributes"));
    const std::wstring prefix = WithTrailingBackslash(folder);

    // The made copy goes, the base copy gets its name back, desktop.ini its bytes.
    const std::wstring made = ReadFolderCustomization(folder).IconFile;
    if (IsBareFileName(made) && IsCopyNameFor(CallerProfile::MainWindow, made)) {
        SetAttributes(prefix + made, FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(LongPathForm(prefix + made).c_str());
    }
    if (!baseCopy.empty())
        MoveFileW(LongPathForm(prefix + std::wstring(kBasePrefix) + baseCopy).c_str(),
                  LongPathForm(prefix + baseCopy).c_str());
    SetAttributes(iniPath, FILE_ATTRIBUTE_NORMAL);
    if (existed) {
        WriteNewFile(iniPath, bytes);
        if (iniAttributes) SetAttributes(iniPath, static_cast<DWORD>(*iniAttributes));
    } else {
        DeleteFileW(LongPathForm(iniPath).c_str());
    }
    if (folderAttributes) SetAttributes(folder, static_cast<DWORD>(*folderAttributes));
    NotifyFolderCustomized(folder);
    return true;
}

}  // namespace qm
