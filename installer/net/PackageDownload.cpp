#include "installer/net/PackageDownload.h"

#include "installer/net/CurlEasy.h"
#include "installer/net/InstallLog.h"
#include "installer/net/RetryPolicy.h"
#include "installer/net/TextConvert.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>

namespace {

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool ParentIsPlainFolder(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos)
        return true;
    const DWORD attributes = GetFileAttributesW(path.substr(0, slash).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

} // namespace

std::wstring CPackageDownload::UpgradeToHttps(const std::wstring& url)
{
    const wchar_t plain[] = L"http://";
    if (url.size() >= 7 && _wcsnicmp(url.c_str(), plain, 7) == 0)
        return L"https://" + url.substr(7);
    return url;
}

CPackageDownload::CPackageDownload(PercentCallback onPercent, HANDLE cancelEvent)
    : m_onPercent(std::move(onPercent)), m_hCancelEvent(cancelEvent)
{
}

CPackageDownload::~CPackageDownload()
{
    m_hWriteFile.Close();
    m_hHeldFile.Close();
}

bool CPackageDownload::WasCancelled() const
{
    return m_hCancelEvent != nullptr && WaitForSingleObject(m_hCancelEvent, 0) == WAIT_OBJECT_0;
}

int CPackageDownload::CurlDownloadProgress(void* clientp, double dltotal, double dlnow, double, double)
{
    CPackageDownload* self = static_cast<CPackageDownload*>(clientp);
    if (self == nullptr)
        return 0;
    // Asking the kernel about the event on every call would cost more than the transfer itself: a tenth of a
    // second is soon enough to notice that the user is leaving.
    const DWORD now = GetTickCount();
    if (now - self->m_dwLastCancelCheck >= 100) {
        self->m_dwLastCancelCheck = now;
        if (self->WasCancelled())
            return 1; // end the transfer now
    }
    // Only the reply whose body goes into the file counts. libcurl reads the page a redirect carries (a
    // redirector's short HTML) and drops it, but reports it as the progress of the transfer: counted, it would
    // take the bar to 90 at once, and the bar, which never runs backwards, would stay there.
    if (dltotal > 0 && self->m_bBodyStarted) {
        // A resumed transfer counts only the missing bytes: the bytes already on disk come first. A restart
        // from zero holds the bar where it was until the new transfer passes it: it never runs backwards.
        const double base = static_cast<double>(self->m_nProgressBase);
        int percent = static_cast<int>((base + dlnow) / ((base + dltotal) / 90.0));
        percent = std::max(0, std::min(90, percent));
        if (percent > self->m_nLastPercent) {
            self->m_nLastPercent = percent;
            if (self->m_onPercent)
                self->m_onPercent(percent);
        }
    }
    return 0;
}

int CPackageDownload::CurlTransferInfo(void* clientp, long long dltotal, long long dlnow, long long ultotal,
                                       long long ulnow)
{
    // libcurl's current progress hook passes byte counts as integers; the percentage is computed the classic way.
    return CurlDownloadProgress(clientp, static_cast<double>(dltotal), static_cast<double>(dlnow),
                                static_cast<double>(ultotal), static_cast<double>(ulnow));
}

size_t CPackageDownload::CurlWriteToFile(char* data, size_t size, size_t count, void* userdata)
{
    CPackageDownload* self = static_cast<CPackageDownload*>(userdata);
    const size_t bytes = size * count;
    if (!self->m_bBodyStarted && !self->BeginBody())
        return 0; // this reply cannot continue the file: the transfer ends, the next one starts over
    const char* cursor = data;
    size_t left = bytes;
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(self->m_hWriteFile.Get(), cursor, static_cast<DWORD>(left), &written, nullptr) || written == 0) {
            self->m_dwWriteError = GetLastError();
            return 0; // libcurl ends the transfer with a write error
        }
        cursor += written;
        left -= written;
    }
    if (self->m_bHashing)
        self->m_hash.Update(data, bytes);
    self->m_nBytes += static_cast<long long>(bytes);
    return bytes;
}

size_t CPackageDownload::CurlHeader(char* data, size_t size, size_t count, void* userdata)
{
    const size_t bytes = size * count;
    static_cast<CPackageDownload*>(userdata)->m_response.AddLine(data, bytes);
    return bytes;
}

