// quillmark-cli's own options as a process: --help and -h print the usage on standard output and
// succeed, a bare call prints it on standard error and is a usage error, --version prints the
// product version the build was configured with (project(Quillmark VERSION ...)).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "version.rc.h"

namespace {

namespace fs = std::filesystem;

struct Result {
    int code = -1;
    std::string out, err;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Result RunCli(const std::string& arguments) {
    const fs::path dir = fs::temp_directory_path() / ("qm-cli-options-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string cli = std::string(QM_BUILD_DIR) + "/quillmark-cli";
    const int status = std::system(
        ("\"" + cli + "\" " + arguments + " >\"" + (dir / "out").string() + "\" 2>\"" + (dir / "err").string() + "\"")
            .c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadAll(dir / "out");
    r.err = ReadAll(dir / "err");
    fs::remove_all(dir);
    return r;
}

TEST(CliOptions, HelpGoesToStandardOutputAndABareCallIsAUsageError) {
    ASSERT_TRUE(fs::exists(std::string(QM_BUILD_DIR) + "/quillmark-cli")) << "build quillmark-cli first";
    const Result bare = RunCli("");
    EXPECT_EQ(bare.code, 2);
    EXPECT_EQ(bare.out, "");
    ASSERT_EQ(bare.err.rfind("usage:\n", 0), 0u) << bare.err;
    for (const char* line : {"  quillmark-cli icons list FILE\n", "  quillmark-cli lang template OUT.ini\n",
                             "  quillmark-cli --version\n", "  quillmark-cli --help\n"}) {
        EXPECT_NE(bare.err.find(line), std::string::npos) << line;
    }
    for (const char* option : {"--help", "-h"}) {
        SCOPED_TRACE(option);
        const Result help = RunCli(option);
        EXPECT_EQ(help.code, 0);
        EXPECT_EQ(help.out, bare.err);
        EXPECT_EQ(help.err, "");
    }
    // Not an option of the tool: an unknown command.
    const Result wrong = RunCli("--helpme");
    EXPECT_EQ(wrong.code, 2);
    EXPECT_EQ(wrong.out, "");
}

TEST(CliOptions, VersionIsTheProjectVersion) {
    const Result version = RunCli("--version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("Quillmark ") + QM_VERSION_TEXT + "\n");
    EXPECT_EQ(version.err, "");
    // The line the installer and the package read (scripts/package, scripts/msix.py).
    const std::string cmake = ReadAll(fs::path(QM_SOURCE_DIR) / "CMakeLists.txt");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(cmake, m, std::regex(R"(\nproject\(Quillmark VERSION ([0-9.]+))")));
    EXPECT_EQ(m[1].str(), QM_VERSION_TEXT);
    EXPECT_EQ(std::to_string(QM_VERSION_MAJOR) + "." + std::to_string(QM_VERSION_MINOR) + "." +
                  std::to_string(QM_VERSION_PATCH),
              QM_VERSION_TEXT);
}

}  // namespace
