#include "tests/support/folder_fixtures_win.h"

#include <shlobj.h>

#include <algorithm>

#include "core/base/module_path_win.h"
#include "core/base/text.h"
#include "core/folder/folder_files_win.h"
#include "core/folder/folder_profiles.h"
#include "core/icons/binary_layouts.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/settings_win.h"
#include "tests/support/files_win.h"
#include "tests/support/icon_fixtures.h"

namespace qmtest {

std::vector<std::wstring> CopiesIn(const std::wstring& folder) {
    std::vector<std::wstring> copies;
    for (const auto& name : ListFolder(folder))
        if (qm::IsCopyNameFor(qm::CallerProfile::MainWindow, name)) copies.push_back(name);
    std::sort(copies.begin(), copies.end());
    return copies;
}

SettingsFileGuard::SettingsFileGuard() : path_(qm::SettingsFilePath()) {
    existed_ = Exists(path_);
    if (existed_) {
        bytes_ = ReadBytes(path_);
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path_.c_str());
    }
}

SettingsFileGuard::~SettingsFileGuard() {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_.c_str());
    if (existed_) WriteBytes(path_, bytes_);
    for (const auto& f : languageFiles_) DeleteFileW(f.c_str());
}

void SettingsFileGuard::SetCopyIco(const std::wstring& value) const { qm::WriteSetting(qm::kCopyIcoSetting, value); }

std::wstring SettingsFileGuard::WriteLanguageFile(const std::wstring& name, const std::wstring& dictLines) {
    const std::wstring folder = qm::ModuleFolder() + L"langs";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring path = folder + L"\\" + name;
    WriteUtf16File(path, L"[info]\r\nNativeName=Test\r\n[Dict]\r\n" + dictLines);
    languageFiles_.push_back(path);
    return path;
}

AttributeRecorder::AttributeRecorder() {
    qm::SetAttributeObserver(
        [this](const std::wstring& path, DWORD attributes) { calls_.emplace_back(path, attributes); });
}

AttributeRecorder::~AttributeRecorder() { qm::SetAttributeObserver(nullptr); }

std::vector<DWORD> AttributeRecorder::For(const std::wstring& path) const {
    std::vector<DWORD> out;
    for (const auto& [p, a] : calls_)
        if (qm::SamePath(p, path)) out.push_back(a);
    return out;
}

FileOperationRecorder::FileOperationRecorder() {
    qm::SetFileOperationObserver([this](const qm::FileOperationRequest& r) { requests_.push_back(r); });
}

FileOperationRecorder::~FileOperationRecorder() { qm::SetFileOperationObserver(nullptr); }

FolderMessageCapture::FolderMessageCapture() {
    qm::SetFolderMessageSink([this](const qm::FolderMessage& m) { messages_.push_back(m); });
}

FolderMessageCapture::~FolderMessageCapture() { qm::SetFolderMessageSink(nullptr); }

std::vector<std::uint8_t> UnmappablePeFile() {
    using namespace qm;
    std::vector<std::uint8_t> b(dos_header::kSize + 0x40, 0);
    qmtest::Put16(b, dos_header::kMagic, dos_header::kSignature);
    // Relocation table past the DOS header: a new header exists, right behind it.
    qmtest::Put16(b, dos_header::kRelocationTable, dos_header::kNewHeaderRelocationTable);
    qmtest::Put16(b, dos_header::kNewHeader, dos_header::kSize);
    qmtest::Put32(b, dos_header::kSize + pe_header::kSignature, pe_header::kSignatureValue);
    return b;  // COFF and optional headers all zero: no module the loader would map
}

std::vector<std::wstring> SectionLines(const std::wstring& iniText, const std::wstring& section) {
    std::vector<std::wstring> lines;
    bool inside = false;
    std::size_t pos = 0;
    const std::wstring header = L"[" + qm::UpperAscii(section) + L"]";
    while (pos <= iniText.size()) {
        std::size_t end = iniText.find_first_of(L"\r\n", pos);
        if (end == std::wstring::npos) end = iniText.size();
        const std::wstring line = iniText.substr(pos, end - pos);
        if (!line.empty() && line[0] == L'[') {
            inside = qm::UpperAscii(line) == header;
        } else if (inside && !line.empty()) {
            lines.push_back(line);
        }
        if (end == iniText.size()) break;
        pos = end + 1;
    }
    return lines;
}

std::vector<std::wstring> ShellClassInfoLines(const std::wstring& folder) {
    return SectionLines(ReadTextFile(qm::DesktopIniPathOf(folder)), L".ShellClassInfo");
}

std::wstring FolderOfLength(const std::wstring& base, std::size_t length) {
    std::wstring path = base;
    while (path.size() + 1 < length) {
        const std::size_t part = std::min<std::size_t>(100, length - path.size() - 1);
        path += L"\\" + std::wstring(part, L'p');
        CreateDirectoryW(Prefixed(path).c_str(), nullptr);
    }
    return path;
}

std::wstring Prefixed(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0) return path;
    return L"\\\\?\\" + path;
}

std::vector<ShellEvent> NotificationPairs(const std::wstring& folder, int count) {
    std::vector<ShellEvent> out;
    for (int i = 0; i < count; ++i) {
        out.push_back({SHCNE_ATTRIBUTES, folder});
        out.push_back({SHCNE_UPDATEITEM, qm::DesktopIniPathOf(folder)});
    }
    return out;
}

bool SameEvents(const std::vector<ShellEvent>& a, const std::vector<ShellEvent>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ShellEvent& x, const ShellEvent& y) {
        return x.event == y.event && qm::SamePath(x.path, y.path);
    });
}

std::string DescribeEvents(const std::vector<ShellEvent>& events) {
    std::string s;
    for (const auto& e : events) s += std::to_string(e.event) + ":" + qm::WideToUtf8(e.path) + " ";
    return s;
}

}  // namespace qmtest
