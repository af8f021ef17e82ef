#pragma once
// The one way the folder engine talks to the user. The text and caption pass through the caller's
// lookup first (program or extension); then the program shows an MB_OK box owned by the
// application's window with language 0 (MessageBoxExW), the extension an MB_OK box owned by the
// thread's message owner (MessageBoxW; core/base/message_owner_win.h). A console tool or a test may
// take the messages instead (a sink).
#include <windows.h>

#include <functional>
#include <string>

#include "core/folder/folder_profiles.h"

namespace qm {

struct FolderMessage {
    MessageChannel channel;
    std::wstring text;     // translated
    std::wstring caption;  // translated
};

using FolderMessageSink = std::function<void(const FolderMessage&)>;
// Replaces the message boxes for this process; an empty sink brings the boxes back.
void SetFolderMessageSink(FolderMessageSink sink);

// The window that owns the program's message boxes (the application's window); none by default.
void SetProgramMessageOwner(HWND owner);

// The window that owns the program's message boxes for the life of the object.
class MessageOwnerScope {
public:
    explicit MessageOwnerScope(HWND owner) { SetProgramMessageOwner(owner); }
    ~MessageOwnerScope() { SetProgramMessageOwner(nullptr); }
    MessageOwnerScope(const MessageOwnerScope&) = delete;
    MessageOwnerScope& operator=(const MessageOwnerScope&) = delete;
};

// Translates through the channel's lookup and shows the message (or hands it to the sink).
void ShowFolderMessage(MessageChannel channel, const FolderMessageText& english);

}  // namespace qm
