#include "core/settings/current_language.h"

namespace qm {

std::wstring& CurrentLanguage() {
    static std::wstring name = L"Default";
    return name;
}

}  // namespace qm
