#include "core/themes/theme_names.h"

#include "core/base/text.h"

namespace qm {

std::wstring_view FileNameOf(std::wstring_view path) {
    const auto pos = path.find_last_of(L"\\/");
    return pos == std::wstring_view::npos ? path : path.substr(pos + 1);
}

std::wstring_view WithoutExtension(std::wstring_view fileName) {
    const auto pos = fileName.rfind(L'.');
    return pos == std::wstring_view::npos ? fileName : fileName.substr(0, pos);
}

bool IsIconLibraryPath(std::wstring_view path) {
    const std::wstring_view name = FileNameOf(path);
    const auto pos = name.rfind(L'.');
    return pos != std::wstring_view::npos && UpperAscii(name.substr(pos)) == L".ICL";
}

bool IsColorFolderLibraryPath(std::wstring_view path) { return UpperAscii(FileNameOf(path)) == L"ICOLORFOLDER.DLL"; }

bool IsPlainFileName(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..") return false;
    for (wchar_t c : name)
        if (static_cast<unsigned>(c) < 32u || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos)
            return false;
    return name.back() != L'.' && name.back() != L' ';
}

std::wstring ColorFolderThemeFileName(std::wstring_view libraryPath, std::wstring_view description) {
    if (IsPlainFileName(description)) return std::wstring(description) + L".icl";
    return std::wstring(WithoutExtension(FileNameOf(libraryPath))) + L".icl";
}

}  // namespace qm
