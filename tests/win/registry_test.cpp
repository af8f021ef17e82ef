// The registry module against the real registry of the test prefix: keys opened and created,
// strings written with their zero and read back with every byte count checked, trees deleted.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/base/handles_win.h"
#include "core/shell/registry_win.h"

namespace {

class Registry : public testing::Test {
protected:
    const std::wstring root_ = L"Software\\QuillmarkTest" + std::to_wstring(GetCurrentProcessId());
    void TearDown() override { qm::DeleteTree(HKEY_CURRENT_USER, root_); }
    void SetRaw(const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        SetRawIn(root_, name, type, data, bytes);
    }
    void SetRawIn(const std::wstring& subkey, const std::wstring& name, DWORD type, const void* data, DWORD bytes) {
        qm::UniqueKey key = qm::OpenKeyForWrite(HKEY_CURRENT_USER, subkey);
        ASSERT_TRUE(key);
        ASSERT_EQ(RegSetValueExW(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), bytes),
                  ERROR_SUCCESS);
    }
};

TEST_F(Registry, WriteCreatesThePathAndReadGivesTheValueBack) {
    const std::wstring sub = root_ + L"\\Deep\\Er";
    EXPECT_FALSE(qm::OpenKeyForRead(HKEY_CURRENT_USER, sub));
    qm::WriteRegString(HKEY_CURRENT_USER, sub, L"Name", L"Value \u00e9\u6587");
    EXPECT_TRUE(qm::OpenKeyForRead(HKEY_CURRENT_USER, sub));

    // Stored as REG_SZ with its terminating zero.
    DWORD type = 0, bytes = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, sub.c_str(), L"Name", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 9u * sizeof(wchar_t));  // 8 characters and the zero

    std::wstring text = L"before";
    EXPECT_TRUE(qm::ReadRegString(HKEY_CURRENT_USER, sub, L"Name", text));
    EXPECT_EQ(text, L"Value \u00e9\u6587");

    qm::WriteRegString(HKEY_CURRENT_USER, sub, L"", L"default value");
    EXPECT_TRUE(qm::ReadRegString(HKEY_CURRENT_USER, sub, L"", text));
    EXPECT_EQ(text, L"default value");
}

TEST_F(Registry, ReadFailuresLeaveTheTextUnchanged) {
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Short", L"ok");
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Long", std::wstring(300, L'L'));
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Limit", std::wstring(254, L'a'));
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"OverLimit", std::wstring(255, L'b'));
    struct Case {
        const wchar_t* subkey;
        const wchar_t* value;
        bool ok;
        std::wstring expected;
    } cases[] = {
        {L"", L"Short", true, L"ok"},
        {L"", L"Missing", false, L"unchanged"},
        {L"\\NoSuchKey", L"Short", false, L"unchanged"},
        {L"", L"Long", false, L"unchanged"},
        {L"", L"Limit", true, std::wstring(254, L'a')},
        {L"", L"OverLimit", false, L"unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::wstring text = L"unchanged";
        EXPECT_EQ(qm::ReadRegString(HKEY_CURRENT_USER, root_ + c.subkey, c.value, text), c.ok);
        EXPECT_EQ(text, c.expected);
    }
}

TEST_F(Registry, ValuesWithoutTerminatorOrOfOtherTypesStayInsideTheBuffer) {
    const wchar_t unterminated[3] = {L'a', L'b', L'c'};
    SetRaw(L"NoZero", REG_SZ, unterminated, sizeof unterminated);
    const BYTE odd[3] = {'x', 0, 'y'};
    SetRaw(L"Odd", REG_BINARY, odd, sizeof odd);
    std::wstring text;
    EXPECT_TRUE(qm::ReadRegString(HKEY_CURRENT_USER, root_, L"NoZero", text));
    EXPECT_EQ(text, L"abc");
    EXPECT_TRUE(qm::ReadRegString(HKEY_CURRENT_USER, root_, L"Odd", text));  // the type is not tested
    EXPECT_EQ(text.substr(0, 1), L"x");
}