bool CPackageDownload::BeginBody()
{
    m_bBodyStarted = true;
    const long status = m_response.Status();
    if (m_nResumeFrom > 0 && status == 206) {
        if (m_response.RangeStart() != m_nResumeFrom) {
            CInstallLog::Write(L"download: the server resumed at byte %lld instead of %lld, starting over",
                               m_response.RangeStart(), m_nResumeFrom);
            m_bRestartWanted = true;
            return false;
        }
        if (m_response.Validator() != m_strValidator) {
            CInstallLog::WriteLine(L"download: the file changed on the server, starting over");
            m_bRestartWanted = true;
            return false;
        }
        // The same name for another file (a server that does not change its validator on every update): the
        // rest of a file of another size cannot continue the bytes on disk.
        if (m_response.WholeLength() != m_nWholeLength) {
            CInstallLog::Write(L"download: the file is now %lld bytes instead of %lld, starting over",
                               m_response.WholeLength(), m_nWholeLength);
            m_bRestartWanted = true;
            return false;
        }
        m_nProgressBase = m_nResumeFrom;
        return true;
    }
    if (status == 206 && m_response.RangeStart() != 0) {
        m_bRestartWanted = true; // a part nobody asked for
        return false;
    }
    if (m_nResumeFrom > 0) {
        // The range was not granted (ignored, or the file changed): this reply is the whole file.
        CInstallLog::Write(L"download: the server sent the whole file (HTTP %ld), starting over from byte 0", status);
        if (!Restart())
            return false;
    }
    m_nProgressBase = 0;
    m_strValidator = m_response.Validator();
    // Only a file of known size can be continued: the rest must be shown to belong to a file of that size.
    m_nWholeLength = m_response.WholeLength();
    m_bRangesOk = m_response.AcceptsByteRanges() && m_nWholeLength >= 0;
    return true;
}

bool CPackageDownload::Restart()
{
    LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(m_hWriteFile.Get(), zero, nullptr, FILE_BEGIN) || !SetEndOfFile(m_hWriteFile.Get())) {
        m_dwWriteError = GetLastError();
        return false;
    }
    m_nBytes = 0;
    m_hash.Reset();
    return true;
}

bool CPackageDownload::WaitBeforeRetry(int retry)
{
    const DWORD pause = CRetryPolicy::PauseBefore(retry, m_dwFirstPauseMs);
    if (m_hCancelEvent == nullptr) {
        Sleep(pause);
        return true;
    }
    return WaitForSingleObject(m_hCancelEvent, pause) == WAIT_TIMEOUT;
}

CPackageDownload::AttemptEnd CPackageDownload::Attempt(const std::string& url, int attempt)
{
    // Only bytes of a reply that named its version and takes ranges are continued; anything else starts over.
    const bool resume = m_nBytes > 0 && m_bRangesOk && !m_strValidator.empty();
    if (!resume && m_nBytes > 0 && !Restart()) {
        Fail(L"the partial file could not be rewound", FailureDisk);
        return AttemptEnd::Stop;
    }
    m_nAttempts = attempt;
    const long long from = resume ? m_nBytes : 0;
    bool done = Transfer(url, from);
    CInstallLog::Write(L"download attempt %d from byte %lld: %ls, %lld bytes on disk", attempt, from,
                       m_result.Describe().c_str(), m_nBytes);
    if (done && m_nWholeLength >= 0 && m_nBytes != m_nWholeLength) {
        // A complete reply that leaves the file short of its size (a part ending early) is a broken-off one.
        CInstallLog::Write(L"download: the reply ended at byte %lld of %lld", m_nBytes, m_nWholeLength);
        m_result.code = CURLE_PARTIAL_FILE;
        done = false;
    }
    if (done)
        return AttemptEnd::Done;
    if (WasCancelled()) {
        Fail(L"cancelled", FailureNone);
        return AttemptEnd::Stop;
    }
    if (m_bRestartWanted || (resume && m_result.httpStatus == 416)) {
        m_strValidator.clear(); // the next attempt starts from byte 0
        return AttemptEnd::Retry;
    }
    if (m_result.code == CURLE_WRITE_ERROR) {
        Fail(m_dwWriteError == ERROR_DISK_FULL || m_dwWriteError == ERROR_HANDLE_DISK_FULL ? L"the disk is full"
                                                                                            : L"the file could not be written",
             FailureDisk);
        return AttemptEnd::Stop;
    }
    if (!CRetryPolicy::IsTransient(m_result.code, m_result.httpStatus)) {
        Fail(m_result.code == CURLE_HTTP_RETURNED_ERROR ? L"HTTP error status" : L"transfer failed",
             CRetryPolicy::KindOf(m_result.code));
        return AttemptEnd::Stop;
    }
    return AttemptEnd::Retry;
}

bool CPackageDownload::Fail(const wchar_t* why, FailureKind kind)
{
    m_strFailure = why;
    m_nFailureKind = kind;
    m_hWriteFile.Close();
    m_hHeldFile.Close();
    if (!m_strTarget.empty())
        DeleteFileW(m_strTarget.c_str()); // a partial or rejected package must not stay where it could be run
    return false;
}

