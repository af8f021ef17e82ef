#pragma once
// File attribute bits of Windows 10 and later that MinGW-w64's headers do not define.
#include <windows.h>

namespace qm {

// The user's choice in a cloud sync root: "Always keep on this device" and "Free up space".
inline constexpr DWORD kAttributePinned = 0x00080000;    // FILE_ATTRIBUTE_PINNED
inline constexpr DWORD kAttributeUnpinned = 0x00100000;  // FILE_ATTRIBUTE_UNPINNED
// Opening the item (a folder: listing it) or reading its data fetches it from the cloud.
inline constexpr DWORD kAttributeRecallOnOpen = 0x00040000;        // FILE_ATTRIBUTE_RECALL_ON_OPEN
inline constexpr DWORD kAttributeRecallOnDataAccess = 0x00400000;  // FILE_ATTRIBUTE_RECALL_ON_DATA_ACCESS
inline constexpr DWORD kAttributesOfRecall = kAttributeRecallOnOpen | kAttributeRecallOnDataAccess;

// The bits Windows and the sync provider own: an attribute change of ours keeps them as they are.
inline constexpr DWORD kAttributesOwnedByWindows =
    kAttributePinned | kAttributeUnpinned | FILE_ATTRIBUTE_OFFLINE | kAttributesOfRecall;

}  // namespace qm
