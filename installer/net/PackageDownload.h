#pragma once
// The download-into-a-file profile: fetches the installer package with progress, checks it and keeps it
// locked against writing and deletion until the caller has started it.
#include "installer/net/FailureKind.h"
#include "installer/net/HttpTransfer.h"
#include "installer/net/ResponseHeaders.h"
#include "installer/net/Sha256.h"
#include "installer/net/WinHandle.h"

#include <windows.h>

#include <functional>
#include <string>

class CPackageDownload
{
public:
    // Called on the downloading thread with 1..90 whenever the whole percentage changes (a run starts at 0).
    using PercentCallback = std::function<void(int)>;

    static constexpr long kConnectTimeoutSec = 40;
    static constexpr long kDefaultStallSec = 30;

    // `cancelEvent` (manual-reset, may be null): once signalled, the transfer ends at the next progress call.
    CPackageDownload(PercentCallback onPercent, HANDLE cancelEvent);
    ~CPackageDownload();
    CPackageDownload(const CPackageDownload&) = delete;
    CPackageDownload& operator=(const CPackageDownload&) = delete;

    // Seconds without any received byte after which the transfer is given up.
    void SetStallLimit(long seconds) { m_nStallSec = seconds; }
    // Pause before the first retry (then twice, four times that); a cancel ends a pause at once.
    void SetRetryPause(DWORD firstPauseMs) { m_dwFirstPauseMs = firstPauseMs; }

    // An "http://" address becomes "https://": the package never comes over plain HTTP.
    static std::wstring UpgradeToHttps(const std::wstring& url);

    // Downloads `url` (upgraded to HTTPS; redirects must stay on HTTPS) into `targetPath`. `expectedSha256`
    // (hex, any case) is checked when not empty. A transient failure is tried again (CRetryPolicy); when the
    // server takes byte ranges, a retry asks only for the bytes still missing, provided the file is unchanged.
    // True: the file is complete, checked and held open read-only with writes and deletion denied
    // (until ReleaseFile). False: no file is left behind.
    bool Run(const std::wstring& url, const std::wstring& targetPath, const std::string& expectedSha256);

    // Ends the hold taken by a successful Run (call once the package process has started).
    void ReleaseFile() { m_hHeldFile.Close(); }
    // The read-only handle of that hold (null without one): checks of the file read the bytes that will run.
    HANDLE GetHeldFile() const { return m_hHeldFile.Get(); }
    // Removes a downloaded file that is not to be run.
    void Discard() { Fail(L"discarded", FailureNone); }

    const TransferResult& GetResult() const { return m_result; }
    // Digest of the received bytes, computed when a published digest was to be checked ("" otherwise).
    const std::string& GetSha256() const { return m_strSha256; }
    long long GetBytes() const { return m_nBytes; }
    bool WasCancelled() const;
    // Why a Run failed, for the log ("transfer", "http status", "digest mismatch", ...). Empty on success.
    const std::wstring& GetFailure() const { return m_strFailure; }
    // The same for the user; FailureNone on success or cancel.
    FailureKind GetFailureKind() const { return m_nFailureKind; }
    // Transfers made by the last Run (1 when the first one succeeded).
    int GetAttempts() const { return m_nAttempts; }

    // libcurl callbacks (classic double-valued progress): the progress callback answers "abort" once cancelled.
    static int CurlDownloadProgress(void* clientp, double dltotal, double dlnow, double ultotal, double ulnow);
    static int CurlTransferInfo(void* clientp, long long dltotal, long long dlnow, long long ultotal, long long ulnow);
    static size_t CurlWriteToFile(char* data, size_t size, size_t count, void* userdata);
    static size_t CurlHeader(char* data, size_t size, size_t count, void* userdata);

private:
    enum class AttemptEnd { Done, Retry, Stop };

    AttemptEnd Attempt(const std::string& url, int attempt);
    bool Transfer(const std::string& url, long long resumeFrom);
    bool BeginBody();
    bool Restart();
    bool WaitBeforeRetry(int retry);
    bool Hold();
    bool Fail(const wchar_t* why, FailureKind kind);

    PercentCallback m_onPercent;
    HANDLE m_hCancelEvent;
    long m_nStallSec = kDefaultStallSec;
    std::wstring m_strTarget;
    CWinHandle m_hWriteFile;
    CWinHandle m_hHeldFile;
    DWORD m_dwFirstPauseMs = 1000;
    int m_nLastPercent = 0;
    int m_nAttempts = 0;
    // Resuming: the validator and range support of the reply the file's bytes came from, the offset asked for
    // by the running transfer, and its reply as far as it has arrived.
    std::string m_strValidator;
    bool m_bRangesOk = false;
    long long m_nWholeLength = -1; // size the first reply gave the file, -1 when it did not say
    long long m_nResumeFrom = 0;
    long long m_nProgressBase = 0; // bytes already on disk when the running transfer's body began
    bool m_bBodyStarted = false;
    bool m_bRestartWanted = false;
    DWORD m_dwWriteError = 0;
    CResponseHeaders m_response;
    DWORD m_dwLastCancelCheck = 0;
    long long m_nBytes = 0;
    bool m_bHashing = false; // only when a digest was published
    CSha256 m_hash;          // of the bytes as they arrive
    std::string m_strSha256;
    TransferResult m_result;
    std::wstring m_strFailure;
    FailureKind m_nFailureKind = FailureNone;
};
