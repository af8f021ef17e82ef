#pragma once
// Quillmark.folder.ini, the small file copy mode leaves beside desktop.ini so that a folder's icon
// can be put back where desktop.ini does not travel (sync clients do not carry it, nor the
// folder's read-only mark). It holds what the apply wrote into desktop.ini: the copy's name, its
// index and the tooltip, as UTF-16LE text behind its byte-order mark in the section [Quillmark],
// at most 4 KB.
//
// The file arrives from elsewhere (a cloud, a share other people write to): the reader takes it
// as untrusted, reads at most kSidecarMaxBytes, and accepts only a bare name inside the folder of
// the form OstrelQuillmark3_*.ico.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr const wchar_t* kSidecarName = L"Quillmark.folder.ini";
inline constexpr const wchar_t* kSidecarSection = L"Quillmark";
inline constexpr std::size_t kSidecarMaxBytes = 4096;

struct SidecarRecord {
    std::wstring iconFile;   // the copy's bare name
    std::wstring iconIndex;  // decimal text
    std::wstring infotip;
    bool operator==(const SidecarRecord&) const = default;
};

// Why a sidecar was not taken.
enum class SidecarProblem {
    None,
    Unreadable,     // the platform refused to read it
    TooLarge,       // more than 4 KB
    WrongEncoding,  // not UTF-16LE behind its mark
    Cut,            // ends part-way (an odd byte, no line end after the last line) or lacks a key
    NoSection,      // no [Quillmark] section
    OutsideFolder,  // the name has a folder part, a drive, a stream or ".."
    NotACopy,       // the name is not OstrelQuillmark3_*.ico
    BadIndex,       // IconIndex is not a decimal integer of at most 11 characters
    NotAnIcon,      // the named file is missing, a folder, or does not parse as an icon
};

// The English message for a problem ("" for None).
std::wstring_view SidecarProblemText(SidecarProblem problem);

struct SidecarReading {
    SidecarProblem problem = SidecarProblem::None;
    SidecarRecord record;  // valid when problem is None
};

// The file's bytes: the mark, "[Quillmark]", IconFile, IconIndex and Infotip, each line ended by
// CR LF. Line breaks in a value become blanks; a tooltip that would make the file larger than
// 4 KB is shortened to fit.
std::vector<std::uint8_t> SidecarBytes(const SidecarRecord& record);

// Reads a sidecar's bytes; checks everything but the named file itself.
SidecarReading ParseSidecar(std::span<const std::uint8_t> bytes);

// A bare name of the form OstrelQuillmark3_*.ico (any case) that stays inside its folder: no
// separator, drive, stream, wildcard, control character or "..", at most 255 characters.
bool IsSafeCopyName(std::wstring_view name);

}  // namespace qm
