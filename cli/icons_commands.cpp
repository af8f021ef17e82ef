// quillmark-cli icons ...: list the icons of a file, extract them as .ico files, pack .ico files
// into an icon library.
#include <charconv>
#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/command_table.h"
#include "core/base/error.h"
#include "core/base/text.h"
#include "core/icons/icon_file.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_library_writer.h"
#include "core/icons/icon_messages.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_container.h"
#ifdef _WIN32
#include "core/icons/picture_codec_win.h"
#endif

namespace qm::cli {
namespace {

constexpr std::wstring_view kUsage =
    L"icons list FILE\n"
    L"icons extract FILE INDEX OUT.ico\n"
    L"icons extract FILE all OUT-FOLDER\n"
    L"icons pack OUT.icl [--pe] IN.ico...\n"
    L"icons make OUT.ico PICTURE";

std::wstring KindName(std::int32_t kind) {
    switch (kind) {
        case kIconFileIco: return L"ico";
        case kIconFilePe: return L"pe";
        case kIconFileNe: return L"ne";
        default: return L"unknown";
    }
}

std::wstring ResourceName(const PeResourceName& name) {
    return name.isId ? L"id " + std::to_wstring(name.id) : L"name \"" + name.name + L"\"";
}

// Opens the file as an icon library, its kind decided by its content (whatever its name, and
// without the rules by which an apply's probe refuses a file); prints why not and returns false.
bool OpenSource(const std::wstring& file, std::int32_t& kind, std::int32_t& count, IconLibrary& library) {
    if (!library.Open(file)) {
        Err(L"cannot open " + file + L": " + LastOpenErrorText() + L"\n");
        return false;
    }
    kind = library.Kind();
    count = library.Count();
    if (kind == kIconFileUnknown) {
        Err(file + L": not an icon file, NE icon library or PE module\n");
        return false;
    }
    return true;
}

// The format found, first line of a listing and of an extraction.
void SayKind(std::int32_t kind) { Out(L"kind " + std::to_wstring(kind) + L" " + KindName(kind) + L"\n"); }

int List(const std::vector<std::wstring>& args) {
    if (args.size() != 1) return Err(L"usage: quillmark-cli icons list FILE\n"), kExitUsage;
    std::int32_t kind = 0, count = 0;
    IconLibrary library;
    if (!OpenSource(args[0], kind, count, library)) return kExitFailed;
    const int groups = count;
    SayKind(kind);
    Out(L"count " + std::to_wstring(count) + L"\n");
    int result = kExitOk;
    for (int i = 0; i < groups; ++i) {
        IconGroupData group;
        std::wstring failure;
        if (!library.Group(i, group, &failure)) {
            Out(L"icon " + std::to_wstring(i) + L" " + ResourceName(library.GroupName(i)) + L": " + failure + L"\n");
            result = kExitFailed;
            continue;
        }
        Out(L"icon " + std::to_wstring(i) + L" " + ResourceName(library.GroupName(i)) + L": " +
            std::to_wstring(group.entries.size()) + L" images\n");
        for (std::size_t k = 0; k < group.entries.size(); ++k) {
            const GroupIconEntry& e = group.entries[k];
            Out(L"  image " + std::to_wstring(k) + L": width " + std::to_wstring(e.Width) + L" height " +
                std::to_wstring(e.Height) + L" colors " + std::to_wstring(e.ColorCount) + L" bits " +
                std::to_wstring(e.BitCount) + L" bytes " + std::to_wstring(e.BytesInRes) + L"\n");
        }
    }
    return result;
}

bool ParseIndex(const std::wstring& text, std::int32_t& index) {
    const std::string ascii = WideToUtf8(text);
    long long value = 0;
    auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec != std::errc() || end != ascii.data() + ascii.size() || ascii.empty() || value < INT32_MIN ||
        value > INT32_MAX) {
        return false;
    }
    index = static_cast<std::int32_t>(value);
    return true;
}

// One icon through the container, exactly as a folder's copy is made.
int ExtractOne(const std::wstring& file, std::int32_t kind, std::int32_t index, const std::wstring& out) {
    const auto sourceKind = SourceKindFor(kind);
    if (!sourceKind) {
        Err(file + L": not an icon file, NE icon library or PE module\n");
        return kExitFailed;
    }
    std::vector<std::wstring> messages;
    ScopedIconMessageSink sink([&](const std::wstring& text) { messages.push_back(text); });
    TWrenIcoObj icon;
    icon.LoadFromFile(file, index, *sourceKind);
    for (const std::wstring& m : messages) Err(m + L"\n");
    if (!icon.Loaded) {
        Err(L"no icon #" + std::to_wstring(index) + L" could be loaded from " + file + L"\n");
        return kExitFailed;
    }
    icon.SaveToFile(out);
    return kExitOk;
}

// Every group, reading the file once; OUT/<index>.ico each.
int ExtractAll(const std::wstring& file, const std::wstring& folder) {
    std::int32_t kind = 0, count = 0;
    IconLibrary library;
    if (!OpenSource(file, kind, count, library)) return kExitFailed;
    SayKind(kind);
    std::error_code ec;
    const std::filesystem::path dir(folder);
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        Err(L"cannot create the folder " + folder + L"\n");
        return kExitFailed;
    }
    int result = kExitOk;
    for (int i = 0; i < library.Count(); ++i) {
        IconGroupData group;
        std::wstring failure;
        if (!library.Group(i, group, &failure)) {
            Err(L"icon #" + std::to_wstring(i) + L": " + failure + L"\n");
            result = kExitFailed;
            continue;
        }
        const std::vector<std::uint8_t> bytes = IcoFileBytes(group);
        WriteNewFile((dir / (std::to_wstring(i) + L".ico")).wstring(), bytes);
    }
    if (library.Count() == 0) {
        Err(file + L": no icons to extract\n");
        result = kExitFailed;
    }
    return result;
}

