#pragma once
// Where the folder menu stands on this machine, for `quillmark-cli shell status` and the tools
// page: the classic handler's keys and approval, the Windows 11 menu's package (registered for
// this user, provisioned for all users, signed or not) and the Windows build.
#include <optional>
#include <string>

namespace qm {

struct ShellStatus {
    bool classicRegistered = false;     // the handler key names the class, whose server is registered
    bool classicApproved = false;       // the class is under Shell Extensions\Approved
    bool packageRegistered = false;     // Ostrel.Quillmark is registered for this user
    std::optional<bool> provisioned;    // for all users; unknown without an administrator's rights
    std::optional<bool> packageSigned;  // of the Quillmark.msix beside the program; none: no package
    unsigned long windowsBuild = 0;
};

// What Windows answers now (the registry, the process token, the package file beside the module).
ShellStatus ReadShellStatus();

// Tests answer for Windows: `answers` replaces ReadShellStatus in CurrentShellStatus until reset
// with nullptr.
using ShellStatusSource = ShellStatus (*)();
void SetShellStatusSource(ShellStatusSource answers);
ShellStatus CurrentShellStatus();

inline constexpr unsigned long kWindows11Build = 22000;

// The Windows 11 menu: on, off for a reason, or not available before Windows 11.
enum class Windows11Menu { On, NotAvailable, NoPackage, Provisioned, Unsigned, NotRegistered };
Windows11Menu Windows11MenuOf(const ShellStatus& status);

// The same in English: "on", "off: <reason>" or "not available"; and the reason alone ("" for On
// and NotAvailable), for the tools page's translated line.
std::wstring Windows11MenuState(const ShellStatus& status);
const char* Windows11MenuReason(Windows11Menu state);

// The tools page's line in the current language: "Windows 11 menu: on", "Windows 11 menu: off:
// <reason>" or "Windows 11 menu: not available".
std::wstring Windows11MenuLine(const ShellStatus& status);

// One line per fact ("name: value\n"), and the same as one JSON object (UTF-8).
std::wstring ShellStatusText(const ShellStatus& status);
std::string ShellStatusJson(const ShellStatus& status);

}  // namespace qm
