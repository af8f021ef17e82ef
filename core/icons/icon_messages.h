#pragma once
// The one seam through which the icon loaders show their messages. The product shows a plain
// message box with an OK button; tests and the command-line tool install a sink that reads the
// text. The sink is per thread (the shell may call the extension on several threads).
#include <functional>
#include <string>

namespace qm {

using IconMessageSink = std::function<void(const std::wstring& text)>;

// Shows text through this thread's sink, or by default (Windows: MessageBoxW owned by the thread's
// message owner, MB_OK; natively: standard error).
void ShowIconLoadMessage(const std::wstring& text);

// Installs a sink for this thread for the object's lifetime (an empty one means the default);
// the sink it replaces comes back when it ends. Scopes nest.
class ScopedIconMessageSink {
public:
    explicit ScopedIconMessageSink(IconMessageSink sink);
    ~ScopedIconMessageSink();
    ScopedIconMessageSink(const ScopedIconMessageSink&) = delete;
    ScopedIconMessageSink& operator=(const ScopedIconMessageSink&) = delete;

private:
    IconMessageSink sink_;
    const IconMessageSink* previous_;
};

// The default presentation (defined per platform).
void ShowIconMessageByDefault(const std::wstring& text);

}  // namespace qm
