// The last open error of each thread, shared by both platform sides of OpenForReading.
#include <algorithm>

#include "core/icons/icon_file.h"

namespace qm {

namespace {
// A plain character buffer: thread-local objects with destructors would make the runtime hold a
// module reference per thread in the shell extension.
thread_local wchar_t t_openError[256];
}  // namespace

void SetOpenError(const std::wstring& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    std::copy_n(text.data(), n, t_openError);
    t_openError[n] = L'\0';
}

std::wstring LastOpenErrorText() { return t_openError; }

}  // namespace qm
