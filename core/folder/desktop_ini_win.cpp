#include "core/folder/desktop_ini_win.h"

#include "core/base/long_path_win.h"
#include "core/folder/folder_customization.h"
#include "core/folder/folder_files_win.h"

namespace qm {

namespace {
// No stored value can hold this control character, so it tells a missing key from an empty one.
constexpr const wchar_t* kAbsent = L"\x01";
}  // namespace

// Written through the layer's own access: a write the medium refuses half-way (a full disk) puts
// the file's bytes back, and every line the engine does not change stays byte for byte (in an
// encoding the platform reads).
DesktopIni::DesktopIni(const std::wstring& folder) : ini_(DesktopIniPathOf(folder), IniAccess::OwnInPlatformEncoding) {}

DWORD DesktopIni::Attributes() const { return GetFileAttributesW(LongPathForm(Path()).c_str()); }

bool DesktopIni::Exists() const { return IsExistingPath(Path()); }

bool DesktopIni::PassesWriteTest(DWORD attributes) const {
    if (!Exists()) return true;
    return SetAttributes(Path(), attributes);
}

bool DesktopIni::HasKey(const wchar_t* key) const { return ini_.ReadString(kShellClassInfo, key, kAbsent) != kAbsent; }

std::wstring DesktopIni::Read(const wchar_t* key) const { return ini_.ReadString(kShellClassInfo, key, L""); }

void DesktopIni::Write(const wchar_t* key, const std::wstring& value) const {
    ini_.WriteString(kShellClassInfo, key, value);
}

void DesktopIni::RewriteInPlatformEncoding() const { ini_.RewriteInPlatformEncoding(); }

}  // namespace qm
