#include "installer/net/PackageDownload.h"

#include "installer/net/CurlEasy.h"
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
    if (dltotal > 0) {
        int percent = static_cast<int>(dlnow / (dltotal / 90.0));
        percent = std::max(0, std::min(90, percent));
        if (percent != self->m_nLastPercent) {
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
    const char* cursor = data;
    size_t left = bytes;
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(self->m_hWriteFile.Get(), cursor, static_cast<DWORD>(left), &written, nullptr) || written == 0)
            return 0; // libcurl ends the transfer with a write error
        cursor += written;
        left -= written;
    }
    if (self->m_bHashing)
        self->m_hash.Update(data, bytes);
    self->m_nBytes += static_cast<long long>(bytes);
    return bytes;
}

bool CPackageDownload::Fail(const wchar_t* why)
{
    m_strFailure = why;
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
    m_strSha256.clear();
    m_result = TransferResult();
    m_nBytes = 0;
    m_nLastPercent = 0; // the window shows 0 when a run starts: only a change is passed on
    m_dwLastCancelCheck = GetTickCount() - 1000;
    m_hash.Reset();
    m_bHashing = !expectedSha256.empty();

    // The folder sits where other users can write: whatever they left under the package's name (a file, a link
    // to a system file) is removed, never written through, and the file is created afresh. Nobody else may
    // write or delete it while it is being written.
    if (!ParentIsPlainFolder(targetPath)) {
        m_strFailure = L"the download folder is missing or a link";
        m_strTarget.clear();
        return false;
    }
    DeleteFileW(targetPath.c_str());
    m_hWriteFile.Reset(CreateFileW(targetPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_hWriteFile.IsValid()) {
        m_strFailure = L"cannot create the target file";
        m_strTarget.clear(); // nothing of ours to remove
        return false;
    }
    char narrowUrl[520];
    WideToUtf8(narrowUrl, UpgradeToHttps(url).c_str(), sizeof(narrowUrl));
    if (!Transfer(narrowUrl))
        return Fail(WasCancelled() ? L"cancelled" : L"transfer failed");
    if (m_result.httpStatus >= 400)
        return Fail(L"HTTP error status");
    if (m_bHashing) {
        m_strSha256 = m_hash.FinishHex();
        if (LowerCase(expectedSha256) != m_strSha256)
            return Fail(L"SHA-256 differs from the published digest");
    }
    if (!Hold())
        return Fail(L"file could not be locked after download");
    return true;
}

bool CPackageDownload::Transfer(const std::string& url)
{
    CCurlEasy easy;
    if (!easy.IsValid())
        return false;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    CURL* curl = easy.Get();
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "GET");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    easy.SetLong(CURLOPT_FOLLOWLOCATION, 1L);
    easy.SetLong(CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_DEFAULT_PROTOCOL, "https");
    // The package is run elevated: it comes over verified TLS only, and no redirect may lead it off TLS.
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    easy.SetLong(CURLOPT_SSL_VERIFYPEER, 1L);
    easy.SetLong(CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CurlWriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    easy.SetLong(CURLOPT_NOPROGRESS, 0L);
    easy.SetLong(CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSec);
    // An error page must never be stored as the package: the transfer fails on a status of 400 or more.
    easy.SetLong(CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CurlTransferInfo);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    // No total limit (a slow line may take long), but a transfer that stalls is given up.
    easy.SetLong(CURLOPT_NOSIGNAL, 1L);
    if (m_nStallSec > 0) {
        easy.SetLong(CURLOPT_LOW_SPEED_LIMIT, 1L);
        easy.SetLong(CURLOPT_LOW_SPEED_TIME, m_nStallSec);
    }
    m_result.code = static_cast<int>(curl_easy_perform(curl));
    m_result.httpStatus = easy.GetResponseCode();
    if (m_result.code != 0)
        m_result.error = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(static_cast<CURLcode>(m_result.code));
    return m_result.code == 0;
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
