#include "installer/net/ProxyScript.h"

#include "installer/net/GlobalText.h"
#include "installer/net/InstallLog.h"
#include "installer/net/TextConvert.h"
#include "installer/net/WinHandle.h"
#include "installer/net/WinHttpHandle.h"

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>

namespace {

// A script is small; anything larger is not one.
const size_t kMaxScriptBytes = 1024 * 1024;
// How long a worker waits for the resolver service before it gives the address up.
const DWORD kServiceWaitMs = 30000;

struct Answer
{
    bool found = false;
    std::wstring text;
};

struct Shared
{
    std::mutex lock;
    std::map<std::wstring, std::shared_future<Answer>> answers; // by script address and address
    std::set<std::wstring> failed; // script addresses that gave nothing ("" for automatic detection)
    std::map<std::wstring, std::string> scripts; // downloaded for running here, by address
    bool slow = false;
};

Shared& State()
{
    static Shared shared;
    return shared;
}

std::wstring KeyOf(const std::wstring& scriptUrl, const std::wstring& address)
{
    return scriptUrl + L"\n" + address;
}

// DLLs that are not always loaded come from the system folder only, never from beside the program.
HMODULE LoadSystemDll(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return nullptr;
    return LoadLibraryW((std::wstring(folder) + L"\\" + name).c_str());
}

template <typename Function>
Function Entry(HMODULE module, const char* name)
{
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}

WINHTTP_AUTOPROXY_OPTIONS OptionsFor(const std::wstring& scriptUrl)
{
    WINHTTP_AUTOPROXY_OPTIONS options = {};
    if (!scriptUrl.empty()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = scriptUrl.c_str();
    } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    return options;
}

void LimitSteps(HINTERNET session)
{
    const int step = CProxyScript::kStepTimeoutMs;
    WinHttpSetTimeouts(session, step, step, step, step);
}

// The resolver service's list written as a script's answer: one form for both ways of getting it.
std::wstring AsScriptAnswer(const WINHTTP_PROXY_RESULT& result)
{
    std::wstring text;
    for (DWORD i = 0; i < result.cEntries; ++i) {
        const WINHTTP_PROXY_RESULT_ENTRY& entry = result.pEntries[i];
        std::wstring item = L"DIRECT";
        if (entry.fProxy && !entry.fBypass) {
            const wchar_t* keyword = entry.ProxyScheme == INTERNET_SCHEME_HTTPS   ? L"HTTPS "
                                     : entry.ProxyScheme == INTERNET_SCHEME_SOCKS ? L"SOCKS "
                                     : entry.ProxyScheme == INTERNET_SCHEME_HTTP  ? L"PROXY "
                                                                                  : nullptr;
            if (keyword == nullptr || entry.pwszProxy == nullptr)
                continue;
            item = keyword + std::wstring(entry.pwszProxy) + L":" + std::to_wstring(entry.ProxyPort);
        }
        text += (text.empty() ? L"" : L"; ") + item;
    }
    return text;
}

// The resolver calls back on its own thread; what it tells outlives a worker that stopped waiting.
struct ResolverCall
{
    CWinHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD error = ERROR_SUCCESS;
};

void CALLBACK OnResolved(HINTERNET, DWORD_PTR context, DWORD status, LPVOID information, DWORD)
{
    ResolverCall* call = reinterpret_cast<ResolverCall*>(context);
    if (call == nullptr)
        return;
    if (status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR && information != nullptr)
        call->error = static_cast<WINHTTP_ASYNC_RESULT*>(information)->dwError;
    SetEvent(call->done.Get());
}

// The script engine of the system: one script at a time for the whole process.
struct ScriptBuffer // AUTO_PROXY_SCRIPT_BUFFER of wininet.h, which cannot be included beside winhttp.h
{
    DWORD dwStructSize;
    LPSTR lpszScriptBuffer;
    DWORD dwScriptBufferSize;
};
using InitScriptFn = BOOL(CALLBACK*)(DWORD, LPSTR, LPSTR, void*, ScriptBuffer*);
using RunScriptFn = BOOL(CALLBACK*)(LPCSTR, DWORD, LPSTR, DWORD, LPSTR*, LPDWORD);
using EndScriptFn = BOOL(CALLBACK*)(LPSTR, DWORD);

} // namespace

void CProxyScript::Start(const std::wstring& scriptUrl, const std::wstring& address)
{
    Shared& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    const std::wstring key = KeyOf(scriptUrl, address);
    if (state.answers.count(key) != 0)
        return;
    auto promise = std::make_shared<std::promise<Answer>>();
    try {
        std::thread([promise, scriptUrl, address] {
            Answer answer;
            try {
                answer.found = Resolve(scriptUrl, address, answer.text);
            } catch (...) {
                answer = Answer();
            }
            promise->set_value(answer);
        }).detach();
    } catch (const std::system_error&) {
        return; // no thread: no answer
    }
    state.answers[key] = promise->get_future().share();
}

