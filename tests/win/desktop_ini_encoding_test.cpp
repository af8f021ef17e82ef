// desktop.ini in each encoding a hand or another tool may leave: Explorer reads it through the
// profile functions, which on Windows read only UTF-16LE behind its mark and the ANSI code page
// (Wine's also read UTF-8 with a mark and UTF-16BE, so a read-back through them proves nothing
// here: the bytes are compared). Every writer turns an unreadable file into the UTF-16LE file the
// same write gives a UTF-16LE original; scan reports it, repair rewrites it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "core/base/text.h"
#include "core/folder/folder_engine_win.h"
#include "core/folder/folder_repair_win.h"
#include "core/folder/folder_scan_win.h"
#include "core/settings/current_language.h"
#include "tests/support/files_win.h"
#include "tests/support/folder_fixtures_win.h"

using qm::CallerProfile;

namespace {

// Lines the engine does not touch: a comment, a key of its section in non-ANSI text, another section.
const std::wstring kText =
    L"; kept by hand\r\n[.ShellClassInfo]\r\nLocalizedResourceName=Caf\u00e9 \u6587\u5b57\r\nIconFile=own.ico\r\n"
    L"IconIndex=0\r\n\r\n[ViewState]\r\nMode=\r\nFolderType=Pictures\r\n";

enum class Encoding { Utf16Le, Utf16Be, Utf8, Ansi };

struct EncodingCase {
    Encoding encoding;
    const char* name;
    bool readable;  // by Windows' profile functions
};
const EncodingCase kEncodings[] = {
    {Encoding::Utf16Le, "UTF-16LE", true},
    {Encoding::Utf16Be, "UTF-16BE", false},
    {Encoding::Utf8, "UTF-8 with a mark", false},
    {Encoding::Ansi, "ANSI", true},
};

std::vector<std::uint8_t> Utf16Le(const std::wstring& text) {
    std::vector<std::uint8_t> out = {0xFF, 0xFE};
    const auto body = qm::EncodeUtf16Le(text);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<std::uint8_t> Encoded(Encoding encoding, const std::wstring& text) {
    switch (encoding) {
        case Encoding::Utf16Le: return Utf16Le(text);
        case Encoding::Utf16Be: {
            std::vector<std::uint8_t> out = Utf16Le(text);
            for (std::size_t i = 0; i + 1 < out.size(); i += 2) std::swap(out[i], out[i + 1]);
            return out;
        }
        case Encoding::Utf8: {
            const std::string utf8 = "\xEF\xBB\xBF" + qm::WideToUtf8(text);
            return {utf8.begin(), utf8.end()};
        }
        case Encoding::Ansi: break;
    }
    // The ANSI file holds ASCII only, the same in every code page.
    std::string ascii;
    for (wchar_t c : text) ascii.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return {ascii.begin(), ascii.end()};
}

std::wstring AnsiText() {
    std::wstring out;
    for (wchar_t c : kText) out.push_back(c < 0x80 ? c : L'?');
    return out;
}

bool StartsWithLeMark(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
}

class DesktopIniEncodingTest : public testing::Test {
protected:
    void SetUp() override {
        qm::CurrentLanguage() = L"English";
        settings.SetCopyIco(L"0");  // link mode: the writes are the same keys whatever the encoding
    }

    // A folder holding desktop.ini in the encoding and its own.ico.
    std::wstring Folder(const std::wstring& name, Encoding encoding) {
        const std::wstring f = dir.MakeFolder(name);
        qmtest::WriteBytes(f + L"\\own.ico", {0, 0, 1, 0});
        qmtest::WriteBytes(f + L"\\desktop.ini", Encoded(encoding, encoding == Encoding::Ansi ? AnsiText() : kText));
        return f;
    }

    qmtest::TempDir dir{L"qm-ini-enc"};
    qmtest::SettingsFileGuard settings;
    qmtest::FolderMessageCapture messages;
};

TEST_F(DesktopIniEncodingTest, EveryWriterLeavesAFileTheProfileFunctionsRead) {
    const std::wstring library = L"C:\\windows\\system32\\shell32.dll";
    qm::FolderCustomization record;
    record.IconFile = library;
    record.IconIndex = L"4";
    record.Infotip = L"Tip \u00e9";
    const struct {
        const char* name;
        std::function<bool(const std::wstring&)> write;
    } writers[] = {
        {"apply (main window)",
         [&](const std::wstring& f) {
             record.Folder = f;
             return qm::ApplyIconToFolder(record, CallerProfile::MainWindow);
         }},
        {"apply (extension)",
         [&](const std::wstring& f) {
             record.Folder = f;
             return qm::ApplyIconToFolder(record, CallerProfile::Extension);
         }},
        {"reset (main window)",
         [](const std::wstring& f) { return qm::ResetIconOfFolder(f, CallerProfile::MainWindow); }},
        {"reset (extension)", [](const std::wstring& f) { return qm::ResetIconOfFolder(f, CallerProfile::Extension); }},
    };
    int n = 0;
    for (const auto& writer : writers) {
        SCOPED_TRACE(writer.name);
        // What the write makes of the UTF-16LE original is what it must make of every unreadable one.
        const std::wstring reference = Folder(L"le" + std::to_wstring(n), Encoding::Utf16Le);
        ASSERT_TRUE(writer.write(reference));
        const auto expected = qmtest::ReadBytes(reference + L"\\desktop.ini");
        ASSERT_TRUE(StartsWithLeMark(expected));
        const std::wstring text = qm::DecodeUtf16Le(std::span(expected).subspan(2));
        for (const wchar_t* kept : {L"; kept by hand\r\n", L"LocalizedResourceName=Caf\u00e9 \u6587\u5b57\r\n",
                                    L"\r\n\r\n[ViewState]\r\nMode=\r\nFolderType=Pictures\r\n"})
            EXPECT_NE(text.find(kept), std::wstring::npos) << qm::WideToUtf8(kept);

        for (const auto& e : kEncodings) {
            SCOPED_TRACE(e.name);
            const std::wstring f = Folder(L"f" + std::to_wstring(n++), e.encoding);
            ASSERT_TRUE(writer.write(f));
            const auto bytes = qmtest::ReadBytes(f + L"\\desktop.ini");
            if (e.encoding == Encoding::Ansi) {
                ASSERT_FALSE(bytes.empty());
                EXPECT_EQ(bytes.front(), ';');  // a readable encoding stays as it is
            } else {
                EXPECT_EQ(bytes, expected);
            }
        }
    }
}

TEST_F(DesktopIniEncodingTest, ScanReportsAnUnreadableFileAndRepairRewritesIt) {
    int n = 0;
    for (const auto& e : kEncodings) {
        SCOPED_TRACE(e.name);
        const std::wstring f = Folder(L"s" + std::to_wstring(n++), e.encoding);
        const DWORD iniAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
        ASSERT_TRUE(SetFileAttributesW((f + L"\\desktop.ini").c_str(), iniAttributes));
        ASSERT_TRUE(SetFileAttributesW(f.c_str(), FILE_ATTRIBUTE_SYSTEM));  // marked, as customized folders are
        const auto before = qmtest::ReadBytes(f + L"\\desktop.ini");

        // Wine's profile reader reads every one of the four (Windows' reads UTF-16BE as bytes, and
        // a UTF-8 mark glued to the first line): its answer cannot tell, so the bytes and the
        // scan's states are what this test looks at.
        if (qmtest::RunningUnderWine()) {
            wchar_t value[32] = {};
            GetPrivateProfileStringW(L".ShellClassInfo", L"IconFile", L"", value, 32, (f + L"\\desktop.ini").c_str());
            EXPECT_STREQ(value, L"own.ico");
        }
        const qm::FolderScan scan = qm::ScanFolder(f);
        // The keys are still read (our reader knows every encoding), so the scan names the icon.
        EXPECT_EQ(scan.place, qm::IconPlace::Copy);
        EXPECT_TRUE(scan.sourcePresent);
        const auto states = qm::ScanStates(scan);
        const bool reported = std::find(states.begin(), states.end(), L"unreadable-encoding") != states.end();
        EXPECT_EQ(reported, !e.readable);
        EXPECT_EQ(scan.Broken(), !e.readable);
        // After the states the shell's own.
        if (!e.readable) {
            EXPECT_EQ(states.back(), std::wstring_view(L"unreadable-encoding"));
        }

        EXPECT_EQ(qm::PlannedRepair(scan), e.readable ? qm::RepairOutcome::NothingToDo : qm::RepairOutcome::Repaired);
        EXPECT_EQ(qm::RepairFolder(scan), e.readable ? qm::RepairOutcome::NothingToDo : qm::RepairOutcome::Repaired);
        const auto after = qmtest::ReadBytes(f + L"\\desktop.ini");
        // Every line as it was, now in UTF-16LE; a readable file is not touched.
        EXPECT_EQ(after, e.readable ? before : Utf16Le(kText));
        EXPECT_EQ(qmtest::Attributes(f + L"\\desktop.ini") & 0x7, iniAttributes);
        EXPECT_FALSE(qm::ScanFolder(f).Broken());
    }
}

}  // namespace
