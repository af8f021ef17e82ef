#include "tests/support/json_checker.h"

#include <cwctype>

namespace qmtest {

bool JsonChecker::Valid() {
    if (!Value()) return false;
    Blank();
    return i_ == t_.size();
}

void JsonChecker::Blank() {
    while (i_ < t_.size() && (t_[i_] == L' ' || t_[i_] == L'\n' || t_[i_] == L'\r' || t_[i_] == L'\t')) ++i_;
}

bool JsonChecker::Take(wchar_t c) {
    Blank();
    if (i_ < t_.size() && t_[i_] == c) return ++i_, true;
    return false;
}

bool JsonChecker::Word(std::wstring_view w) {
    Blank();
    if (t_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
}

bool JsonChecker::String() {
    if (!Take(L'"')) return false;
    while (i_ < t_.size() && t_[i_] != L'"') {
        if (t_[i_] < 0x20) return false;
        if (t_[i_] == L'\\') {
            ++i_;
            if (i_ >= t_.size()) return false;
            if (t_[i_] == L'u') {
                for (int k = 1; k <= 4; ++k)
                    if (i_ + k >= t_.size() || !iswxdigit(t_[i_ + k])) return false;
                i_ += 4;
            } else if (std::wstring_view(L"\"\\/bfnrt").find(t_[i_]) == std::wstring_view::npos) {
                return false;
            }
        }
        ++i_;
    }
    return Take(L'"');
}

bool JsonChecker::Number() {
    Blank();
    const std::size_t start = i_;
    while (i_ < t_.size() && (iswdigit(t_[i_]) || t_[i_] == L'-')) ++i_;
    return i_ > start;
}

bool JsonChecker::Value() {
    Blank();
    if (i_ >= t_.size()) return false;
    switch (t_[i_]) {
        case L'{':
            ++i_;
            if (Take(L'}')) return true;
            do {
                if (!String() || !Take(L':') || !Value()) return false;
            } while (Take(L','));
            return Take(L'}');
        case L'[':
            ++i_;
            if (Take(L']')) return true;
            do {
                if (!Value()) return false;
            } while (Take(L','));
            return Take(L']');
        case L'"': return String();
        case L't': return Word(L"true");
        case L'f': return Word(L"false");
        case L'n': return Word(L"null");
        default: return Number();
    }
}

}  // namespace qmtest