int Extract(const std::vector<std::wstring>& args) {
    if (args.size() != 3) return Err(L"usage: quillmark-cli icons extract FILE INDEX|all OUT\n"), kExitUsage;
    if (args[1] == L"all") return ExtractAll(args[0], args[2]);
    std::int32_t index = 0;
    if (!ParseIndex(args[1], index)) {
        Err(L"not an icon index: " + args[1] + L"\n");
        return kExitUsage;
    }
    std::int32_t kind = 0, count = 0;
    IconLibrary library;
    if (!OpenSource(args[0], kind, count, library)) return kExitFailed;
    library.Close();
    SayKind(kind);
    return ExtractOne(args[0], kind, index, args[2]);
}

int Pack(const std::vector<std::wstring>& args) {
    std::wstring out;
    bool pe = false;
    std::vector<std::wstring> inputs;
    for (const std::wstring& a : args) {
        if (a == L"--pe") {
            pe = true;
        } else if (out.empty()) {
            out = a;
        } else {
            inputs.push_back(a);
        }
    }
    if (out.empty() || inputs.empty())
        return Err(L"usage: quillmark-cli icons pack OUT.icl [--pe] IN.ico...\n"), kExitUsage;
    std::vector<InputFile> files(inputs.size());
    std::vector<LibraryIcon> icons(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (!OpenForReading(files[i], inputs[i])) {
            Err(L"cannot open " + inputs[i] + L": " + LastOpenErrorText() + L"\n");
            return kExitFailed;
        }
        std::wstring failure;
        if (!ReadIcoFile(files[i].Bytes(), icons[i].icon, failure)) {
            Err(inputs[i] + L": " + failure + L"\n");
            return kExitFailed;
        }
    }
    const std::vector<std::uint8_t> bytes = pe ? BuildPeIconLibrary(icons) : BuildNeIconLibrary(icons);
    WriteNewFile(out, bytes);
    return kExitOk;
}

// A picture (PNG, JPEG, BMP, GIF, TIFF) as a square icon of every made size.
// Pictures are decoded by the platform's imaging component, so only the Windows build makes them.
int Make(const std::vector<std::wstring>& args) {
    if (args.size() != 2) return Err(L"usage: quillmark-cli icons make OUT.ico PICTURE\n"), kExitUsage;
#ifdef _WIN32
    const std::vector<std::uint8_t> ico = MakePictureIcon(args[1]);
    WriteNewFile(args[0], ico);
    return kExitOk;
#else
    Err(L"icons make: pictures are decoded by Windows' imaging component\n");
    return kExitFailed;
#endif
}

int RunIcons(const std::vector<std::wstring>& args) {
    if (!args.empty()) {
        const std::vector<std::wstring> rest(args.begin() + 1, args.end());
        if (args[0] == L"list") return List(rest);
        if (args[0] == L"extract") return Extract(rest);
        if (args[0] == L"pack") return Pack(rest);
        if (args[0] == L"make") return Make(rest);
    }
    Err(std::wstring(L"usage:\n  quillmark-cli ") +
        L"icons list FILE | extract FILE INDEX|all OUT | pack OUT.icl [--pe] IN.ico... | make OUT.ico PICTURE\n");
    return kExitUsage;
}

const CommandGroupRegistrar registrar{L"icons", kUsage, &RunIcons};

}  // namespace
}  // namespace qm::cli