bool CPackageDownload::Run(const std::wstring& url, const std::wstring& targetPath, const std::string& expectedSha256)
{
    m_strTarget = targetPath;
    m_strFailure.clear();
    m_nFailureKind = FailureNone;
    m_strSha256.clear();
    m_result = TransferResult();
    m_nBytes = 0;
    m_nAttempts = 0;
    m_strValidator.clear();
    m_bRangesOk = false;
    m_nWholeLength = -1;
    m_dwWriteError = 0;
    m_nLastPercent = 0; // the window shows 0 when a run starts: only a change is passed on
    m_dwLastCancelCheck = GetTickCount() - 1000;
    m_hash.Reset();
    m_bHashing = !expectedSha256.empty();

    // The folder sits where other users can write: whatever they left under the package's name (a file, a link
    // to a system file) is removed, never written through, and the file is created afresh. Nobody else may
    // write or delete it while it is being written.
    if (!ParentIsPlainFolder(targetPath)) {
        m_strFailure = L"the download folder is missing or a link";
        m_nFailureKind = FailureDisk;
        m_strTarget.clear();
        return false;
    }
    DeleteFileW(targetPath.c_str());
    m_hWriteFile.Reset(CreateFileW(targetPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hWriteFile.IsValid()) {
        m_strFailure = L"cannot create the target file";
        m_nFailureKind = FailureDisk;
        m_strTarget.clear(); // nothing of ours to remove
        return false;
    }
    char narrowUrl[520];
    WideToUtf8(narrowUrl, UpgradeToHttps(url).c_str(), sizeof(narrowUrl));
    for (int attempt = 1;; ++attempt) {
        const AttemptEnd end = Attempt(narrowUrl, attempt);
        if (end == AttemptEnd::Done)
            break;
        if (end == AttemptEnd::Stop)
            return false;
        if (attempt > CRetryPolicy::kMaxRetries)
            return Fail(m_result.code == CURLE_HTTP_RETURNED_ERROR ? L"HTTP error status, retries used up"
                                                                   : L"transfer failed, retries used up",
                        // a server whose replies never continue the file is refusing, not the disk failing
                        m_bRestartWanted ? FailureServerRefused : CRetryPolicy::KindOf(m_result.code));
        if (!WaitBeforeRetry(attempt))
            return Fail(L"cancelled", FailureNone);
    }
    if (m_bHashing) {
        m_strSha256 = m_hash.FinishHex();
        if (LowerCase(expectedSha256) != m_strSha256)
            return Fail(L"SHA-256 differs from the published digest", FailureDamaged);
    }
    if (!Hold())
        return Fail(L"file could not be locked after download", FailureDamaged);
    return true;
}

bool CPackageDownload::Transfer(const std::string& url, long long resumeFrom)
{
    m_nResumeFrom = resumeFrom;
    m_nProgressBase = resumeFrom;
    m_bBodyStarted = false;
    m_bRestartWanted = false;
    m_response = CResponseHeaders();
    m_result = TransferResult();
    CCurlEasy easy;
    if (!easy.IsValid())
        return false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* curl = easy.Get();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    easy.UseSystemProxy(url);
    // The package is run elevated: its address is https (see Run), so no redirect may lead it off TLS.
    easy.FollowRedirects(url, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CurlWriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    easy.SetLong(CURLOPT_NOPROGRESS, 0L);
    easy.SetLong(CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSec);
    // An error page must never be stored as the package: the transfer fails on a status of 400 or more.
    easy.SetLong(CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CurlTransferInfo);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, CurlHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
    if (resumeFrom > 0) {
        // The server sends the rest only while the file is the one the first bytes came from; else the whole.
        const std::string range = std::to_string(resumeFrom) + "-";
        curl_easy_setopt(curl, CURLOPT_RANGE, range.c_str());
        easy.AddHeader(("If-Range: " + m_strValidator).c_str());
    }
    // No total limit (a slow line may take long), but a transfer that stalls is given up.
    easy.SetLong(CURLOPT_NOSIGNAL, 1L);
    if (m_nStallSec > 0) {
        easy.SetLong(CURLOPT_LOW_SPEED_LIMIT, 1L);
        easy.SetLong(CURLOPT_LOW_SPEED_TIME, m_nStallSec);
    }
    m_result = CHttpTransfer::Perform(easy, errorBuffer);
    return m_result.Succeeded();
}

bool CPackageDownload::Hold()
{
    // The finished file has to pass from the write handle to a handle that denies writing and deletion.
    // A write handle and a deny-write handle cannot coexist, so the hand-over goes through a bridge handle
    // whose exclusive lock keeps every byte unchangeable while neither of the two is open.
    CWinHandle bridge(CreateFileW(m_strTarget.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!bridge.IsValid())
        return false;
    OVERLAPPED whole = {};
    if (!LockFileEx(bridge.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole))
        return false;
    m_hWriteFile.Close();
    // Fails when anybody else got write access in the meantime; once open, nobody else can get it.
    m_hHeldFile.Reset(CreateFileW(m_strTarget.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    UnlockFileEx(bridge.Get(), 0, MAXDWORD, MAXDWORD, &whole);
    bridge.Close();
    if (!m_hHeldFile.IsValid())
        return false;
    LARGE_INTEGER size = {};
    return GetFileSizeEx(m_hHeldFile.Get(), &size) && size.QuadPart == m_nBytes;
}
