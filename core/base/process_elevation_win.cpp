#include "core/base/process_elevation_win.h"

#include <windows.h>

#include "core/base/handles_win.h"

namespace qm {

bool ProcessIsElevated() {
    UniqueKernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

}  // namespace qm
