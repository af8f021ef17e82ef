#include "core/folder/folder_messages_win.h"

#include <mutex>

#include "core/base/message_owner_win.h"
#include "core/settings/language_support.h"

namespace qm {

namespace {
struct MessageRoute {
    std::mutex mutex;
    FolderMessageSink sink;
    HWND owner = nullptr;
};

MessageRoute& Route() {
    static MessageRoute route;
    return route;
}
}  // namespace

void SetFolderMessageSink(FolderMessageSink sink) {
    std::lock_guard lock(Route().mutex);
    Route().sink = std::move(sink);
}

void SetProgramMessageOwner(HWND owner) {
    std::lock_guard lock(Route().mutex);
    Route().owner = owner;
}

void ShowFolderMessage(MessageChannel channel, const FolderMessageText& english) {
    FolderMessage message{channel, {}, {}};
    if (channel == MessageChannel::Extension) {
        message.text = TranslateTextForExtension(english.text);
        message.caption = TranslateTextForExtension(english.caption);
    } else {
        message.text = TranslateText(english.text);
        message.caption = TranslateText(english.caption);
    }
    FolderMessageSink sink;
    HWND owner = nullptr;
    {
        std::lock_guard lock(Route().mutex);
        sink = Route().sink;
        owner = Route().owner;
    }
    if (sink) {
        sink(message);
    } else if (channel == MessageChannel::Extension) {
        MessageBoxW(ThreadMessageOwner(), message.text.c_str(), message.caption.c_str(), MB_OK);
    } else {
        MessageBoxExW(owner, message.text.c_str(), message.caption.c_str(), MB_OK, 0);
    }
}

}  // namespace qm