TEST_F(Registry, StringReadsTakeEveryByteCountInsideTheBuffer) {
    const wchar_t plain[] = L"abc";
    // The registry adds the zero a caller "forgot" when the character after the data is one (Windows
    // and Wine alike): what follows the stored data here is not a zero.
    const wchar_t unterminated[4] = {L'a', L'b', L'c', L'X'};
    const BYTE odd[4] = {'a', 0, 'b', 'X'};  // a character and one byte more
    const wchar_t embedded[] = L"ab\0cd";
    const wchar_t expand[] = L"%TEMP%\\x";
    const BYTE binary[4] = {'x', 0, 'y', 0};
    const DWORD number = 0x00410042;
    SetRaw(L"Plain", REG_SZ, plain, sizeof plain);
    SetRaw(L"NoZero", REG_SZ, unterminated, 3 * sizeof(wchar_t));
    SetRaw(L"Odd", REG_SZ, odd, 3);
    SetRaw(L"Embedded", REG_SZ, embedded, sizeof embedded);
    SetRaw(L"Empty", REG_SZ, nullptr, 0);
    SetRaw(L"Expand", REG_EXPAND_SZ, expand, sizeof expand);
    SetRaw(L"Binary", REG_BINARY, binary, sizeof binary);
    SetRaw(L"Number", REG_DWORD, &number, sizeof number);
    struct Case {
        const wchar_t* name;
        qm::StringTypes types;
        std::size_t maxBytes;
        std::optional<std::wstring> expected;
    } cases[] = {
        {L"Plain", qm::StringTypes::Text, qm::kMaxStringValueBytes, L"abc"},
        {L"NoZero", qm::StringTypes::Text, qm::kMaxStringValueBytes, L"abc"},
        {L"Odd", qm::StringTypes::Text, qm::kMaxStringValueBytes, std::wstring{L'a', L'b'}},
        {L"Embedded", qm::StringTypes::Text, qm::kMaxStringValueBytes, L"ab"},
        {L"Empty", qm::StringTypes::Text, qm::kMaxStringValueBytes, L""},
        {L"Expand", qm::StringTypes::Text, qm::kMaxStringValueBytes, L"%TEMP%\\x"},  // not expanded
        {L"Binary", qm::StringTypes::Text, qm::kMaxStringValueBytes, std::nullopt},
        {L"Binary", qm::StringTypes::Any, qm::kMaxStringValueBytes, L"xy"},
        {L"Number", qm::StringTypes::Text, qm::kMaxStringValueBytes, std::nullopt},
        {L"Number", qm::StringTypes::Any, qm::kMaxStringValueBytes, std::wstring{L'B', L'A'}},
        {L"Missing", qm::StringTypes::Any, qm::kMaxStringValueBytes, std::nullopt},
        // the limit counts the bytes stored, terminating zero included
        {L"Plain", qm::StringTypes::Text, sizeof plain, L"abc"},
        {L"Plain", qm::StringTypes::Text, sizeof plain - 1, std::nullopt},
        {L"NoZero", qm::StringTypes::Text, 3 * sizeof(wchar_t), L"abc"},
        {L"Odd", qm::StringTypes::Text, 2, std::nullopt},
    };
    const qm::UniqueKey key = qm::OpenKey(HKEY_CURRENT_USER, root_, KEY_QUERY_VALUE);
    ASSERT_TRUE(key);
    for (const auto& [name, stored] : {std::pair{L"NoZero", 6u}, std::pair{L"Odd", 3u}}) {
        DWORD bytes = 0;
        ASSERT_EQ(RegQueryValueExW(key.get(), name, nullptr, nullptr, nullptr, &bytes), ERROR_SUCCESS);
        ASSERT_EQ(bytes, stored) << "stored without a zero";
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << std::string(c.name, c.name + wcslen(c.name)) << ", limit "
                                        << c.maxBytes);
        EXPECT_EQ(qm::ReadStringValue(key.get(), c.name, c.types, c.maxBytes), c.expected);
    }
}

TEST_F(Registry, TheDefaultLimitIsTheLongestPathAndItsZero) {
    const std::wstring longest(32767, L'p'), over(32768, L'q');
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Longest", longest);
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Over", over);
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_, L"Longest"), longest);
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_, L"Over"), std::nullopt);
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_ + L"\\NoSuchKey", L"Longest"), std::nullopt);
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"", L"default");
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_, L""), L"default");
}

TEST_F(Registry, OpenAndCreateReportTheRegistrysAnswer) {
    LSTATUS status = ERROR_SUCCESS;
    EXPECT_FALSE(qm::OpenKey(HKEY_CURRENT_USER, root_ + L"\\A", KEY_READ, &status));
    EXPECT_EQ(status, ERROR_FILE_NOT_FOUND);
    status = ERROR_GEN_FAILURE;
    EXPECT_TRUE(qm::CreateKey(HKEY_CURRENT_USER, root_ + L"\\A\\B", KEY_WRITE, &status));
    EXPECT_EQ(status, ERROR_SUCCESS);
    status = ERROR_GEN_FAILURE;
    const qm::UniqueKey a = qm::OpenKey(HKEY_CURRENT_USER, root_ + L"\\A", KEY_READ, &status);
    EXPECT_TRUE(a);
    EXPECT_EQ(status, ERROR_SUCCESS);
    // A subkey of an open key.
    EXPECT_TRUE(qm::CreateKey(a.get(), L"C", KEY_WRITE));
    EXPECT_TRUE(qm::OpenKey(HKEY_CURRENT_USER, root_ + L"\\A\\C", KEY_READ));
}

