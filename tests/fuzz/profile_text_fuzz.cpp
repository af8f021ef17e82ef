// INI files of any bytes through the layer's own profile access (desktop.ini past MAX_PATH and
// every desktop.ini the engine writes): the bytes come back unchanged when nothing is written; a
// value written reads back; other keys read as before; a second identical write changes nothing.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/base/text.h"
#include "core/settings/profile_text.h"

namespace {

const qm::ProfileCodec& kCodec = qm::PortableProfileCodec();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    qm::ProfileText text(bytes, kCodec);
    const auto same = text.Bytes();
    if (same.size() != size || !std::equal(same.begin(), same.end(), data)) std::abort();

    const auto tipBefore = text.Read(L".ShellClassInfo", L"Infotip");
    const auto otherBefore = text.Read(L"Other", L"IconFile");
    // A value the engine could write: printable ASCII taken from the input, no blanks at its ends.
    std::wstring value;
    for (std::size_t i = 0; i < size && value.size() < 40; ++i)
        if (data[i] > 0x20 && data[i] < 0x7F && data[i] != '"' && data[i] != '\'') value.push_back(data[i]);
    text.Write(L".ShellClassInfo", L"IconFile", value);
    if (text.Read(L".ShellClassInfo", L"IconFile") != value) std::abort();
    if (text.Read(L".ShellClassInfo", L"Infotip") != tipBefore) std::abort();
    if (text.Read(L"Other", L"IconFile") != otherBefore) std::abort();
    const auto written = text.Bytes();
    text.Write(L".ShellClassInfo", L"IconFile", value);
    if (text.Bytes() != written) std::abort();
    qm::ProfileText again(written, kCodec);
    if (again.Read(L".ShellClassInfo", L"IconFile") != value || again.Encoding() != text.Encoding()) std::abort();

    // Rewritten as UTF-16LE (what the engine does to a file Windows cannot read), the file starts
    // with the mark and the value written reads back from its bytes.
    qm::ProfileText rewritten(bytes, kCodec);
    const bool wasLe = rewritten.Encoding() == qm::ProfileEncoding::Utf16Le;
    if (rewritten.RewriteAsUtf16Le() == wasLe) std::abort();
    rewritten.Write(L".ShellClassInfo", L"IconFile", value);
    const auto le = rewritten.Bytes();
    if (le.size() < 2 || le[0] != 0xFF || le[1] != 0xFE) std::abort();
    const qm::ProfileText reread(le, kCodec);
    if (reread.Encoding() != qm::ProfileEncoding::Utf16Le || reread.Read(L".ShellClassInfo", L"IconFile") != value)
        std::abort();
    return 0;
}
