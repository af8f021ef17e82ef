// The ".icl" shell verb in the real registry of the test prefix: registered with its caption and
// command line, seen as registered only with its command key, and removed again.
#include <gtest/gtest.h>

#include <windows.h>

#include "core/shell/icl_verb_win.h"
#include "core/shell/registry_win.h"
#include "tests/support/settings_backup_win.h"

namespace {

using qmtest::KeyExists;
using qmtest::ReadDefaultValue;

class IclVerb : public testing::Test {
protected:
    void SetUp() override { qm::UnregisterIclVerb(); }
    qmtest::ScopedRegistryDefaults kept_{HKEY_CLASSES_ROOT, {qm::kIclVerbKey, qm::kIclVerbCommandKey}};
};

TEST(IclVerbCommand, QuotesTheProgramAndThePlaceholder) {
    EXPECT_EQ(qm::IclVerbCommand(L"C:\\Program Files\\Quill mark\\Quillmark.exe"),
              L"\"C:\\Program Files\\Quill mark\\Quillmark.exe\" /INSTALL \"%1\"");
    EXPECT_EQ(qm::IclVerbCommand(L"C:\\Q\\Quillmark.exe"), L"\"C:\\Q\\Quillmark.exe\" /INSTALL \"%1\"");
}

TEST_F(IclVerb, RegisterWritesBothKeysAndUnregisterRemovesThem) {
    EXPECT_FALSE(qm::IclVerbRegistered());
    const std::wstring program = L"C:\\Quill mark\\Quillmark.exe";
    qm::RegisterIclVerb(L"Install as Theme \u00e9", program);
    EXPECT_TRUE(qm::IclVerbRegistered());
    EXPECT_EQ(ReadDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbKey), L"Install as Theme \u00e9");
    EXPECT_EQ(ReadDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbCommandKey), qm::IclVerbCommand(program));

    // Registering again rewrites both values in place.
    qm::RegisterIclVerb(L"Again", L"D:\\Q.exe");
    EXPECT_EQ(ReadDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbKey), L"Again");
    EXPECT_EQ(ReadDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbCommandKey), L"\"D:\\Q.exe\" /INSTALL \"%1\"");

    qm::UnregisterIclVerb();
    EXPECT_FALSE(qm::IclVerbRegistered());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, qm::kIclVerbCommandKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, qm::kIclVerbKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"iclfile\\shell"));  // the type's own keys stay
    EXPECT_NO_THROW(qm::UnregisterIclVerb());                      // nothing left: still no error
}

TEST_F(IclVerb, TheVerbWithoutItsCommandIsNotRegistered) {
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbKey, L"caption only"));
    EXPECT_FALSE(qm::IclVerbRegistered());
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, qm::kIclVerbCommandKey, L"x"));
    EXPECT_TRUE(qm::IclVerbRegistered());
}

TEST_F(IclVerb, UnregisterLeavesAVerbKeyHoldingOtherSubkeysWithoutError) {
    qm::RegisterIclVerb(L"Install", L"C:\\Q.exe");
    const std::wstring other = std::wstring(qm::kIclVerbKey) + L"\\other";
    ASSERT_TRUE(qmtest::WriteDefaultValue(HKEY_CLASSES_ROOT, other, L"not ours"));
    EXPECT_NO_THROW(qm::UnregisterIclVerb());
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, qm::kIclVerbCommandKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, other));
    EXPECT_EQ(qm::DeleteTree(HKEY_CLASSES_ROOT, qm::kIclVerbKey), ERROR_SUCCESS);
}

}  // namespace
