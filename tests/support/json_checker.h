#pragma once
// A strict check that a text is one JSON value (RFC 8259 grammar), for the machine-readable
// reports the tests read. Numbers are the integers the reports write.
#include <cstddef>
#include <string_view>

namespace qmtest {

class JsonChecker {
public:
    explicit JsonChecker(std::wstring_view text) : t_(text) {}
    // The whole text, blanks around it aside, is one value.
    bool Valid();

private:
    void Blank();
    bool Take(wchar_t c);
    bool Word(std::wstring_view w);
    bool String();
    bool Number();
    bool Value();
    std::wstring_view t_;
    std::size_t i_ = 0;
};

}  // namespace qmtest
