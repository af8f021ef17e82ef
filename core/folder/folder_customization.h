#pragma once
// One folder's customization as the shell reads it from the folder's desktop.ini, the attributes
// each caller sets, and the names of the icon copies placed inside customized folders.
#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

struct FolderCustomization {
    std::wstring Folder;     // the folder's path as chosen
    std::wstring IconFile;   // icon source path (link mode) or bare copy name (copy mode)
    std::wstring IconIndex;  // decimal text; empty when no icon is chosen
    std::wstring Infotip;
};

inline constexpr const wchar_t* kShellClassInfo = L".ShellClassInfo";
inline constexpr const wchar_t* kIconFileKey = L"IconFile";
inline constexpr const wchar_t* kIconIndexKey = L"IconIndex";
inline constexpr const wchar_t* kInfotipKey = L"Infotip";
inline constexpr const wchar_t* kConfirmFileOpKey = L"ConfirmFileOp";
inline constexpr const wchar_t* kIconResourceKey = L"IconResource";
inline constexpr const wchar_t* kDesktopIniName = L"desktop.ini";

// Platform attribute values (winnt.h), kept here so the portable code can name them.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrNormal = 0x80;

// Who changes the folder: the behaviour differs per caller in the attributes, the copy-name
// rule and the messages.
enum class CallerProfile { MainWindow, CustomIconWindow, Extension };

struct AttributeProfile {
    std::uint32_t desktopIniBeforeWrite;  // write test, only when desktop.ini exists
    std::uint32_t folderAfterApply;
    std::uint32_t desktopIniAfterApply;
    std::uint32_t copyAfterWrite;
    std::uint32_t folderAfterReset;
    std::uint32_t oldCopyBeforeDelete;
};

const AttributeProfile& AttributesFor(CallerProfile profile);

// Path of the folder's desktop.ini: the folder's path, a backslash (not doubled), "desktop.ini".
std::wstring DesktopIniPathOf(std::wstring_view folder);

// The folder with exactly one trailing backslash.
std::wstring WithTrailingBackslash(std::wstring_view folder);

// Icon copies: "OstrelQuillmark3_" + two numbers below 20000 + ".ico".
inline constexpr std::wstring_view kCopyNamePrefix = L"OstrelQuillmark3_";
std::wstring MakeCopyName(std::uint32_t first, std::uint32_t second);

// The program removes every .ico whose upper-cased name starts with "OSTRELQUILLMARK";
// the extension only those longer than 16 characters that start with "OSTRELQUILLMARK3".
bool IsCopyNameFor(CallerProfile profile, std::wstring_view fileName);

// Pseudo-random source of copy names. Each deliverable seeds it once per process.
class CopyNameGenerator {
public:
    void Seed(std::uint64_t seed) {
        state_ = seed ? seed : 0x9E3779B97F4A7C15ull;
        seeded_ = true;
    }
    bool Seeded() const { return seeded_; }
    std::uint32_t NextNumber();  // 0 .. 19999
    std::wstring NextName();

private:
    std::uint64_t state_ = 0x9E3779B97F4A7C15ull;
    bool seeded_ = false;
};

// The process-wide generator that the apply uses.
CopyNameGenerator& CopyNames();

}  // namespace qm
