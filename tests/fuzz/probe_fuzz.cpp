// The probe, the icon library and the container's three loaders on a file with the input's
// bytes, under each of the names that change what the probe tests.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/base/error.h"
#include "core/base/text.h"
#include "core/icons/icon_library.h"
#include "core/icons/icon_messages.h"
#include "core/icons/icon_probe.h"
#include "core/icons/icon_container.h"

namespace {
std::wstring TempName(const wchar_t* extension) {
    static const std::wstring base = L"/tmp/qm-probe-fuzz-" + std::to_wstring(getpid());
    return base + extension;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qm::ScopedIconMessageSink quiet([](const std::wstring&) {});
    for (const wchar_t* extension : {L".ico", L".icl"}) {
        const std::wstring name = TempName(extension);
        qm::WriteNewFile(name, {data, size});
        std::int32_t kind = -1, count = -1;
        const bool ok = qm::ProbeIconFile(name, kind, count);
        if (kind < 0 || kind > 4 || count < 0 || ok != (count > 0)) std::abort();
        qm::IconLibrary library;
        if (library.Open(name)) {
            for (int i = 0; i < library.Count() && i < 64; ++i) (void)library.GroupDirectory(i);
        }
        for (std::uint8_t sourceKind : {0, 1, 2}) {
            qm::TWrenIcoObj icon;
            try {
                icon.LoadFromFile(name, sourceKind == 0 ? 7 : count > 0 ? count - 1 : 0, sourceKind);
            } catch (const qm::UserError&) {
                continue;
            }
            if (icon.Loaded) (void)icon.IcoBytes();
        }
        unlink(qm::WideToUtf8(name).c_str());
    }
    return 0;
}
