#include "core/folder/folder_messages_win.h"

#include <mutex>

#include "core/base/message_owner_win.h"
#include "core/settings/language_support.h"

namespace qm {

namespace {
struct MessageRoute {
    std::mutex mutex;
    FolderMessageSink sink;
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
    {
        std::lock_guard lock(Route().mutex);
        sink = Route().sink;
    }
    if (sink) {
        sink(message);
    } else {
        ShowUserMessage(message.text, message.caption, MB_OK);
    }
}

}  // namespace qm
