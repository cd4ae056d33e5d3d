#include "installer/net/HttpTransfer.h"

#include "installer/net/CurlEasy.h"
#include "installer/net/TextConvert.h"

#include <curl/curl.h>

#include <cwchar>

namespace {

size_t DiscardBody(char*, size_t size, size_t count, void*)
{
    return size * count;
}

void ApplyLimits(CCurlEasy& easy, const TransferLimits& limits)
{
    if (limits.connectTimeoutSec > 0)
        easy.SetLong(CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSec);
    if (limits.totalTimeoutSec > 0)
        easy.SetLong(CURLOPT_TIMEOUT, limits.totalTimeoutSec);
    // Finer limits, when given, replace the whole-second ones.
    if (limits.connectTimeoutMs > 0)
        easy.SetLong(CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    if (limits.totalTimeoutMs > 0)
        easy.SetLong(CURLOPT_TIMEOUT_MS, limits.totalTimeoutMs);
    if (limits.stallTimeSec > 0) {
        easy.SetLong(CURLOPT_LOW_SPEED_LIMIT, 1L);
        easy.SetLong(CURLOPT_LOW_SPEED_TIME, limits.stallTimeSec);
    }
    // Worker threads: libcurl must not use signals for its time-outs.
    easy.SetLong(CURLOPT_NOSIGNAL, 1L);
}

DWORD TotalMs(const TransferLimits& limits)
{
    return static_cast<DWORD>(limits.totalTimeoutMs > 0 ? limits.totalTimeoutMs : limits.totalTimeoutSec * 1000);
}

} // namespace

std::wstring TransferResult::Describe() const
{
    wchar_t text[64];
    swprintf(text, 64, L"curl %d", code);
    std::wstring out = text;
    if (!error.empty())
        out += L" (" + Utf8ToWideString(error) + L")";
    swprintf(text, 64, L", HTTP %ld", httpStatus);
    out += text;
    if (!refusedRedirect.empty())
        out += L", redirect to " + Utf8ToWideString(refusedRedirect) + L" refused";
    return out;
}

TransferResult CHttpTransfer::PerformOnce(CCurlEasy& easy, char* errorBuffer)
{
    errorBuffer[0] = '\0';
    TransferResult result;
    result.code = static_cast<int>(curl_easy_perform(easy.Get()));
    result.httpStatus = easy.GetResponseCode();
    if (result.code == 0)
        return result;
    result.error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(static_cast<CURLcode>(result.code));
    // A redirect to a scheme the transfer may not use ends it with its target as the address it was at.
    char* target = nullptr;
    if (result.code == CURLE_UNSUPPORTED_PROTOCOL && result.httpStatus >= 300 && result.httpStatus < 400 &&
        curl_easy_getinfo(easy.Get(), CURLINFO_EFFECTIVE_URL, &target) == CURLE_OK && target != nullptr)
        result.refusedRedirect = target;
    return result;
}

bool CHttpTransfer::NeverConnected(CCurlEasy& easy, const TransferResult& result)
{
    switch (result.code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_PROXY: // a SOCKS proxy that failed its handshake or could not reach the server
        return true;
    case CURLE_COULDNT_RESOLVE_HOST: // direct, where names resolve only through the proxy
        return easy.CurrentProxy().empty();
    case CURLE_OPERATION_TIMEDOUT: {
        curl_off_t connected = 0;
        return curl_easy_getinfo(easy.Get(), CURLINFO_CONNECT_TIME_T, &connected) == CURLE_OK && connected == 0;
    }
    default:
        return false;
    }
}

TransferResult CHttpTransfer::Perform(CCurlEasy& easy, char* errorBuffer, DWORD budgetMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        const TransferResult result = PerformOnce(easy, errorBuffer);
        // Nothing was sent: the next entry of the proxy list may do, within what is left of the time limit.
        if (!NeverConnected(easy, result) || !easy.UseNextProxy())
            return result;
        if (budgetMs > 0) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= budgetMs)
                return result;
            easy.SetLong(CURLOPT_TIMEOUT_MS, static_cast<long>(budgetMs - spent));
        }
    }
}

size_t CurlWriteToString(char* data, size_t size, size_t count, void* userdata)
{
    const size_t bytes = size * count;
    if (userdata != nullptr && bytes > 0)
        static_cast<std::string*>(userdata)->append(data, bytes);
    return bytes;
}

TransferLimits CHttpTransfer::LookupLimits()
{
    TransferLimits limits;
    limits.connectTimeoutSec = 3;
    limits.totalTimeoutSec = 6;
    return limits;
}

TransferResult CHttpTransfer::FetchToString(const std::string& url, std::string& body, const TransferLimits& limits)
{
    body.clear();
    CCurlEasy easy;
    if (!easy.IsValid())
        return TransferResult();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* curl = easy.Get();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    easy.UseSystemProxy(url);
    easy.FollowRedirects(url, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CurlWriteToString);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    ApplyLimits(easy, limits);
    return Perform(easy, errorBuffer, TotalMs(limits));
}

TransferResult CHttpTransfer::PostJson(const std::string& url, const std::string& json, const TransferLimits& limits)
{
    CCurlEasy easy;
    if (!easy.IsValid())
        return TransferResult();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* curl = easy.Get();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "POST");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    easy.UseSystemProxy(url);
    easy.FollowRedirects(url, kMaxRedirects);
    easy.AddHeader("Content-Type: application/json");
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, json.c_str());
    // The reply is never read; without a callback libcurl would print it to standard output.
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, DiscardBody);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    ApplyLimits(easy, limits);
    return Perform(easy, errorBuffer, TotalMs(limits));
}
