#pragma once

namespace qm {

// Whether this process runs elevated ("Run as administrator", or an installer's child): such a
// process neither sees the user's mapped drive letters nor may read HKLM's per-machine package
// state as a standard user would.
bool ProcessIsElevated();

}  // namespace qm
