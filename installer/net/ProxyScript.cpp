#include "installer/net/ProxyScript.h"

#include "installer/net/InstallLog.h"
#include "installer/net/ProxyScriptRunner.h"
#include "installer/net/ProcAddress.h"
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
        // Where the service is not available, the script is run here by the system's script engine, as WinHTTP
        // itself does on those systems.
        outcome = CProxyScriptRunner::Answer(scriptUrl, address, answer) ? Outcome::Answered : Outcome::NoAnswer;
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
    static HMODULE winhttp = LoadLibraryExW(L"winhttp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    using CreateResolverFn = DWORD(WINAPI*)(HINTERNET, HINTERNET*);
    using GetProxyForUrlExFn = DWORD(WINAPI*)(HINTERNET, PCWSTR, WINHTTP_AUTOPROXY_OPTIONS*, DWORD_PTR);
    using GetProxyResultFn = DWORD(WINAPI*)(HINTERNET, WINHTTP_PROXY_RESULT*);
    using FreeProxyResultFn = VOID(WINAPI*)(WINHTTP_PROXY_RESULT*);
    const auto createResolver = ProcAddress<CreateResolverFn>(winhttp, "WinHttpCreateProxyResolver");
    const auto getProxyForUrlEx = ProcAddress<GetProxyForUrlExFn>(winhttp, "WinHttpGetProxyForUrlEx");
    const auto getProxyResult = ProcAddress<GetProxyResultFn>(winhttp, "WinHttpGetProxyResult");
    const auto freeProxyResult = ProcAddress<FreeProxyResultFn>(winhttp, "WinHttpFreeProxyResult");
    if (!createResolver || !getProxyForUrlEx || !getProxyResult || !freeProxyResult)
        return Outcome::Unavailable;

    CWinHttpHandle session(WinHttpOpen(L"Pavonel", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session.IsValid())
        return Outcome::Unavailable;
    CProxyScriptRunner::LimitSteps(session.Get());
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

