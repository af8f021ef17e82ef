#include "core/icons/icon_messages.h"

#include <cstdio>

#include "core/base/text.h"

namespace qm {

namespace {
thread_local IconMessageSink t_sink;
}

void ShowIconLoadMessage(const std::wstring& text) {
    if (t_sink) {
        t_sink(text);
    } else {
        ShowIconMessageByDefault(text);
    }
}

IconMessageSink SetIconMessageSink(IconMessageSink sink) {
    IconMessageSink previous = std::move(t_sink);
    t_sink = std::move(sink);
    return previous;
}

#ifndef _WIN32
void ShowIconMessageByDefault(const std::wstring& text) {
    std::fprintf(stderr, "%s\n", WideToUtf8(text).c_str());
}
#endif

}  // namespace qm
