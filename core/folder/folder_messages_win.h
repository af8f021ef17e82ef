#pragma once
// The one way the folder engine talks to the user. The text and caption pass through the caller's
// lookup first (program or extension); then an MB_OK box owned by the thread's message owner shows
// them (ShowUserMessage; core/base/message_owner_win.h: the program's windows and the extension's
// commands make themselves the owner for a scope). A console tool or a test may take the messages
// instead (a sink).
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

// Translates through the channel's lookup and shows the message (or hands it to the sink).
void ShowFolderMessage(MessageChannel channel, const FolderMessageText& english);

}  // namespace qm
