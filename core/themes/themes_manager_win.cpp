#include "core/themes/themes_manager_win.h"

#include "core/base/data_folder_win.h"
#include "core/base/handles_win.h"
#include "core/base/long_path_win.h"
#include "core/base/message_owner_win.h"
#include "core/base/module_path_win.h"
#include "core/settings/language_keys.h"
#include "core/settings/language_support.h"
#include "core/shell/shell_helpers_win.h"
#include "core/themes/theme_files_win.h"
#include "core/themes/theme_names.h"
#include "core/themes/theme_path_win.h"

namespace qm {

namespace {
// Lines of a store message are joined by a line feed, then a carriage return.
constexpr wchar_t kLineBreak[] = L"\n\r";

int Show(const ThemeStore& store, const std::wstring& text, std::string_view caption, UINT buttons) {
    const ThreadMessageOwnerScope owner(store.owner);
    return ShowUserMessage(text, TranslateText(caption), buttons | MB_ICONINFORMATION);
}

void ShowError(const ThemeStore& store, std::string_view text) {
    Show(store, TranslateText(text), texts::kSorryError, MB_OK);
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    auto open = [](const std::wstring& p) {
        return UniqueFile(CreateFileW(p.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    };
    UniqueFile fa = open(a), fb = open(b);
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    if (fa && fb && GetFileInformationByHandle(fa.get(), &ia) && GetFileInformationByHandle(fb.get(), &ib))
        return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
               ia.nFileIndexLow == ib.nFileIndexLow;
    return SameName(FullPath(a), FullPath(b));
}

void CopyIntoStore(const ThemeStore& store, const std::wstring& source, const std::wstring& target) {
    if (!CopyFileSilently(source, target)) ShowError(store, texts::kErrorCopyingTheme);
}

// Copies source to target in the store, asking before an existing theme of that name is replaced
// (the old one goes to the recycle bin first).
void CopyStep(const ThemeStore& store, const std::wstring& source, const std::wstring& target) {
    const std::uint64_t sourceSize = FindFileSize(source);
    const std::uint64_t targetSize = FindFileSize(target);
    // A source that is not there cannot be copied: say so before anything of the store is touched.
    if (!IsExistingFile(source)) {
        ShowError(store, texts::kErrorCopyingTheme);
        return;
    }
    if (!IsExistingPath(target)) {       // a folder of the theme's name is replaced like a theme
        CreateFolderPath(store.folder);  // a store folder that went missing, or the user's on first use
        CopyIntoStore(store, source, target);
        return;
    }
    // The store's own file offered again is already installed; recycling it would lose it.
    if (SameFile(source, target)) return;

    const std::wstring question =
        TranslateText(texts::kThemeWithName) + kLineBreak + std::wstring(WithoutExtension(FileNameOf(source))) +
        kLineBreak +
        TranslateText(sourceSize == targetSize ? texts::kAlreadyExistsSameSize : texts::kAlreadyExistsDifferentSize) +
        kLineBreak + TranslateText(texts::kReplaceOldTheme);
    if (Show(store, question, texts::kAccept, MB_YESNO) != IDYES) return;
    if (!RecycleFile(target)) {
        ShowError(store, texts::kErrorDeletingOldTheme);
        return;
    }
    CopyIntoStore(store, source, target);
}
}  // namespace

ThemeStore ProgramThemeStore(HWND owner) { return {UserThemeFolder(), owner, ShippedThemeFolder()}; }

void InstallTheme(const ThemeStore& store, const std::wstring& file) {
    if (IsIconLibraryPath(file))
        InstallIconLibrary(store, file);
    else if (IsColorFolderLibraryPath(file))
        InstallColorFolderTheme(store, file);
    else
        Show(store, TranslateText(texts::kUnknownThemeFile), texts::kSorryError, MB_OK);
}

void InstallIconLibrary(const ThemeStore& store, const std::wstring& file) {
    CopyStep(store, file, store.folder + std::wstring(FileNameOf(file)));
}

void InstallColorFolderTheme(const ThemeStore& store, const std::wstring& file) {
    std::wstring description;
    GetFileDescription(file, description);
    CopyStep(store, file, store.folder + ColorFolderThemeFileName(file, description));
}

void DeleteTheme(const ThemeStore& store, const std::wstring& themePath) {
    const std::wstring folder = FolderOf(themePath);
    if (!store.shipped.empty() && !SameName(store.shipped, store.folder) && SameName(folder, store.shipped)) {
        Show(store, TranslateText(texts::kOnlyAdministratorDeletesShippedTheme), texts::kInfo, MB_OK);
        return;
    }
    const std::wstring question = TranslateText(texts::kDeleteTheme) + kLineBreak +
                                  std::wstring(WithoutExtension(FileNameOf(themePath))) + kLineBreak +
                                  TranslateText(texts::kFromYourCollection);
    if (Show(store, question, texts::kAccept, MB_YESNO) != IDYES) return;
    if (!RecycleFile(themePath)) ShowError(store, texts::kErrorDeletingTheme);
}

void InstallTheme(const std::wstring& file, HWND owner) { InstallTheme(ProgramThemeStore(owner), file); }
void DeleteTheme(const std::wstring& themePath, HWND owner) { DeleteTheme(ProgramThemeStore(owner), themePath); }

}  // namespace qm
