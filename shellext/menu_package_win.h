#pragma once
// Whether the Windows 11 menu's package (its family name read from the Quillmark.msix beside the
// library, else the one compiled in from the build's manifest) is registered for the user. Its verb then shows under
// "Show more options" as well, so the classic menu handler adds nothing; without it (Windows 10, a plain install) the
// classic menu is the only one.
namespace qm::shellext {

// False when the system cannot tell (no GetPackagesByPackageFamily, any error).
bool MenuPackageRegistered() noexcept;

}  // namespace qm::shellext
