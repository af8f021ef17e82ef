// Benchmark: `quillmark-cli folder apply` on many folders (default 1000), per-folder time.
//
//   folder_apply_bench [FOLDERS [PER_PROCESS]]
//
// Makes FOLDERS empty folders in a temporary folder and applies one icon of the system's
// shell32.dll to all of them with quillmark-cli, PER_PROCESS folders per process (default 100),
// first in copy mode, then in link mode (the settings file next to the tool is set for each run
// and put back afterwards). Also measures the start of one process (`folder show` of one folder)
// and the engine alone in this process, so the figures can be told apart. Prints one line per
// measurement; exit code 1 if any apply failed. Then the copy-mode tree once more with one
// `folder apply --recursive`, and `folder scan --recursive` beside cmd's own walk of the tree.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/base/module_path_win.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_files_win.h"
#include "core/settings/ini_file_win.h"
#include "core/settings/settings_win.h"
#include "tests/support/console_process_win.h"
#include "tests/support/files_win.h"
#include "tests/support/process_win.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

DWORD Run(const std::wstring& commandLine) { return qmtest::RunConsoleProgram(commandLine, L"", L""); }

std::vector<std::wstring> MakeFolders(const std::wstring& root, const std::wstring& tag, int count) {
    std::vector<std::wstring> folders;
    CreateDirectoryW((root + L"\\" + tag).c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        folders.push_back(root + L"\\" + tag + L"\\folder " + std::to_wstring(i));
        CreateDirectoryW(folders.back().c_str(), nullptr);
    }
    return folders;
}

// Applies through the tool, perProcess folders per process. Returns the seconds taken.
double ApplyWithTool(const std::wstring& cli, const std::vector<std::wstring>& folders, const std::wstring& icon,
                     int perProcess, int& failures) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < folders.size(); i += static_cast<std::size_t>(perProcess)) {
        std::wstring cmd = qmtest::Quote(cli) + L" folder apply";
        for (std::size_t j = i; j < folders.size() && j < i + static_cast<std::size_t>(perProcess); ++j)
            cmd += L" " + qmtest::Quote(folders[j]);
        cmd += L" --icon " + qmtest::Quote(icon) + L" --index 3 --tip Benchmark";
        if (Run(cmd) != 0) ++failures;
    }
    return Seconds(Clock::now() - start);
}

int CountApplied(const std::vector<std::wstring>& folders) {
    int n = 0;
    for (const auto& f : folders) n += qm::ReadFolderCustomization(f).Infotip == L"Benchmark";
    return n;
}

