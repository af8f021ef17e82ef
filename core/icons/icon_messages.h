#pragma once
// The one seam through which the icon loaders show their messages. The product shows a plain
// message box with an OK button; tests and the command-line tool install a sink that reads the
// text. The sink is per thread (the shell may call the extension on several threads).
#include <functional>
#include <string>

namespace qm {

using IconMessageSink = std::function<void(const std::wstring& text)>;

// Shows text through this thread's sink, or by default (Windows: MessageBoxW without owner,
// MB_OK; natively: standard error).
void ShowIconLoadMessage(const std::wstring& text);

// Installs this thread's sink (empty: the default) and returns the one it replaces.
IconMessageSink SetIconMessageSink(IconMessageSink sink);

class ScopedIconMessageSink {
public:
    explicit ScopedIconMessageSink(IconMessageSink sink) : previous_(SetIconMessageSink(std::move(sink))) {}
    ~ScopedIconMessageSink() { SetIconMessageSink(std::move(previous_)); }
    ScopedIconMessageSink(const ScopedIconMessageSink&) = delete;
    ScopedIconMessageSink& operator=(const ScopedIconMessageSink&) = delete;

private:
    IconMessageSink previous_;
};

// The default presentation (defined per platform).
void ShowIconMessageByDefault(const std::wstring& text);

}  // namespace qm
