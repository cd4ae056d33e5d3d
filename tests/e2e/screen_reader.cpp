// A stand-in screen reader for the end-to-end tests: from its own process it asks the installer's windows
// for their accessible objects, as Narrator or NVDA would, and prints what it learns as UTF-8 lines.
//
//   screen_reader tree <window class>          one line per child: id, role, state (hex), name, value, action
//   screen_reader do <window class> <name>     the default action of the child of that name
//   screen_reader id <window class> <id>       the name of the child with that id, as a reader holding it asks
//   screen_reader events <seconds>            one line per focus change in the installer ("focus", name), per
//                                             state change ("state", name) and per dialog shown ("dialog",
//                                             window class)
#include <windows.h>
#include <oleacc.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// MinGW's import library resolves IID_IAccessible to a code thunk: the GUID is spelled out.
const IID kIIDAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

void PrintUtf8(const std::wstring& text)
{
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0,
                                        nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

VARIANT Child(long id)
{
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::wstring Text(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id)
{
    BSTR bstr = nullptr;
    (acc->*get)(Child(id), &bstr);
    std::wstring text = bstr != nullptr ? bstr : L"";
    ::SysFreeString(bstr);
    return text;
}

long Number(IAccessible* acc, HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id)
{
    VARIANT v;
    ::VariantInit(&v);
    (acc->*get)(Child(id), &v);
    return v.vt == VT_I4 ? v.lVal : -1;
}

IAccessible* ClientOf(const wchar_t* windowClass)
{
    HWND hWnd = ::FindWindowW(windowClass, nullptr);
    if (hWnd == nullptr) return nullptr;
    IAccessible* acc = nullptr;
    ::AccessibleObjectFromWindow(hWnd, static_cast<DWORD>(OBJID_CLIENT), kIIDAccessible,
                                 reinterpret_cast<void**>(&acc));
    return acc;
}

// The child ids, as readers list them (AccessibleChildren: the object's own enumeration, else 1..count).
std::vector<long> ChildIds(IAccessible* acc)
{
    long count = 0, got = 0;
    acc->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    ::AccessibleChildren(acc, 0, count, children.data(), &got);
    std::vector<long> ids;
    for (long i = 0; i < got; ++i) ids.push_back(children[static_cast<size_t>(i)].lVal);
    return ids;
}

int PrintTree(const wchar_t* windowClass)
{
    IAccessible* acc = ClientOf(windowClass);
    if (acc == nullptr) return 2;
    for (long id : ChildIds(acc)) {
        wchar_t head[64];
        std::swprintf(head, 64, L"%ld\t%ld\t%lx\t", id, Number(acc, &IAccessible::get_accRole, id),
                      static_cast<unsigned long>(Number(acc, &IAccessible::get_accState, id)));
        PrintUtf8(head + Text(acc, &IAccessible::get_accName, id) + L"\t" + Text(acc, &IAccessible::get_accValue, id) +
                  L"\t" + Text(acc, &IAccessible::get_accDefaultAction, id) + L"\n");
    }
    acc->Release();
    return 0;
}

int DoDefaultAction(const wchar_t* windowClass, const wchar_t* name)
{
    IAccessible* acc = ClientOf(windowClass);
    if (acc == nullptr) return 2;
    HRESULT hr = E_INVALIDARG;
    for (long id : ChildIds(acc)) {
        if (hr == E_INVALIDARG && Text(acc, &IAccessible::get_accName, id) == name) hr = acc->accDoDefaultAction(Child(id));
    }
    acc->Release();
    std::printf("%08lx\n", static_cast<unsigned long>(hr));
    return hr == S_OK ? 0 : 1;
}

int PrintName(const wchar_t* windowClass, long id)
{
    IAccessible* acc = ClientOf(windowClass);
    if (acc == nullptr) return 2;
    BSTR bstr = nullptr;
    const HRESULT hr = acc->get_accName(Child(id), &bstr);
    PrintUtf8((bstr != nullptr ? std::wstring(bstr) : std::wstring()) + L"\n");
    ::SysFreeString(bstr);
    acc->Release();
    return SUCCEEDED(hr) ? 0 : 1;
}

void CALLBACK OnFocus(HWINEVENTHOOK, DWORD event, HWND hWnd, LONG idObject, LONG idChild, DWORD, DWORD)
{
    if (event == EVENT_SYSTEM_DIALOGSTART) {
        wchar_t className[64] = L"";
        ::GetClassNameW(hWnd, className, 64);
        PrintUtf8(std::wstring(L"dialog\t") + className + L"\n");
        return;
    }
    IAccessible* acc = nullptr;
    VARIANT child;
    ::VariantInit(&child);
    if (FAILED(::AccessibleObjectFromEvent(hWnd, static_cast<DWORD>(idObject), static_cast<DWORD>(idChild), &acc,
                                           &child)) ||
        acc == nullptr) {
        return;
    }
    BSTR bstr = nullptr;
    acc->get_accName(child, &bstr);
    PrintUtf8(std::wstring(event == EVENT_OBJECT_STATECHANGE ? L"state\t" : L"focus\t") + (bstr != nullptr ? bstr : L"") +
              L"\n");
    ::SysFreeString(bstr);
    acc->Release();
}

int WatchFocus(DWORD seconds)
{
    HWND hWnd = ::FindWindowW(L"MainFrame", nullptr);
    DWORD pid = 0;
    if (hWnd != nullptr) ::GetWindowThreadProcessId(hWnd, &pid);
    if (pid == 0) return 2;
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnFocus, pid, 0,
                                           WINEVENT_OUTOFCONTEXT);
    HWINEVENTHOOK dialogHook = ::SetWinEventHook(EVENT_SYSTEM_DIALOGSTART, EVENT_SYSTEM_DIALOGSTART, nullptr, OnFocus,
                                                 pid, 0, WINEVENT_OUTOFCONTEXT);
    HWINEVENTHOOK stateHook = ::SetWinEventHook(EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_STATECHANGE, nullptr, OnFocus,
                                                pid, 0, WINEVENT_OUTOFCONTEXT);
    if (hook == nullptr || dialogHook == nullptr || stateHook == nullptr) return 2;
    std::printf("watching\n");
    std::fflush(stdout);
    const DWORD end = ::GetTickCount() + seconds * 1000;
    while (static_cast<LONG>(end - ::GetTickCount()) > 0) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    ::UnhookWinEvent(hook);
    ::UnhookWinEvent(dialogHook);
    ::UnhookWinEvent(stateHook);
    return 0;
}

}  // namespace

int main()
{
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc < 3) return 64;
    ::CoInitialize(nullptr);
    int rc = 64;
    if (std::wcscmp(argv[1], L"tree") == 0) rc = PrintTree(argv[2]);
    else if (std::wcscmp(argv[1], L"do") == 0 && argc >= 4) rc = DoDefaultAction(argv[2], argv[3]);
    else if (std::wcscmp(argv[1], L"id") == 0 && argc >= 4) rc = PrintName(argv[2], std::wcstol(argv[3], nullptr, 10));
    else if (std::wcscmp(argv[1], L"events") == 0) rc = WatchFocus(static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10)));
    ::CoUninitialize();
    ::LocalFree(argv);
    return rc;
}