bool CProxyScript::AnswerFor(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer)
{
    Start(scriptUrl, address);
    Shared& state = State();
    std::shared_future<Answer> pending;
    DWORD wait = kWaitMs;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        const auto found = state.answers.find(KeyOf(scriptUrl, address));
        if (found == state.answers.end())
            return false;
        pending = found->second;
        if (state.slow)
            wait = 0;
    }
    if (pending.wait_for(std::chrono::milliseconds(wait)) != std::future_status::ready) {
        std::lock_guard<std::mutex> guard(state.lock);
        if (!state.slow)
            CInstallLog::Write(L"proxy: no answer from the configuration script for %ls within %lu ms, "
                               L"going on without it", address.c_str(), wait);
        state.slow = true;
        return false;
    }
    const Answer& result = pending.get();
    answer = result.text;
    return result.found;
}

bool CProxyScript::Resolve(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer)
{
    Shared& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.failed.count(scriptUrl) != 0)
            return false;
    }
    Outcome outcome = ResolveBySystem(scriptUrl, address, answer);
    if (outcome == Outcome::Unavailable)
        outcome = ResolveInProcess(scriptUrl, address, answer);
    if (outcome == Outcome::Answered) {
        CInstallLog::Write(L"proxy: the configuration script answers %ls for %ls", answer.c_str(), address.c_str());
        return true;
    }
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.failed.insert(scriptUrl).second)
        CInstallLog::Write(L"proxy: %ls gives no proxy list, not tried again",
                           scriptUrl.empty() ? L"automatic detection" : scriptUrl.c_str());
    return false;
}