// The four key writes of an apply into `count` desktop.ini files holding another section, through
// the INI layer with the given access; the median of `runs` runs, in seconds.
double MedianKeyWrites(const std::wstring& root, const std::wstring& tag, int count, qm::IniAccess access, int runs) {
    std::vector<double> times;
    for (int r = 0; r < runs; ++r) {
        const auto folders = MakeFolders(root, tag + std::to_wstring(r), count);
        for (const auto& f : folders) qm::IniFile(f + L"\\desktop.ini").WriteString(L"ViewState", L"Mode", L"4");
        const auto start = Clock::now();
        for (const auto& f : folders) {
            const qm::IniFile ini(f + L"\\desktop.ini", access);
            ini.WriteString(L".ShellClassInfo", L"IconFile", L"OstrelQuillmark3_1234512345.ico");
            ini.WriteString(L".ShellClassInfo", L"IconIndex", L"0");
            ini.WriteString(L".ShellClassInfo", L"Infotip", L"Benchmark");
            ini.WriteString(L".ShellClassInfo", L"ConfirmFileOp", L"0");
        }
        times.push_back(Seconds(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void Report(const char* what, int folders, double seconds) {
    std::printf("%-58s %5d folders  %8.2f s  %8.2f ms per folder\n", what, folders, seconds,
                1000.0 * seconds / folders);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int count = argc > 1 ? _wtoi(argv[1]) : 1000;
    const int perProcess = argc > 2 ? _wtoi(argv[2]) : 100;
    if (count <= 0 || perProcess <= 0) {
        std::fprintf(stderr, "usage: folder_apply_bench [FOLDERS [PER_PROCESS]]\n");
        return 2;
    }
    const std::wstring cli = qm::ModuleFolder() + L"quillmark-cli.exe";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring icon = std::wstring(system) + L"\\shell32.dll";

    const qmtest::TempDir temp(L"qm-bench");
    const std::wstring& root = temp.path();

    // The settings file next to the tool decides the mode; its content is put back at the end.
    const std::wstring settings = qm::SettingsFilePath(), saved = root + L"\\settings.saved";
    const bool hadSettings = CopyFileW(settings.c_str(), saved.c_str(), FALSE) != FALSE;

    int failures = 0;
    std::printf("quillmark-cli folder apply, source %ls icon 3, %d folders per process\n", icon.c_str(), perProcess);
    for (const wchar_t* mode : {L"1", L"0"}) {
        qm::WriteSetting(qm::kCopyIcoSetting, mode);
        const auto folders = MakeFolders(root, mode[0] == L'1' ? L"copy" : L"link", count);
        const double s = ApplyWithTool(cli, folders, icon, perProcess, failures);
        const int applied = CountApplied(folders);
        if (applied != count) ++failures;
        Report(mode[0] == L'1' ? "copy mode, through the tool" : "link mode, through the tool", count, s);
    }

    // A whole tree in one process: apply --recursive and scan --recursive over the copy-mode
    // folders, beside the platform's own walk of the same tree (cmd's dir /s /ad), median of 5.
    const std::wstring tree = root + L"\\copy";
    const auto treeStart = Clock::now();
    if (Run(qmtest::Quote(cli) + L" folder apply " + qmtest::Quote(tree) + L" --recursive --icon " +
            qmtest::Quote(icon) + L" --index 4") != 0)
        ++failures;
    Report("copy mode, one tool process, --recursive", count + 1, Seconds(Clock::now() - treeStart));
    auto median = [&](const std::wstring& command) {
        std::vector<double> times;
        for (int r = 0; r < 5; ++r) {
            const auto begin = Clock::now();
            if (Run(command) != 0) ++failures;
            times.push_back(Seconds(Clock::now() - begin));
        }
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    };
    Report("folder scan --recursive (median of 5)", count + 1,
           median(qmtest::Quote(cli) + L" folder scan " + qmtest::Quote(tree) + L" --recursive"));
    Report("cmd /c dir /s /b /ad, the platform's walk (median of 5)", count + 1,
           median(std::wstring(system) + L"\\cmd.exe /c dir /s /b /ad " + qmtest::Quote(tree)));

    // One process per folder, for the cost of starting the tool.
    const auto single = MakeFolders(root, L"single", 10);
    auto start = Clock::now();
    for (const auto& f : single) Run(qmtest::Quote(cli) + L" folder show " + qmtest::Quote(f));
    const double startup = Seconds(Clock::now() - start);
    std::printf("%-58s %5d runs     %8.2f s  %8.2f ms per run\n", "start of one tool process (folder show)", 10,
                startup, 100.0 * startup);

    // The engine alone in this process.
    qm::WriteSetting(qm::kCopyIcoSetting, L"1");
    const auto inProcess = MakeFolders(root, L"engine", count);
    start = Clock::now();
    for (const auto& f : inProcess) {
        try {
            if (!qm::ApplyIconToFolder({f, icon, L"3", L"Benchmark"}, qm::CallerProfile::MainWindow)) ++failures;
        } catch (...) {
            ++failures;
        }
    }
    Report("copy mode, engine in this process", count, Seconds(Clock::now() - start));

    // The desktop.ini writes of an apply: the layer's own access (which the engine takes) beside
    // the platform's profile functions, median of 5 runs each, alternating.
    double own = 0, platform = 0;
    for (int round = 0; round < 2; ++round) {
        own += MedianKeyWrites(root, L"own" + std::to_wstring(round) + L"-", count / 2, qm::IniAccess::Own, 5);
        platform +=
            MedianKeyWrites(root, L"platform" + std::to_wstring(round) + L"-", count / 2, qm::IniAccess::Platform, 5);
    }
    Report("4 key writes, INI layer's own access (median of 5)", count, own);
    Report("4 key writes, platform's profile functions (median of 5)", count, platform);

    DeleteFileW(settings.c_str());
    if (hadSettings) CopyFileW(saved.c_str(), settings.c_str(), FALSE);
    if (failures) std::printf("FAILURES: %d\n", failures);
    return failures ? 1 : 0;
}
