#pragma once
// Runs a console program to its end with its standard output and error going to files (or to
// nowhere), for tests and benchmarks of quillmark-cli.
#include <windows.h>

#include <string>

namespace qmtest {

inline constexpr DWORD kNotStarted = 0xFFFFFFFF;

// CreateProcessW with the whole command line; empty paths discard that stream. Returns the exit
// code, or kNotStarted; a process still running after timeoutMs is terminated (exit code 99).
DWORD RunConsoleProgram(const std::wstring& commandLine, const std::wstring& outPath, const std::wstring& errPath,
                        DWORD timeoutMs = INFINITE);

}  // namespace qmtest
