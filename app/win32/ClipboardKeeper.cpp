#include "app/win32/ClipboardKeeper.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "hook/VemoConstants.h"

namespace wl {

namespace {

// How often the clipboard is tried again while another program holds it.
constexpr DWORD kRetryMs = 20;
constexpr int kOpenTries = 5;

UINT Format(const char* name) {
    return RegisterClipboardFormatA(name);
}

// Formats whose data is no global memory block, or that only their owner
// can draw: they cannot be copied.  The system makes CF_BITMAP, CF_PALETTE
// and CF_METAFILEPICT again from CF_DIB and CF_ENHMETAFILE, which are kept.
bool Restorable(UINT format) {
    switch (format) {
        case CF_BITMAP:
        case CF_DSPBITMAP:
        case CF_PALETTE:
        case CF_METAFILEPICT:
        case CF_DSPMETAFILEPICT:
        case CF_DSPENHMETAFILE:
        case CF_OWNERDISPLAY:
            return false;
        default:
            return !(format >= CF_PRIVATEFIRST && format <= CF_GDIOBJLAST);
    }
}

HGLOBAL GlobalCopy(const void* data, std::size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
    if (!memory) return nullptr;
    void* p = GlobalLock(memory);
    if (!p) {
        GlobalFree(memory);
        return nullptr;
    }
    if (size) std::memcpy(p, data, size);
    GlobalUnlock(memory);
    return memory;
}

void SetGlobal(UINT format, const void* data, std::size_t size) {
    if (HGLOBAL memory = GlobalCopy(data, size))
        if (!SetClipboardData(format, memory)) GlobalFree(memory);
}

}  // namespace

CClipboardKeeper::~CClipboardKeeper() {
    Drop();
}

bool CClipboardKeeper::OpenWithRetry() {
    for (int i = 0; i < kOpenTries; ++i) {
        if (OpenClipboard(m_owner)) return true;
        Sleep(kRetryMs / 4);
    }
    return false;
}

bool CClipboardKeeper::Offer(const std::string& text, std::uint32_t encoding) {
    std::wstring wide;
    if (encoding == vemo::kReplaceUtf8) {
        const int n = text.empty() ? 0
                                   : MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                                         static_cast<int>(text.size()), nullptr, 0);
        if (n <= 0) return false;
        wide.resize(static_cast<std::size_t>(n));
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                            static_cast<int>(text.size()), wide.data(), n);
    } else if (encoding != vemo::kReplaceCodePage) {
        return false;
    }
    if (!m_owner || !OpenWithRetry()) return false;
    // A paste still waiting for its put-back holds the text of the one
    // before; the user's content is already kept.
    const bool ours = m_keeping && GetClipboardOwner() == m_owner;
    if (!ours) {
        Drop();
        if (!Save()) {
            CloseClipboard();
            Drop();
            return false;
        }
    }
    m_emptying = true;
    EmptyClipboard();
    m_emptying = false;
    m_keeping = true;
    m_rendered = false;
    m_offeredAt = GetTickCount();
    if (encoding == vemo::kReplaceUtf8) {
        m_textFormat = CF_UNICODETEXT;
        m_wide = std::move(wide);
        m_text.clear();
    } else {
        m_textFormat = CF_TEXT;
        m_text = text;
        m_wide.clear();
    }
    SetClipboardData(m_textFormat, nullptr);  // rendered when the paste asks
    MarkExcluded({});
    CloseClipboard();
    // Back after the wait unless the paste asks for the text before.
    SetTimer(m_owner, m_timerId, m_renderWaitMs, nullptr);
    return true;
}

