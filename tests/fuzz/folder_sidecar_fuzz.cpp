// Sidecars of any content through the reader: bounded, and what it accepts is a bare copy name
// inside the folder, a decimal index, and text that the writer gives back the same way.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/folder/folder_profiles.h"
#include "core/folder/folder_sidecar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qm::SidecarReading reading = qm::ParseSidecar(std::span<const std::uint8_t>(data, size));
    if (reading.problem != qm::SidecarProblem::None) {
        if (qm::SidecarProblemText(reading.problem).empty()) std::abort();
        return 0;
    }
    if (size > qm::kSidecarMaxBytes) std::abort();
    const qm::SidecarRecord& r = reading.record;
    if (!qm::IsSafeCopyName(r.iconFile) || !qm::IsBareFileName(r.iconFile)) std::abort();
    if (r.iconFile.find(L"..") != std::wstring::npos) std::abort();
    if (!qm::ParseIconIndex(r.iconIndex)) std::abort();
    // Written again, it reads back with the same name and index (the tooltip may be shortened).
    const auto again = qm::ParseSidecar(qm::SidecarBytes(r));
    if (again.problem != qm::SidecarProblem::None || again.record.iconFile != r.iconFile ||
        again.record.iconIndex != r.iconIndex)
        std::abort();
    return 0;
}
