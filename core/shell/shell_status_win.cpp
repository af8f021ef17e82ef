#include "core/shell/shell_status_win.h"

#include <windows.h>

#include <vector>

#include "core/base/file_bytes_win.h"
#include "core/base/handles_win.h"
#include "core/base/process_elevation_win.h"
#include "core/base/json_text.h"
#include "core/base/module_path_win.h"
#include "core/settings/language_support.h"
#include "core/shell/registry_win.h"

namespace qm {

namespace {

// The classic handler's class (kFolderMenuClsid of shellext/server_win.h) and its keys.
constexpr const wchar_t* kClassText = L"{4B62A518-E7A8-4CB4-B59D-DED1E7327C60}";
constexpr const wchar_t* kHandlerKey = L"Software\\Classes\\Directory\\shellex\\ContextMenuHandlers\\PelmoContextMenu";
constexpr const wchar_t* kApprovedKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
// Where Windows keeps the packages registered for a user and those provisioned for all users,
// one key per package full name ("Ostrel.Quillmark_3.6.0.0_x64__<publisher id>").
constexpr const wchar_t* kUserPackagesKey =
    L"Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\Repository\\Packages";
constexpr const wchar_t* kProvisionedKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Appx\\AppxAllUserStore\\Applications";
constexpr const wchar_t* kPackagePrefix = L"Ostrel.Quillmark_";

bool ClassicRegisteredIn(HKEY root) {
    return ReadStringValue(root, kHandlerKey, L"") == std::wstring(kClassText) &&
           ReadStringValue(root, std::wstring(L"Software\\Classes\\CLSID\\") + kClassText + L"\\InprocServer32", L"")
               .has_value();
}

bool HasPackageKey(HKEY root, const wchar_t* subKey) {
    const UniqueKey key = OpenKey(root, subKey, KEY_ENUMERATE_SUB_KEYS | KEY_WOW64_64KEY);
    if (!key) return false;
    for (const std::wstring& name : SubkeyNames(key.get())) {
        if (std::wstring_view(name).substr(0, wcslen(kPackagePrefix)) == kPackagePrefix) return true;
    }
    return false;
}

// A signed package holds the part AppxSignature.p7x; its name is stored as written in the zip's
// headers.
std::optional<bool> PackageSigned(const std::wstring& package) {
    UniqueFile file(CreateFileW(package.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    const auto bytes = ReadFileBytes(file.get(), 64u << 20);
    if (!bytes) return std::nullopt;
    static constexpr std::string_view kSignature = "AppxSignature.p7x";
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    return text.find(kSignature) != std::string_view::npos;
}

ShellStatusSource g_source = nullptr;

const wchar_t* YesNo(bool value) { return value ? L"yes" : L"no"; }

}  // namespace

ShellStatus ReadShellStatus() {
    ShellStatus s;
    s.classicRegistered = ClassicRegisteredIn(HKEY_CURRENT_USER) || ClassicRegisteredIn(HKEY_LOCAL_MACHINE);
    s.classicApproved = ReadStringValue(HKEY_LOCAL_MACHINE, kApprovedKey, kClassText).has_value() ||
                        ReadStringValue(HKEY_CURRENT_USER, kApprovedKey, kClassText).has_value();
    s.packageRegistered = HasPackageKey(HKEY_CURRENT_USER, kUserPackagesKey);
    if (ProcessIsElevated()) s.provisioned = HasPackageKey(HKEY_LOCAL_MACHINE, kProvisionedKey);
    s.packageSigned = PackageSigned(ModuleFolder() + L"Quillmark.msix");
    const auto build =
        ReadStringValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", L"CurrentBuildNumber");
    s.windowsBuild = build ? std::wcstoul(build->c_str(), nullptr, 10) : 0;
    return s;
}

void SetShellStatusSource(ShellStatusSource answers) { g_source = answers; }

ShellStatus CurrentShellStatus() { return g_source ? g_source() : ReadShellStatus(); }

Windows11Menu Windows11MenuOf(const ShellStatus& s) {
    if (s.windowsBuild < kWindows11Build) return Windows11Menu::NotAvailable;
    if (s.packageRegistered) return Windows11Menu::On;
    if (!s.packageSigned) return Windows11Menu::NoPackage;
    if (s.provisioned == true) return Windows11Menu::Provisioned;
    if (!*s.packageSigned) return Windows11Menu::Unsigned;
    return Windows11Menu::NotRegistered;
}

const char* Windows11MenuReason(Windows11Menu state) {
    switch (state) {
        case Windows11Menu::NoPackage: return "no package beside the program";
        case Windows11Menu::Provisioned: return "provisioned; appears at the next sign-in";
        case Windows11Menu::Unsigned: return "unsigned build; only an all-users installation registers it";
        case Windows11Menu::NotRegistered: return "package not registered";
        default: return "";
    }
}

std::wstring Windows11MenuState(const ShellStatus& s) {
    const Windows11Menu state = Windows11MenuOf(s);
    if (state == Windows11Menu::On) return L"on";
    if (state == Windows11Menu::NotAvailable) return L"not available";
    const std::string reason = Windows11MenuReason(state);
    return L"off: " + std::wstring(reason.begin(), reason.end());
}

// "Windows 11 menu: on", "Windows 11 menu: off: <reason>" or "Windows 11 menu: not available", in
// the current language.
std::wstring Windows11MenuLine(const ShellStatus& status) {
    switch (const Windows11Menu state = Windows11MenuOf(status)) {
        case Windows11Menu::On: return TranslateText(std::string_view("Windows 11 menu: on"));
        case Windows11Menu::NotAvailable: return TranslateText(std::string_view("Windows 11 menu: not available"));
        default:
            return TranslateText(std::string_view("Windows 11 menu: off")) + L": " +
                   TranslateText(std::string_view(Windows11MenuReason(state)));
    }
}

std::wstring ShellStatusText(const ShellStatus& s) {
    std::wstring text;
    text += L"classic handler: " + std::wstring(s.classicRegistered ? L"registered" : L"not registered") + L"\n";
    text += L"classic approval: " + std::wstring(s.classicApproved ? L"approved" : L"not approved") + L"\n";
    text += L"package for this user: " + std::wstring(s.packageRegistered ? L"registered" : L"not registered") + L"\n";
    text += L"package provisioned: " +
            std::wstring(s.provisioned ? YesNo(*s.provisioned) : L"unknown: needs administrator") + L"\n";
    text += L"package: " +
            std::wstring(!s.packageSigned   ? L"missing"
                         : *s.packageSigned ? L"signed"
                                            : L"unsigned") +
            L"\n";
    text += L"windows build: " + std::to_wstring(s.windowsBuild) + L"\n";
    text += L"windows 11 menu: " + Windows11MenuState(s) + L"\n";
    return text;
}

std::string ShellStatusJson(const ShellStatus& s) {
    auto flag = [](bool v) { return std::string(v ? "true" : "false"); };
    std::string json = "{";
    json += "\"classicRegistered\":" + flag(s.classicRegistered);
    json += ",\"classicApproved\":" + flag(s.classicApproved);
    json += ",\"packageRegistered\":" + flag(s.packageRegistered);
    json += ",\"provisioned\":" + (s.provisioned ? flag(*s.provisioned) : std::string("null"));
    json += ",\"package\":" + std::string(!s.packageSigned   ? "\"missing\""
                                          : *s.packageSigned ? "\"signed\""
                                                             : "\"unsigned\"");
    json += ",\"windowsBuild\":" + std::to_string(s.windowsBuild);
    json += ",\"windows11Menu\":" + JsonString(Windows11MenuState(s));
    json += "}\n";
    return json;
}

}  // namespace qm
