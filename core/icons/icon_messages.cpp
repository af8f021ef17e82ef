#include "core/icons/icon_messages.h"

namespace qm {

namespace {
// This thread's sink, owned by the innermost ScopedIconMessageSink. A plain pointer: thread-local
// objects with destructors would make the runtime hold a module reference per thread in the
// shell extension.
thread_local const IconMessageSink* t_sink = nullptr;
}  // namespace

void ShowIconLoadMessage(const std::wstring& text) {
    if (t_sink && *t_sink) {
        (*t_sink)(text);
    } else {
        ShowIconMessageByDefault(text);
    }
}

ScopedIconMessageSink::ScopedIconMessageSink(IconMessageSink sink) : sink_(std::move(sink)), previous_(t_sink) {
    t_sink = &sink_;
}

ScopedIconMessageSink::~ScopedIconMessageSink() { t_sink = previous_; }

}  // namespace qm
