#include "core/settings/ini_file_win.h"

#include <windows.h>

#include "core/base/error.h"
#include "core/base/handles_win.h"

namespace qm {

std::wstring IniFile::ReadString(std::wstring_view section, std::wstring_view key, std::wstring_view def) const {
    const std::wstring s(section), k(key), d(def);
    std::wstring buf(kMaxValueLength + 1, L'\0');
    const DWORD n = GetPrivateProfileStringW(s.c_str(), k.c_str(), d.c_str(), buf.data(),
                                             static_cast<DWORD>(buf.size()), path_.c_str());
    buf.resize(n);
    return buf;
}

bool CreateUtf16IniFile(const std::wstring& path) {
    UniqueFile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f) return false;
    static const unsigned char bom[2] = {0xFF, 0xFE};
    DWORD written = 0;
    return WriteFile(f.get(), bom, sizeof bom, &written, nullptr) && written == sizeof bom;
}

void IniFile::RaiseWriteError() const {
    throw UserError(FormatMessageText(L"Unable to write to %s", path_));
}

void IniFile::WriteString(std::wstring_view section, std::wstring_view key, std::wstring_view value) const {
    if (path_.empty()) RaiseWriteError();
    if (GetFileAttributesW(path_.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateUtf16IniFile(path_) &&
        GetLastError() != ERROR_FILE_EXISTS)
        RaiseWriteError();
    const std::wstring s(section), k(key), v(value);
    if (!WritePrivateProfileStringW(s.c_str(), k.c_str(), v.c_str(), path_.c_str())) RaiseWriteError();
}

}  // namespace qm
