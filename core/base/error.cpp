#include "core/base/error.h"

#include "core/base/text.h"

namespace qm {

UserError::UserError(std::wstring text) : std::runtime_error(WideToUtf8(text)), text_(std::move(text)) {}

std::wstring FormatMessageText(std::wstring_view templ, std::wstring_view arg) {
    std::wstring out(templ);
    if (auto pos = out.find(L"%s"); pos != std::wstring::npos) out.replace(pos, 2, arg);
    return out;
}

}  // namespace qm