// Every format that can be copied, with the clipboard open.
bool CClipboardKeeper::Save() {
    try {
        for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format)) {
            if (!Restorable(format)) continue;
            HANDLE data = GetClipboardData(format);
            if (!data) continue;  // its owner could not render it
            Saved saved;
            saved.format = format;
            if (format == CF_ENHMETAFILE) {
                saved.metafile = CopyEnhMetaFileA(static_cast<HENHMETAFILE>(data), nullptr);
                if (!saved.metafile) return false;
            } else {
                const SIZE_T size = GlobalSize(data);
                const void* p = size ? GlobalLock(data) : nullptr;
                if (!p) continue;  // no global memory: nothing to copy
                saved.bytes.assign(static_cast<const char*>(p), static_cast<const char*>(p) + size);
                GlobalUnlock(data);
            }
            m_saved.push_back(std::move(saved));
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CClipboardKeeper::Drop() {
    for (Saved& saved : m_saved)
        if (saved.metafile) DeleteEnhMetaFile(saved.metafile);
    m_saved.clear();
    m_keeping = false;
    m_text.clear();
    m_wide.clear();
    if (m_owner) KillTimer(m_owner, m_timerId);
}

// Clipboard history, cloud clipboard and clipboard monitors leave out what
// carries these; a format the content already has keeps its own value.
void CClipboardKeeper::MarkExcluded(const std::vector<UINT>& present) {
    const DWORD zero = 0;
    const struct {
        const char* name;
        bool value;
    } marks[] = {{"ExcludeClipboardContentFromMonitorProcessing", false},
                 {"CanIncludeInClipboardHistory", true},
                 {"CanUploadToCloudClipboard", true}};
    for (const auto& mark : marks) {
        const UINT format = Format(mark.name);
        if (!format || std::find(present.begin(), present.end(), format) != present.end()) continue;
        SetGlobal(format, &zero, mark.value ? sizeof zero : 0);
    }
}

void CClipboardKeeper::Render(UINT format) {
    if (!m_keeping || format != m_textFormat) return;
    if (format == CF_UNICODETEXT)
        SetGlobal(format, m_wide.c_str(), (m_wide.size() + 1) * sizeof(wchar_t));
    else
        SetGlobal(format, m_text.c_str(), m_text.size() + 1);
    m_rendered = true;
}

bool CClipboardKeeper::PutBack() {
    if (!m_keeping) return true;
    if (GetClipboardOwner() != m_owner) {
        Drop();  // something new was put there: it stays
        return true;
    }
    if (!OpenClipboard(m_owner)) return false;
    m_emptying = true;
    EmptyClipboard();
    m_emptying = false;
    std::vector<UINT> present;
    for (Saved& saved : m_saved) {
        if (saved.metafile) {
            if (SetClipboardData(saved.format, saved.metafile)) saved.metafile = nullptr;
        } else {
            SetGlobal(saved.format, saved.bytes.data(), saved.bytes.size());
        }
        present.push_back(saved.format);
    }
    // Put back, not copied anew: history has it already.
    if (!m_saved.empty()) MarkExcluded(present);
    CloseClipboard();
    Drop();
    return true;
}

bool CClipboardKeeper::OnMessage(UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
        case WM_RENDERFORMAT:
            Render(static_cast<UINT>(wp));
            // Back as soon as the paste has closed the clipboard.
            if (m_owner) SetTimer(m_owner, m_timerId, 0, nullptr);
            return true;
        case WM_RENDERALLFORMATS:
            Detach();
            return true;
        case WM_DESTROYCLIPBOARD:
            // Emptied by someone else: what they put there stays.
            if (!m_emptying) Drop();
            return true;
        case WM_TIMER: {
            if (wp != m_timerId) return false;
            const DWORD waited = GetTickCount() - m_offeredAt;
            if (!m_keeping) {
                Drop();
            } else if (m_rendered || waited >= m_renderWaitMs) {
                if (PutBack()) return true;
                if (waited >= m_renderWaitMs + kRestoreWaitMs)
                    Drop();  // held open for good
                else
                    SetTimer(m_owner, m_timerId, kRetryMs, nullptr);
            } else {
                SetTimer(m_owner, m_timerId, m_renderWaitMs - waited, nullptr);
            }
            return true;
        }
        default:
            return false;
    }
}

void CClipboardKeeper::Detach() {
    if (m_keeping && m_owner) {
        // The clipboard may be held open for a moment by the paste itself.
        for (int i = 0; i < kOpenTries && !PutBack(); ++i) Sleep(kRetryMs);
    }
    Drop();
}

}  // namespace wl
