// quillmark-cli lang template as a process: the file it writes is the template, byte for byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <unistd.h>
#include <string>

#include "core/settings/language_template.h"

namespace {

namespace fs = std::filesystem;

int RunCli(const std::string& arguments) {
    const std::string cli = std::string(QM_BUILD_DIR) + "/quillmark-cli";
    const int status = std::system(("\"" + cli + "\" " + arguments + " >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(LangCli, TemplateWritesEveryKey) {
    ASSERT_TRUE(fs::exists(std::string(QM_BUILD_DIR) + "/quillmark-cli")) << "build quillmark-cli first";
    const fs::path dir = fs::temp_directory_path() / ("qm-lang-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "Template.ini";
    EXPECT_EQ(RunCli("lang template \"" + out.string() + "\""), 0);
    std::ifstream in(out, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(bytes, qm::LanguageTemplateFile());

    EXPECT_EQ(RunCli("lang template"), 2);          // no file named
    EXPECT_EQ(RunCli("lang frobnicate x.ini"), 2);  // no such command
    EXPECT_NE(RunCli("lang template \"" + (dir / "no such folder" / "x.ini").string() + "\""), 0);
    fs::remove_all(dir);
}

}  // namespace
