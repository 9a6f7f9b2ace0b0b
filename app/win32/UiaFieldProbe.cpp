#include "app/win32/UiaFieldProbe.h"

#include <objbase.h>
#include <oleauto.h>

#include <map>
#include <mutex>
#include <vector>

namespace wl {

namespace {

// The part of UI Automation's client interfaces used here, declared by
// their method order (MinGW's headers do not declare them).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
struct IUiaElement : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetFocus() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRuntimeId(SAFEARRAY** runtimeId) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirst(int, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAll(int, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindFirstBuildCache(int, void*, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindAllBuildCache(int, void*, void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE BuildUpdatedCache(void*, void**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValue(int propertyId, VARIANT* value) = 0;
};
struct IUiaAutomation : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CompareElements(void*, void*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareRuntimeIds(SAFEARRAY*, SAFEARRAY*, BOOL*) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRootElement(IUiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IUiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE ElementFromPoint(POINT, IUiaElement**) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFocusedElement(IUiaElement**) = 0;
};
#pragma GCC diagnostic pop

constexpr CLSID kCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
constexpr IID kIUIAutomation = {
    0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
constexpr int kIsPasswordProperty = 30019;  // UIA_IsPasswordPropertyId

// An answer that takes longer than this says the element is too slow to be
// asked about every word.
constexpr ULONGLONG kSlowMs = 250;
constexpr std::size_t kElementsKept = 256;

using RuntimeId = std::vector<LONG>;

RuntimeId IdOf(IUiaElement* element) {
    RuntimeId id;
    SAFEARRAY* array = nullptr;
    if (FAILED(element->GetRuntimeId(&array)) || !array) return id;
    LONG low = 0, high = -1;
    void* data = nullptr;
    if (SafeArrayGetDim(array) == 1 && SUCCEEDED(SafeArrayGetLBound(array, 1, &low)) &&
        SUCCEEDED(SafeArrayGetUBound(array, 1, &high)) && high >= low && high - low < 64 &&
        SUCCEEDED(SafeArrayAccessData(array, &data))) {
        const LONG* values = static_cast<const LONG*>(data);
        id.assign(values, values + (high - low + 1));
        SafeArrayUnaccessData(array);
    }
    SafeArrayDestroy(array);
    return id;
}

}  // namespace

struct CUiaFieldProbe::Shared {
    HWND window = nullptr;
    HANDLE wake = nullptr;
    std::mutex lock;
    std::vector<std::uint32_t> asked;
    bool stop = false;
    std::map<RuntimeId, Answer> known;  // the worker's own

    ~Shared() {
        if (wake) CloseHandle(wake);
    }

    Answer Ask(IUiaAutomation* uia) {
        if (!uia) return Answer::NoProvider;
        const ULONGLONG start = GetTickCount64();
        IUiaElement* element = nullptr;
        if (FAILED(uia->GetFocusedElement(&element)) || !element) return Answer::NoProvider;
        const RuntimeId id = IdOf(element);
        if (auto it = known.find(id); !id.empty() && it != known.end()) {
            element->Release();
            return it->second;
        }
        Answer answer = Answer::NoProvider;
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(element->GetCurrentPropertyValue(kIsPasswordProperty, &value)) &&
            value.vt == VT_BOOL)
            answer = value.boolVal ? Answer::Password : Answer::Text;
        VariantClear(&value);
        element->Release();
        if (GetTickCount64() - start > kSlowMs) answer = Answer::Slow;
        if (!id.empty()) {
            if (known.size() >= kElementsKept) known.erase(known.begin());
            known[id] = answer;
        }
        return answer;
    }

    void Run() {
        const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
        IUiaAutomation* uia = nullptr;
        if (FAILED(CoCreateInstance(kCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, kIUIAutomation,
                                    reinterpret_cast<void**>(&uia))))
            uia = nullptr;
        for (;;) {
            WaitForSingleObject(wake, INFINITE);
            std::vector<std::uint32_t> tickets;
            {
                std::lock_guard<std::mutex> hold(lock);
                if (stop) break;
                tickets.swap(asked);
            }
            if (tickets.empty()) continue;
            // One question answers every word asked about meanwhile: they
            // were typed in the field that has the focus now.
            const Answer answer = Ask(uia);
            for (std::uint32_t ticket : tickets)
                PostMessageA(window, WM_FIELD_ANSWER, ticket, static_cast<LPARAM>(answer));
        }
        if (uia) uia->Release();
        if (com) CoUninitialize();
    }
};

namespace {

DWORD WINAPI ProbeThread(void* param) {
    // The thread keeps the shared part alive as long as it runs.
    std::unique_ptr<std::shared_ptr<CUiaFieldProbe::Shared>> shared(
        static_cast<std::shared_ptr<CUiaFieldProbe::Shared>*>(param));
    try {
        (*shared)->Run();
    } catch (...) {
    }
    return 0;
}

}  // namespace

CUiaFieldProbe::CUiaFieldProbe(HWND window) : shared_(std::make_shared<Shared>()) {
    shared_->window = window;
    shared_->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

CUiaFieldProbe::~CUiaFieldProbe() {
    if (!thread_) return;
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        shared_->stop = true;
    }
    SetEvent(shared_->wake);
    WaitForSingleObject(thread_, 1000);
    CloseHandle(thread_);
}

void CUiaFieldProbe::Ask(std::uint32_t ticket) {
    if (!shared_->wake) {
        PostMessageA(shared_->window, WM_FIELD_ANSWER, ticket,
                     static_cast<LPARAM>(Answer::NoProvider));
        return;
    }
    if (!thread_) {
        auto* param = new std::shared_ptr<Shared>(shared_);
        thread_ = CreateThread(nullptr, 0, ProbeThread, param, 0, nullptr);
        if (!thread_) {
            delete param;
            PostMessageA(shared_->window, WM_FIELD_ANSWER, ticket,
                         static_cast<LPARAM>(Answer::NoProvider));
            return;
        }
    }
    {
        std::lock_guard<std::mutex> hold(shared_->lock);
        if (shared_->asked.size() < 1024) shared_->asked.push_back(ticket);
    }
    SetEvent(shared_->wake);
}

}  // namespace wl
