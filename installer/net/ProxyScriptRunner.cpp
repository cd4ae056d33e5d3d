#include "installer/net/ProxyScriptRunner.h"

#include "installer/net/GlobalText.h"
#include "installer/net/InstallLog.h"
#include "installer/net/ProcAddress.h"
#include "installer/net/TextConvert.h"
#include "installer/net/WinHttpHandle.h"

#include <map>
#include <mutex>

namespace {

// A script is small; anything larger is not one.
const size_t kMaxScriptBytes = 1024 * 1024;

// Downloaded scripts, by address: each is downloaded once per run.
std::mutex g_scriptsLock;
std::map<std::wstring, std::string> g_scripts;

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

void CProxyScriptRunner::LimitSteps(HINTERNET session)
{
    WinHttpSetTimeouts(session, kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs, kStepTimeoutMs);
}

bool CProxyScriptRunner::Answer(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer)
{
    std::wstring location = scriptUrl;
    if (location.empty()) {
        LPWSTR detected = nullptr;
        if (!WinHttpDetectAutoProxyConfigUrl(WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A, &detected))
            return false;
        location = CGlobalText(detected).Text();
    }
    std::string script;
    {
        std::lock_guard<std::mutex> guard(g_scriptsLock);
        const auto known = g_scripts.find(location);
        if (known != g_scripts.end())
            script = known->second;
    }
    if (script.empty()) {
        if (!Download(location, script)) {
            CInstallLog::Write(L"proxy: the configuration script %ls could not be downloaded", location.c_str());
            return false;
        }
        std::lock_guard<std::mutex> guard(g_scriptsLock);
        g_scripts[location] = script;
    }
    return Run(script, address, answer);
}

bool CProxyScriptRunner::Download(const std::wstring& location, std::string& script)
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
    return request.IsValid() && ReadScript(request.Get(), script);
}

bool CProxyScriptRunner::ReadScript(HINTERNET request, std::string& script)
{
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request, nullptr) ||
        !WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
        status != 200)
        return false;
    script.clear();
    char buffer[8192];
    for (;;) {
        DWORD got = 0;
        if (!WinHttpReadData(request, buffer, sizeof(buffer), &got))
            return false;
        if (got == 0)
            return !script.empty();
        script.append(buffer, got);
        if (script.size() > kMaxScriptBytes)
            return false;
    }
}

bool CProxyScriptRunner::Run(const std::string& script, const std::wstring& address, std::wstring& answer)
{
    static std::mutex engineLock;
    static HMODULE engine = LoadLibraryExW(L"jsproxy.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    const auto init = ProcAddress<InitScriptFn>(engine, "InternetInitializeAutoProxyDll");
    const auto run = ProcAddress<RunScriptFn>(engine, "InternetGetProxyInfo");
    const auto end = ProcAddress<EndScriptFn>(engine, "InternetDeInitializeAutoProxyDll");
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
