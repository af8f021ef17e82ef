// Extracting every icon group of a 1000-icon NE library, its PE twin and the largest PE module
// with icons at hand: our reader (in process, and `quillmark-cli icons extract FILE all`) against
// icoutils' wrestool, with reading the file once as the floor. Median of several runs; build with
// the release preset.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/median.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_library.h"
#include "tests/support/icon_fixtures.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double MedianMs(int runs, const std::function<void()>& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        f();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    return qmbench::Median(times);
}

void ReadOnce(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<char> bytes(fs::file_size(file));
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every group as an .ico file into `out`, the file opened and indexed once.
int ExtractAll(const fs::path& file, const fs::path& out) {
    qm::IconLibrary lib;
    if (!lib.Open(file.wstring())) return 0;
    for (int i = 0; i < lib.Count(); ++i) {
        qm::IconGroupData g;
        if (!lib.Group(i, g)) continue;
        qm::WriteNewFile((out / (std::to_string(i) + ".ico")).wstring(), qm::IcoFileBytes(g));
    }
    return lib.Count();
}

// The same, building every .ico in memory only: the reader's own cost.
std::size_t ExtractToMemory(const fs::path& file) {
    qm::IconLibrary lib;
    std::size_t total = 0;
    if (!lib.Open(file.wstring())) return 0;
    for (int i = 0; i < lib.Count(); ++i) {
        qm::IconGroupData g;
        if (lib.Group(i, g)) total += qm::IcoFileBytes(g).size();
    }
    return total;
}

void Run(const std::string& command) {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str());
}

void Fresh(const fs::path& dir) {
    fs::remove_all(dir);
    fs::create_directories(dir);
}

void Bench(const std::string& label, const fs::path& file, const fs::path& work) {
    const fs::path ours = work / "ours", cli = work / "cli", wres = work / "wrestool";
    int groups = 0;
    const double floor = MedianMs(7, [&] { ReadOnce(file); });
    std::size_t bytes = 0;
    const double inMemory = MedianMs(7, [&] { bytes = ExtractToMemory(file); });
    const double inProcess = MedianMs(7, [&] {
        Fresh(ours);
        groups = ExtractAll(file, ours);
    });
    const std::string cliExe = std::string(QM_BUILD_DIR) + "/quillmark-cli";
    const double viaCli = MedianMs(5, [&] {
        Fresh(cli);
        Run("'" + cliExe + "' icons extract '" + file.string() + "' all '" + cli.string() + "' >/dev/null");
    });
    const double viaWrestool = MedianMs(5, [&] {
        Fresh(wres);
        Run("wrestool -x -t 14 -o '" + wres.string() + "' '" + file.string() + "' 2>/dev/null");
    });
    std::printf("%s: %.1f KB, %d groups, %.1f KB of .ico output\n", label.c_str(), fs::file_size(file) / 1024.0, groups,
                bytes / 1024.0);
    std::printf("  read the file once            %9.2f ms\n", floor);
    std::printf("  ours, every group in memory   %9.2f ms\n", inMemory);
    std::printf("  ours, every group to a file   %9.2f ms\n", inProcess);
    std::printf("  quillmark-cli icons extract all %7.2f ms\n", viaCli);
    std::printf("  wrestool -x -t 14 -o          %9.2f ms\n", viaWrestool);
}

fs::path LargestPeWithIcons() {
    fs::path best;
    std::uintmax_t bestSize = 0;
    for (const char* dir :
         {"/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows"}) {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(dir, ec)) {
            if (!e.is_regular_file() || e.file_size() <= bestSize) continue;
            qm::IconLibrary lib;
            if (lib.Open(e.path().wstring()) && lib.Kind() == qm::kIconFilePe && lib.Count() > 0) {
                best = e.path();
                bestSize = e.file_size();
            }
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path work = fs::temp_directory_path() / ("qm-icon-bench-" + std::to_string(::getpid()));
    fs::create_directories(work);
    qmtest::IconSet set;
    set.AddGenerated(1000);
    const auto write = [&](const char* name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(work / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return work / name;
    };
    const fs::path ne = write("thousand.icl", qm::BuildNeIconLibrary(set.Icons()));
    const fs::path pe = write("thousand-pe.icl", qm::BuildPeIconLibrary(set.Icons()));
    Bench("1000-icon NE library", ne, work / "ne");
    Bench("1000-icon PE library", pe, work / "pe");
    const fs::path big = argc > 1 ? fs::path(argv[1]) : LargestPeWithIcons();
    if (!big.empty()) Bench(big.filename().string(), big, work / "big");
    fs::remove_all(work);
    return 0;
}
