// The CF_HDROP block parser over byte views: wide and ANSI lists, the names offset, the final
// zero, and blocks cut or pointing outside themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/shell/drop_files.h"

using namespace qm;

namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
}

// DROPFILES with pFiles = namesOffset and fWide, zero-filled up to the names.
std::vector<std::uint8_t> Header(bool wide, std::uint32_t namesOffset = kDropFilesHeaderSize) {
    std::vector<std::uint8_t> b(namesOffset < kDropFilesHeaderSize ? kDropFilesHeaderSize : namesOffset, 0);
    Put32(b, 0, namesOffset);
    Put32(b, 4, 100);  // pt, fNC: not read
    Put32(b, 8, 200);
    Put32(b, 16, wide ? 1 : 0);
    return b;
}

// Each name with its zero, then the final zero.
std::vector<std::uint8_t> Wide(const std::vector<std::u16string>& names,
                               std::uint32_t namesOffset = kDropFilesHeaderSize) {
    auto b = Header(true, namesOffset);
    for (const auto& name : names) {
        for (char16_t c : name) {
            b.push_back(static_cast<std::uint8_t>(c));
            b.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        b.insert(b.end(), {0, 0});
    }
    b.insert(b.end(), {0, 0});
    return b;
}
std::vector<std::uint8_t> Ansi(const std::vector<std::string>& names) {
    auto b = Header(false);
    for (const auto& name : names) {
        b.insert(b.end(), name.begin(), name.end());
        b.push_back(0);
    }
    b.push_back(0);
    return b;
}

template <class F>
std::vector<std::uint8_t> Changed(std::vector<std::uint8_t> b, F change) {
    change(b);
    return b;
}

}  // namespace

TEST(DropFiles, NamesOfWellFormedAndDamagedBlocks) {
    const std::u16string longest(kMaxDropName, u'x');
    struct Case {
        const char* what;
        std::vector<std::uint8_t> block;
        bool ok;
        bool wide = true;
        std::vector<std::u16string> wideNames = {};
        std::vector<std::string> ansiNames = {};
    };
    const std::vector<Case> cases = {
        {"one wide name", Wide({u"C:\\Folder"}), true, true, {u"C:\\Folder"}},
        {"several wide names",
         Wide({u"C:\\a", u"D:\\b c", u"\\\\server\\share"}),
         true,
         true,
         {u"C:\\a", u"D:\\b c", u"\\\\server\\share"}},
        {"wide names outside ASCII", Wide({u"C:\\Zur\u00fcck\U0001F600"}), true, true, {u"C:\\Zur\u00fcck\U0001F600"}},
        {"one ANSI name", Ansi({"C:\\Folder"}), true, false, {}, {"C:\\Folder"}},
        {"several ANSI names, bytes kept", Ansi({"C:\\a", "C:\\caf\xe9"}), true, false, {}, {"C:\\a", "C:\\caf\xe9"}},
        {"empty wide list", Wide({}), true, true, {}},
        {"empty ANSI list", Ansi({}), true, false, {}, {}},
        {"a first empty name ends the list", Wide({u"", u"C:\\a"}), true, true, {}},
        {"names after a gap behind the header", Wide({u"C:\\a"}, 32), true, true, {u"C:\\a"}},
        {"fWide any non-zero value",
         Changed(Wide({u"C:\\a"}), [](auto& b) { Put32(b, 16, 0x80000000u); }),
         true,
         true,
         {u"C:\\a"}},
        {"odd last byte after the final zero",
         Changed(Wide({u"C:\\a"}), [](auto& b) { b.push_back(0x41); }),
         true,
         true,
         {u"C:\\a"}},
        {"bytes after the final zero",
         Changed(Ansi({"a"}),
                 [](auto& b) {
                     b.insert(b.end(), {'b', 0, 0});
                 }),
         true,
         false,
         {},
         {"a"}},
        {"longest name", Wide({longest}), true, true, {longest}},
        {"name one longer than the longest", Wide({longest + u"x"}), false},
        {"shorter than the header", Changed(Wide({u"a"}), [](auto& b) { b.resize(kDropFilesHeaderSize - 1); }), false},
        {"header only", Header(true), false},
        {"pFiles inside the header", Changed(Wide({u"C:\\a"}), [](auto& b) { Put32(b, 0, 19); }), false},
        {"pFiles at the end",
         Changed(Wide({u"C:\\a"}), [](auto& b) { Put32(b, 0, static_cast<std::uint32_t>(b.size())); }), false},
        {"pFiles past the end", Changed(Wide({u"C:\\a"}), [](auto& b) { Put32(b, 0, 0xFFFFFFF0u); }), false},
        {"wide list without its final zero", Changed(Wide({u"C:\\a"}), [](auto& b) { b.resize(b.size() - 2); }), false},
        {"wide final zero cut to one byte", Changed(Wide({u"C:\\a"}), [](auto& b) { b.pop_back(); }), false},
        {"wide name without its zero", Changed(Wide({u"C:\\a"}), [](auto& b) { b.resize(b.size() - 4); }), false},
        {"ANSI list without its final zero", Changed(Ansi({"C:\\a"}), [](auto& b) { b.pop_back(); }), false},
        {"ANSI name without its zero", Changed(Ansi({"C:\\a"}), [](auto& b) { b.resize(b.size() - 2); }), false},
        {"wide list of one odd byte", Changed(Header(true), [](auto& b) { b.push_back(0); }), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto list = ParseDropFiles(ByteView(c.block.data(), c.block.size()));
        ASSERT_EQ(list.has_value(), c.ok);
        if (!list) continue;
        EXPECT_EQ(list->wide, c.wide);
        EXPECT_EQ(list->namesOffset, static_cast<std::uint32_t>(c.block[0] | (c.block[1] << 8)));
        EXPECT_EQ(list->wideNames, c.wideNames);
        EXPECT_EQ(list->ansiNames, c.ansiNames);
        EXPECT_EQ(list->Count(), c.wide ? c.wideNames.size() : c.ansiNames.size());
    }
}

TEST(DropFiles, ReadsStayInsideTheBlock) {
    // A block cut out of a larger buffer: the bytes behind it would complete the list.
    const auto whole = Wide({u"C:\\a"});
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(ParseDropFiles(ByteView(whole.data(), size))) << size;
    }
    EXPECT_TRUE(ParseDropFiles(ByteView(whole.data(), whole.size())));
}
