// Stands in for Quillmark.exe next to an installed quillshell.dll in the extension's tests: records
// its process id and the command line it was started with in "started.txt" beside itself, then ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return 1;
    std::wstring folder(self, n);
    folder.resize(folder.find_last_of(L'\\') + 1);
    const std::wstring text = std::to_wstring(GetCurrentProcessId()) + L"\n" + GetCommandLineW();
    const std::wstring partial = folder + L"started.tmp";
    HANDLE file =
        CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(file);
    // Appears whole or not at all for the test that waits for it.
    if (!ok || !MoveFileExW(partial.c_str(), (folder + L"started.txt").c_str(), MOVEFILE_REPLACE_EXISTING)) return 1;
    return 0;
}
