#pragma once
// Runs a console program to its end with its standard output and error going to files (or to
// nowhere), for tests and benchmarks of quillmark-cli.
#include <windows.h>

#include <string>

namespace qmtest {

inline constexpr DWORD kNotStarted = 0xFFFFFFFF;

// CreateProcessW with the whole command line; empty paths discard that stream. Returns the exit
// code, or kNotStarted; a process still running after timeoutMs is terminated (exit code 99).
// When no exit code could be had, the step that failed, its GetLastError and the command line go
// to this process's standard error and into *failure (when given).
DWORD RunConsoleProgram(const std::wstring& commandLine, const std::wstring& outPath, const std::wstring& errPath,
                        DWORD timeoutMs = INFINITE, std::wstring* failure = nullptr);

}  // namespace qmtest
