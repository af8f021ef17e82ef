// The sidecar's text: written and read back, kept within 4 KB, and every damaged or hostile form
// refused with its reason.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/text.h"
#include "core/folder/folder_sidecar.h"

namespace {

std::vector<std::uint8_t> Marked(const std::wstring& text) {
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    const auto body = qm::EncodeUtf16Le(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TEST(Sidecar, WrittenAndReadBack) {
    const qm::SidecarRecord record{L"OstrelQuillmark3_123456.ico", L"0", L"Taxes \x00e9 2026 \xD83D\xDE00"};
    const auto bytes = qm::SidecarBytes(record);
    EXPECT_EQ(bytes, Marked(L"[Quillmark]\r\nIconFile=OstrelQuillmark3_123456.ico\r\nIconIndex=0\r\nInfotip=Taxes "
                            L"\x00e9 2026 \xD83D\xDE00\r\n"));
    const auto reading = qm::ParseSidecar(bytes);
    EXPECT_EQ(reading.problem, qm::SidecarProblem::None);
    EXPECT_EQ(reading.record, record);
    // Keys in any case and order, blanks, comments and other sections are read as the shell reads.
    const auto loose =
        qm::ParseSidecar(Marked(L"; note\r\n[Other]\r\nIconFile=x.ico\r\n[ quillmark ]\r\n"
                                L"infotip = a tip \r\nICONINDEX=-3\r\niconfile=ostrelquillmark3_7.ICO\n"));
    EXPECT_EQ(loose.problem, qm::SidecarProblem::None);
    EXPECT_EQ(loose.record, (qm::SidecarRecord{L"ostrelquillmark3_7.ICO", L"-3", L"a tip"}));
}

TEST(Sidecar, ALongTooltipIsShortenedToFitIn4KbAndLineBreaksBecomeBlanks) {
    const std::wstring tip(3000, L'x');
    const auto bytes = qm::SidecarBytes({L"OstrelQuillmark3_1.ico", L"0", tip});
    EXPECT_LE(bytes.size(), qm::kSidecarMaxBytes);
    EXPECT_GE(bytes.size(), qm::kSidecarMaxBytes - 2);
    const auto reading = qm::ParseSidecar(bytes);
    ASSERT_EQ(reading.problem, qm::SidecarProblem::None);
    EXPECT_EQ(reading.record.infotip, tip.substr(0, reading.record.infotip.size()));
    // A surrogate pair at the cut is not split.
    std::wstring pairs;
    for (int i = 0; i < 1500; ++i) pairs += L"\xD83D\xDE00";
    const auto cutPairs = qm::ParseSidecar(qm::SidecarBytes({L"OstrelQuillmark3_1.ico", L"0", pairs}));
    ASSERT_EQ(cutPairs.problem, qm::SidecarProblem::None);
    EXPECT_EQ(cutPairs.record.infotip.size() % 2, 0u);
    const auto broken = qm::ParseSidecar(qm::SidecarBytes({L"OstrelQuillmark3_1.ico", L"0", L"one\r\ntwo\nthree"}));
    EXPECT_EQ(broken.record.infotip, L"one  two three");
}

TEST(Sidecar, EachDamagedOrHostileFormIsRefusedWithItsReason) {
    using P = qm::SidecarProblem;
    const std::wstring good = L"[Quillmark]\r\nIconFile=OstrelQuillmark3_12.ico\r\nIconIndex=0\r\nInfotip=t\r\n";
    auto named = [](const std::wstring& name, const std::wstring& index = L"0") {
        return Marked(L"[Quillmark]\r\nIconFile=" + name + L"\r\nIconIndex=" + index + L"\r\nInfotip=t\r\n");
    };
    auto odd = Marked(good);
    odd.push_back(0x41);
    auto cut = Marked(good);
    cut.resize(cut.size() - 4);
    auto huge = Marked(good);
    huge.resize(qm::kSidecarMaxBytes + 2, 0x20);
    const std::string utf8 = qm::WideToUtf8(good);
    std::vector<std::uint8_t> utf16be{0xFE, 0xFF};
    for (wchar_t c : good)
        utf16be.insert(utf16be.end(), {static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c)});
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        P problem;
    } cases[] = {
        {"empty", {}, P::WrongEncoding},
        {"mark only", {0xFF, 0xFE}, P::Cut},
        {"odd byte", odd, P::Cut},
        {"cut", cut, P::Cut},
        {"huge", huge, P::TooLarge},
        {"utf-8", std::vector<std::uint8_t>(utf8.begin(), utf8.end()), P::WrongEncoding},
        {"utf-16be", utf16be, P::WrongEncoding},
        {"no section", Marked(L"IconFile=OstrelQuillmark3_12.ico\r\n"), P::NoSection},
        {"no index", Marked(L"[Quillmark]\r\nIconFile=OstrelQuillmark3_12.ico\r\nInfotip=\r\n"), P::Cut},
        {"absolute", named(L"C:\\OstrelQuillmark3_12.ico"), P::OutsideFolder},
        {"parent", named(L"..\\OstrelQuillmark3_12.ico"), P::OutsideFolder},
        {"slash", named(L"sub/OstrelQuillmark3_12.ico"), P::OutsideFolder},
        {"unc", named(L"\\\\server\\share\\OstrelQuillmark3_12.ico"), P::OutsideFolder},
        {"dots", named(L"OstrelQuillmark3_..ico"), P::OutsideFolder},
        {"stream", named(L"OstrelQuillmark3_12.ico:x"), P::OutsideFolder},
        {"other name", named(L"desktop.ini"), P::NotACopy},
        {"prefix only", named(L"OstrelQuillmark3_.ico"), P::NotACopy},
        {"old rule", named(L"OstrelQuillmarkZ.ico"), P::NotACopy},
        {"not .ico", named(L"OstrelQuillmark3_12.exe"), P::NotACopy},
        {"wildcard", named(L"OstrelQuillmark3_*.ico"), P::NotACopy},
        {"control", named(L"OstrelQuillmark3_\x01.ico"), P::NotACopy},
        {"too long", named(L"OstrelQuillmark3_" + std::wstring(300, L'1') + L".ico"), P::NotACopy},
        {"empty name", named(L""), P::NotACopy},
        {"index", named(L"OstrelQuillmark3_12.ico", L"one"), P::BadIndex},
        {"long index", named(L"OstrelQuillmark3_12.ico", std::wstring(40, L'0')), P::BadIndex},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto reading = qm::ParseSidecar(c.bytes);
        EXPECT_EQ(reading.problem, c.problem);
        EXPECT_EQ(reading.record, qm::SidecarRecord{});
        EXPECT_FALSE(qm::SidecarProblemText(c.problem).empty());
    }
    EXPECT_EQ(qm::ParseSidecar(Marked(good)).problem, P::None);
}

}  // namespace