TEST_F(Registry, SetStringValueCountsTheZeroAndNamesTheDefaultValueByTheEmptyName) {
    const qm::UniqueKey key = qm::CreateKey(HKEY_CURRENT_USER, root_, KEY_SET_VALUE | KEY_QUERY_VALUE);
    ASSERT_TRUE(key);
    ASSERT_EQ(qm::SetStringValue(key.get(), L"", L"d\u00e9f"), ERROR_SUCCESS);
    ASSERT_EQ(qm::SetStringValue(key.get(), L"Empty", L""), ERROR_SUCCESS);
    struct Case {
        const wchar_t* name;
        DWORD bytes;
    } cases[] = {{nullptr, 4 * sizeof(wchar_t)}, {L"Empty", sizeof(wchar_t)}};
    for (const auto& c : cases) {
        DWORD type = 0, bytes = 0;
        ASSERT_EQ(RegQueryValueExW(key.get(), c.name, nullptr, &type, nullptr, &bytes), ERROR_SUCCESS);
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(bytes, c.bytes);
    }
    EXPECT_EQ(qm::ReadStringValue(key.get(), L""), L"d\u00e9f");
    EXPECT_EQ(qm::DeleteValue(key.get(), L"Empty"), ERROR_SUCCESS);
    EXPECT_EQ(qm::ReadStringValue(key.get(), L"Empty"), std::nullopt);
    EXPECT_NE(qm::DeleteValue(key.get(), L"Empty"), ERROR_SUCCESS);
}

TEST_F(Registry, SubkeyNamesListsTheDirectSubkeys) {
    for (const wchar_t* name : {L"One", L"Two", L"Three\\Deeper"}) {
        ASSERT_TRUE(qm::CreateKey(HKEY_CURRENT_USER, root_ + L"\\" + name, KEY_WRITE));
    }
    const qm::UniqueKey key = qm::OpenKey(HKEY_CURRENT_USER, root_, KEY_ENUMERATE_SUB_KEYS);
    ASSERT_TRUE(key);
    std::vector<std::wstring> names = qm::SubkeyNames(key.get());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"One", L"Three", L"Two"}));
}

TEST_F(Registry, DeleteTreeRemovesTheKeyWithEverythingUnderIt) {
    const std::wstring tree = root_ + L"\\Tree";
    qm::WriteRegString(HKEY_CURRENT_USER, tree, L"", L"top");
    qm::WriteRegString(HKEY_CURRENT_USER, tree + L"\\A\\B", L"Value", L"deep");
    qm::WriteRegString(HKEY_CURRENT_USER, tree + L"\\C", L"", L"side");
    qm::WriteRegString(HKEY_CURRENT_USER, root_ + L"\\Kept", L"", L"sibling");

    EXPECT_EQ(qm::DeleteTree(HKEY_CURRENT_USER, tree), ERROR_SUCCESS);
    EXPECT_FALSE(qm::OpenKey(HKEY_CURRENT_USER, tree, KEY_READ));
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_ + L"\\Kept", L""), L"sibling");
    // Deleting what is not there says so and changes nothing.
    EXPECT_EQ(qm::DeleteTree(HKEY_CURRENT_USER, tree), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_ + L"\\Kept", L""), L"sibling");
}

TEST_F(Registry, DeleteTreeRefusesTheEmptySubkeyAndKeepsTheRootWhole) {
    qm::WriteRegString(HKEY_CURRENT_USER, root_ + L"\\Child", L"", L"child");
    qm::WriteRegString(HKEY_CURRENT_USER, root_, L"Own", L"value");
    const qm::UniqueKey key = qm::OpenKey(HKEY_CURRENT_USER, root_, KEY_ALL_ACCESS);
    ASSERT_TRUE(key);
    EXPECT_EQ(qm::DeleteTree(key.get(), L""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(qm::DeleteKey(key.get(), L""), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(qm::ReadStringValue(HKEY_CURRENT_USER, root_ + L"\\Child", L""), L"child");
    EXPECT_EQ(qm::ReadStringValue(key.get(), L"Own"), L"value");
}

TEST_F(Registry, DeleteKeyRemovesOnlyAKeyWithoutSubkeys) {
    qm::WriteRegString(HKEY_CURRENT_USER, root_ + L"\\Parent\\Child", L"", L"child");
    EXPECT_NE(qm::DeleteKey(HKEY_CURRENT_USER, root_ + L"\\Parent"), ERROR_SUCCESS);
    EXPECT_TRUE(qm::OpenKey(HKEY_CURRENT_USER, root_ + L"\\Parent\\Child", KEY_READ));
    EXPECT_EQ(qm::DeleteKey(HKEY_CURRENT_USER, root_ + L"\\Parent\\Child"), ERROR_SUCCESS);
    EXPECT_EQ(qm::DeleteKey(HKEY_CURRENT_USER, root_ + L"\\Parent"), ERROR_SUCCESS);
    EXPECT_FALSE(qm::OpenKey(HKEY_CURRENT_USER, root_ + L"\\Parent", KEY_READ));
}

}  // namespace
