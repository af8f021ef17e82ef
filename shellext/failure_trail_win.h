#pragma once
// The extension's failure trail: every failure inside a COM method or export leaves one line with
// its call site, the HRESULT and the system's text for it, written with OutputDebugStringW (what a
// maintainer watches on Windows with a debug viewer; a test seam may read it instead), e.g.
//   quillshell: TFolContMenu::QueryContextMenu: 0x80070005 Access is denied.
// Nothing is written to disk, and nothing here throws or shows anything.
#include <windows.h>

#include <new>
#include <string>

#include "core/base/error.h"

namespace qm::shellext {

// Writes the trail line of a failure at `site`; `detail`, when given, follows the system's text.
void ReportFailure(const char* site, HRESULT hr, const std::wstring& detail = {}) noexcept;

// The calling thread's last Win32 error as an HRESULT; E_FAIL when the call set none.
HRESULT LastErrorResult() noexcept;

// Runs `body` at a COM method or export named `site` and turns anything it throws into an
// HRESULT: nothing may leave the library into the shell's process. Every failure, returned or
// thrown, leaves its line in the trail.
template <class Body>
HRESULT Guarded(const char* site, Body&& body) noexcept {
    HRESULT hr = E_FAIL;
    try {
        hr = body();
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    } catch (const UserError& e) {
        ReportFailure(site, E_FAIL, e.text());
        return E_FAIL;
    } catch (...) {
        hr = E_FAIL;
    }
    if (FAILED(hr) && hr != E_NOTIMPL) ReportFailure(site, hr);  // E_NOTIMPL: a text the entry does not have
    return hr;
}

}  // namespace qm::shellext
