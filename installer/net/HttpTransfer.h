#pragma once
// The two small transfer profiles: fetch a reply into memory, post a JSON body.
// One fresh easy handle per transfer, run synchronously on the calling thread.
#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

#include <cstddef>
#include <string>

// Time limits of one transfer, in seconds; 0 leaves libcurl's default (no limit).
struct TransferLimits
{
    long connectTimeoutSec = 0;
    long totalTimeoutSec = 0;
    long stallTimeSec = 0; // ends a transfer that moved no byte for this long
    long connectTimeoutMs = 0; // when set, replaces connectTimeoutSec
    long totalTimeoutMs = 0;   // when set, replaces totalTimeoutSec
};

struct TransferResult
{
    int code = 99;        // libcurl result; 0 = the transfer completed; 99 = no handle could be made
    long httpStatus = 0;  // 0 when no response arrived
    std::string error;    // libcurl's error text, empty on success
    std::string refusedRedirect; // where a redirect that ended a failed transfer pointed, "" when none

    bool Succeeded() const { return code == 0; }
    // "curl 0, HTTP 200", "curl 7 (Failed to connect...), HTTP 0" or "curl 1 (...), HTTP 302, redirect to ... refused"
    std::wstring Describe() const;
};

class CCurlEasy;

// Redirects followed by every profile; a longer chain (or a loop) fails instead of running for ever. A transfer
// that starts on https follows https redirects only.
constexpr long kMaxRedirects = 10;

// libcurl write callback: appends size * count bytes to the std::string passed as userdata.
size_t CurlWriteToString(char* data, size_t size, size_t count, void* userdata);

class CHttpTransfer
{
public:
    // Lookups (address service, IP service): a few seconds at most, a dead network must not hold up the user.
    static TransferLimits LookupLimits();

    // GET into memory. Success is the transfer's completion; the HTTP status is reported, not judged.
    static TransferResult FetchToString(const std::string& url, std::string& body, const TransferLimits& limits);
    // POST of a UTF-8 JSON text with "Content-Type: application/json"; the reply body is discarded.
    static TransferResult PostJson(const std::string& url, const std::string& json, const TransferLimits& limits);

    // Runs a configured handle whose CURLOPT_ERRORBUFFER is `errorBuffer` and collects its outcome. A transfer
    // that never reached its proxy (or server) is run again through the next entry of its proxy list, within
    // `budgetMs` in all when that is not 0.
    static TransferResult Perform(CCurlEasy& easy, char* errorBuffer, DWORD budgetMs = 0);

private:
    static TransferResult PerformOnce(CCurlEasy& easy, char* errorBuffer);
    static bool NeverConnected(CCurlEasy& easy, const TransferResult& result);
};