CProxyScript::Outcome CProxyScript::ResolveBySystem(const std::wstring& scriptUrl, const std::wstring& address,
                                                    std::wstring& answer)
{
    static HMODULE winhttp = LoadSystemDll(L"winhttp.dll");
    using CreateResolverFn = DWORD(WINAPI*)(HINTERNET, HINTERNET*);
    using GetProxyForUrlExFn = DWORD(WINAPI*)(HINTERNET, PCWSTR, WINHTTP_AUTOPROXY_OPTIONS*, DWORD_PTR);
    using GetProxyResultFn = DWORD(WINAPI*)(HINTERNET, WINHTTP_PROXY_RESULT*);
    using FreeProxyResultFn = VOID(WINAPI*)(WINHTTP_PROXY_RESULT*);
    const auto createResolver = Entry<CreateResolverFn>(winhttp, "WinHttpCreateProxyResolver");
    const auto getProxyForUrlEx = Entry<GetProxyForUrlExFn>(winhttp, "WinHttpGetProxyForUrlEx");
    const auto getProxyResult = Entry<GetProxyResultFn>(winhttp, "WinHttpGetProxyResult");
    const auto freeProxyResult = Entry<FreeProxyResultFn>(winhttp, "WinHttpFreeProxyResult");
    if (!createResolver || !getProxyForUrlEx || !getProxyResult || !freeProxyResult)
        return Outcome::Unavailable;

    CWinHttpHandle session(WinHttpOpen(L"Pavonel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session.IsValid())
        return Outcome::Unavailable;
    LimitSteps(session.Get());
    // Made before the resolver, so that it outlives the resolver's handle and any last call back.
    std::unique_ptr<ResolverCall> call(new ResolverCall);
    HINTERNET resolverHandle = nullptr;
    if (createResolver(session.Get(), &resolverHandle) != ERROR_SUCCESS)
        return Outcome::Unavailable;
    CWinHttpHandle resolver(resolverHandle);
    WinHttpSetStatusCallback(resolver.Get(), OnResolved,
                             WINHTTP_CALLBACK_FLAG_REQUEST_ERROR | WINHTTP_CALLBACK_FLAG_GETPROXYFORURL_COMPLETE, 0);
    WINHTTP_AUTOPROXY_OPTIONS options = OptionsFor(scriptUrl);
    DWORD error = getProxyForUrlEx(resolver.Get(), address.c_str(), &options, reinterpret_cast<DWORD_PTR>(call.get()));
    if (error == ERROR_IO_PENDING) {
        if (WaitForSingleObject(call->done.Get(), kServiceWaitMs) != WAIT_OBJECT_0) {
            call.release(); // the resolver may still call back into it
            return Outcome::NoAnswer;
        }
        error = call->error;
    }
    if (error == ERROR_WINHTTP_AUTO_PROXY_SERVICE_ERROR || error == ERROR_CALL_NOT_IMPLEMENTED ||
        error == ERROR_NOT_SUPPORTED)
        return Outcome::Unavailable;
    if (error != ERROR_SUCCESS)
        return Outcome::NoAnswer;
    WINHTTP_PROXY_RESULT result = {};
    if (getProxyResult(resolver.Get(), &result) != ERROR_SUCCESS)
        return Outcome::NoAnswer;
    answer = AsScriptAnswer(result);
    freeProxyResult(&result);
    return Outcome::Answered;
}

CProxyScript::Outcome CProxyScript::ResolveInProcess(const std::wstring& scriptUrl, const std::wstring& address,
                                                     std::wstring& answer)
{
    std::wstring location = scriptUrl;
    if (location.empty()) {
        LPWSTR detected = nullptr;
        if (!WinHttpDetectAutoProxyConfigUrl(WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A, &detected))
            return Outcome::NoAnswer;
        location = CGlobalText(detected).Text();
    }
    Shared& state = State();
    std::string script;
    {
        std::lock_guard<std::mutex> guard(state.lock);
        const auto known = state.scripts.find(location);
        if (known != state.scripts.end())
            script = known->second;
    }
    if (script.empty()) {
        if (!DownloadScript(location, script)) {
            CInstallLog::Write(L"proxy: the configuration script %ls could not be downloaded", location.c_str());
            return Outcome::NoAnswer;
        }
        std::lock_guard<std::mutex> guard(state.lock);
        state.scripts[location] = script;
    }
    return RunScript(script, address, answer) ? Outcome::Answered : Outcome::NoAnswer;
}

bool CProxyScript::DownloadScript(const std::wstring& location, std::string& script)
{
    wchar_t host[256] = {};
    wchar_t path[2048] = {};
    wchar_t query[2048] = {};
    URL_COMPONENTS parts = {};
    parts.dwStructSize = sizeof(parts);
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    parts.lpszExtraInfo = query;
    parts.dwExtraInfoLength = 2048;
    if (!WinHttpCrackUrl(location.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return false;
    CWinHttpHandle session(
        WinHttpOpen(L"Pavonel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session.IsValid())
        return false;
    LimitSteps(session.Get());
    CWinHttpHandle connection(WinHttpConnect(session.Get(), host, parts.nPort, 0));
    const std::wstring object = std::wstring(path) + query;
    CWinHttpHandle request(connection.IsValid()
                               ? WinHttpOpenRequest(connection.Get(), L"GET", object.c_str(), nullptr,
                                                    WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                    parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
                               : nullptr);
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!request.IsValid() ||
        !WinHttpSendRequest(request.Get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr) ||
        !WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    script.clear();
    char buffer[8192];
    DWORD got = 0;
    while (WinHttpReadData(request.Get(), buffer, sizeof(buffer), &got) && got > 0) {
        script.append(buffer, got);
        if (script.size() > kMaxScriptBytes)
            return false;
    }
    return got == 0 && !script.empty();
}

bool CProxyScript::RunScript(const std::string& script, const std::wstring& address, std::wstring& answer)
{
    static std::mutex engineLock;
    static HMODULE engine = LoadSystemDll(L"jsproxy.dll");
    const auto init = Entry<InitScriptFn>(engine, "InternetInitializeAutoProxyDll");
    const auto run = Entry<RunScriptFn>(engine, "InternetGetProxyInfo");
    const auto end = Entry<EndScriptFn>(engine, "InternetDeInitializeAutoProxyDll");
    if (!init || !run || !end)
        return false;
    std::string text = script;
    std::string url = WideToUtf8String(address);
    const size_t hostStart = url.find("://") == std::string::npos ? 0 : url.find("://") + 3;
    std::string host = url.substr(hostStart, url.find_first_of(":/", hostStart) - hostStart);
    ScriptBuffer buffer = {sizeof(ScriptBuffer), &text[0], static_cast<DWORD>(text.size() + 1)};
    std::lock_guard<std::mutex> guard(engineLock);
    if (!init(0, nullptr, nullptr, nullptr, &buffer))
        return false;
    LPSTR result = nullptr;
    DWORD length = 0;
    const bool ran = run(url.c_str(), static_cast<DWORD>(url.size()), &host[0], static_cast<DWORD>(host.size()),
                         &result, &length) != FALSE;
    end(nullptr, 0);
    if (!ran || result == nullptr)
        return false;
    answer = Utf8ToWideString(result);
    GlobalFree(result);
    return true;
}
