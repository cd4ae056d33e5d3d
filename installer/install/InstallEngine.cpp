#include "installer/install/InstallEngine.h"

#include "installer/install/DownloadFolder.h"
#include "installer/install/DownloadUrlLookup.h"
#include "installer/install/IInstallView.h"
#include "installer/install/InstallPaths.h"
#include "installer/install/ProcessRunner.h"
#include "installer/install/PublisherCheck.h"
#include "installer/install/SettingsStore.h"
#include "installer/net/InstallLog.h"
#include "installer/net/PackageDownload.h"
#include "installer/net/RetryPolicy.h"
#include "installer/net/TextConvert.h"
#include "installer/net/UsageReporter.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <cwchar>
#include <functional>
#include <mutex>

// Everything the install thread and the report threads use. Shared, so that a thread that outlives the
// engine (it never should, see Shutdown) still finds valid memory.
struct InstallContext
{
    std::atomic<int> state{Start};
    CWinHandle cancelEvent{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<long> stallLimitSec{CPackageDownload::kDefaultStallSec};
    std::atomic<DWORD> retryPauseMs{CRetryPolicy::kFirstPauseMs};
    std::atomic<int> failureKind{FailureNone};
    std::atomic<bool> restartNeeded{false};

    std::mutex lock; // guards everything below
    IInstallView* view = nullptr;
    DownloadAddresses addresses;
    bool hasDirText = false;
    std::wstring dirText;
    std::wstring installDir;
    bool unattended = false;
    std::wstring packageLog;

    bool IsCancelled() const { return WaitForSingleObject(cancelEvent.Get(), 0) == WAIT_OBJECT_0; }

    // A run's outcome never replaces a confirmed exit: the abort is what gets reported.
    bool SetOutcome(int outcome)
    {
        int current = state.load();
        do {
            if (current == UserAbort)
                return false;
        } while (!state.compare_exchange_weak(current, outcome));
        return true;
    }

    void UpdateProgress(int percent)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (view != nullptr)
            view->UpdateProgress(percent);
    }

    void ShowFailureReason(FailureKind kind)
    {
        failureKind = kind;
        std::lock_guard<std::mutex> guard(lock);
        if (view != nullptr)
            view->ShowFailureReason(kind);
    }

    void SwitchPage(const wchar_t* hidePage, const wchar_t* showPage)
    {
        std::lock_guard<std::mutex> guard(lock);
        if (view != nullptr)
            view->SwitchPage(hidePage, showPage);
    }
};

namespace {

const char kSoftType[] = "CORVEX";

void StartReport(const std::shared_ptr<InstallContext>& context)
{
    std::shared_ptr<InstallContext> keep = context;
    CUsageReporter::StartUsageReport(kSoftType, [keep]() { return keep->state.load(); });
}

void EndRun(const std::shared_ptr<InstallContext>& context, int outcome, FailureKind why)
{
    if (!context->SetOutcome(outcome))
        return;
    CInstallLog::Write(L"install run ended: %ls (reason %d)",
                       Utf8ToWideString(CUsageReporter::OperateTypeFor(outcome)).c_str(), static_cast<int>(why));
    StartReport(context);
    context->ShowFailureReason(why);
    context->SwitchPage(L"page_install", L"page_fail");
}

std::wstring PackageParameters(const std::shared_ptr<InstallContext>& context, const std::wstring& installDir)
{
    std::wstring parameters = L"/VERYSILENT /SP- /NORESTART /DIR=\"" + installDir + L"\"";
    std::lock_guard<std::mutex> guard(context->lock);
    if (context->unattended)
        parameters += L" /SUPPRESSMSGBOXES"; // a box nobody answers would hold the deployment for ever
    if (context->unattended && !context->packageLog.empty())
        parameters += L" /LOG=\"" + context->packageLog + L"\"";
    return parameters;
}

int RunPackage(const std::shared_ptr<InstallContext>& context, const std::wstring& target,
               const std::wstring& installDir)
{
    ProcessRunParams params = {};
    swprintf(params.szProgram, 260, L"\"%ls\"", target.c_str());
    std::wstring parameters = PackageParameters(context, installDir);
    if (parameters.size() > 2047)
        parameters.resize(2047);
    parameters.copy(params.szParameters, parameters.size());
    params.dwTimeoutMs = CInstallEngine::kPackageTimeoutMs;
    params.hCancelEvent = context->cancelEvent.Get();
    CInstallLog::Write(L"running package with %ls", params.szParameters);
    DWORD exitCode = 0;
    const int ran = RunProcessAndWait(&params, &exitCode);
    context->restartNeeded = ran != 0 && AsksForRestart(exitCode);
    return ran;
}

// Checked on the held file: the bytes judged are the bytes that run. Run has already refused a download that
// differs from a published digest, so a published digest vouches for what arrived.
bool Vouched(const CPackageDownload& download, const std::wstring& target, const DownloadAddresses& addresses)
{
    const PublisherVerdict verdict = CPublisherCheck::Check(target, download.GetHeldFile(), !addresses.sha256.empty(),
                                                            CPublisherCheck::ProductPolicy());
    CInstallLog::Write(L"publisher check: %ls; package %ls", verdict.detail.c_str(),
                       verdict.allowed ? L"may run" : L"refused");
    return verdict.allowed;
}

void FinishInstalled(const std::shared_ptr<InstallContext>& context, const std::wstring& installDir)
{
    // The product is on disk now: its settings belong with it even when the user is leaving at this moment.
    CSettingsStore::WriteLanguageSetting();
    context->SwitchPage(L"page_install", L"page_finished");
    CSettingsStore::WriteInstallPath(installDir);
    if (!context->SetOutcome(Installed))
        return;
    CInstallLog::WriteLine(L"install run ended: INSTALL");
    StartReport(context);
}

void RunInstall(const std::shared_ptr<InstallContext>& context)
{
    DownloadAddresses addresses;
    bool hasDirText = false;
    std::wstring dirText;
    {
        std::lock_guard<std::mutex> guard(context->lock);
        addresses = context->addresses;
        hasDirText = context->hasDirText;
        dirText = context->dirText;
    }
    if (context->IsCancelled())
        return;
    context->failureKind = FailureNone;
    context->restartNeeded = false;

    const std::wstring desktop = CInstallPaths::GetDesktopDir();
    CDownloadFolder folder; // held until the run ends, so that nobody can swap it under the package
    if (!folder.Choose(CInstallPaths::DownloadFolderFor(desktop))) {
        EndRun(context, DownloadFail, FailureDisk); // no folder the package could safely be written to
        return;
    }
    const std::wstring target = folder.GetPath() + L"\\" + CInstallPaths::kPackageFileName;
    CInstallLog::Write(L"download %ls to %ls", addresses.onlineUrl.c_str(), target.c_str());
    CPackageDownload download([context](int percent) { context->UpdateProgress(percent); },
                              context->cancelEvent.Get());
    download.SetStallLimit(context->stallLimitSec.load());
    download.SetRetryPause(context->retryPauseMs.load());
    const bool downloaded = download.Run(addresses.onlineUrl, target, addresses.sha256);
    CInstallLog::Write(L"download %ls: %ls, %lld bytes%ls%ls", downloaded ? L"succeeded" : L"failed",
                       download.GetResult().Describe().c_str(), download.GetBytes(),
                       downloaded ? L"" : L", ", download.GetFailure().c_str());
    if (context->IsCancelled()) {
        CInstallLog::WriteLine(L"install run cancelled: the user is leaving");
        return;
    }
    if (!downloaded) {
        EndRun(context, DownloadFail,
               download.GetFailureKind() == FailureNone ? FailureConnection : download.GetFailureKind());
        return;
    }
    if (!Vouched(download, target, addresses)) {
        download.Discard();
        EndRun(context, DownloadFail, FailureUnverified);
        return;
    }

    const std::wstring installDir = CInstallPaths::DeriveInstallDir(desktop, hasDirText, dirText);
    {
        std::lock_guard<std::mutex> guard(context->lock);
        context->installDir = installDir;
    }
    const int ran = RunPackage(context, target, installDir);
    download.ReleaseFile(); // held against replacement until the package has run
    if (ran) {
        FinishInstalled(context, installDir);
    } else if (context->IsCancelled()) {
        CInstallLog::WriteLine(L"install run cancelled while the package ran");
    } else {
        EndRun(context, DownloadSuc, FailurePackage);
    }
}

struct WorkerStart
{
    std::shared_ptr<InstallContext> context;
};

unsigned __stdcall InstallThreadProc(void* param)
{
    std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(param));
    if (start)
        RunInstall(start->context);
    return 0;
}

struct LookupStart
{
    std::shared_ptr<InstallContext> context;
    std::function<void()> before;
};

void RunLookup(InstallContext& context, const std::function<void()>& before)
{
    if (before)
        before();
    const ULONGLONG start = GetTickCount64();
    DownloadAddresses addresses = CDownloadUrlLookup::LookupDownloadUrl(kSoftType);
    CInstallLog::Write(L"address lookup took %lu ms", static_cast<unsigned long>(GetTickCount64() - start));
    std::lock_guard<std::mutex> guard(context.lock);
    context.addresses = addresses;
}

unsigned __stdcall LookupThreadProc(void* param)
{
    std::unique_ptr<LookupStart> start(static_cast<LookupStart*>(param));
    if (start)
        RunLookup(*start->context, start->before);
    return 0;
}

} // namespace

CInstallEngine::CInstallEngine(IInstallView* view) : m_context(std::make_shared<InstallContext>())
{
    m_context->view = view;
}

CInstallEngine::~CInstallEngine()
{
    Shutdown();
}

const char* CInstallEngine::GetSoftType()
{
    return kSoftType;
}

void CInstallEngine::PrepareLookup()
{
    CDownloadUrlLookup::PrepareLookup(kSoftType);
}

void CInstallEngine::LookupDownloadUrl()
{
    RunLookup(*m_context, nullptr);
}

void CInstallEngine::BeginLookup(std::function<void()> before)
{
    if (m_hLookup.IsValid())
        return;
    LookupStart* start = new LookupStart{m_context, before};
    const uintptr_t thread = _beginthreadex(nullptr, 0, LookupThreadProc, start, 0, nullptr);
    if (thread != 0) {
        m_hLookup.Reset(reinterpret_cast<HANDLE>(thread));
        return;
    }
    delete start;
    RunLookup(*m_context, before); // no thread to spare: the same work, in the same order, here
}

bool CInstallEngine::EndLookup(DWORD timeoutMs)
{
    if (!m_hLookup.IsValid())
        return true;
    const ULONGLONG start = GetTickCount64();
    if (WaitForSingleObject(m_hLookup.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    m_hLookup.Close();
    CInstallLog::Write(L"start-up waited %lu ms for the address lookup",
                       static_cast<unsigned long>(GetTickCount64() - start));
    return true;
}

std::wstring CInstallEngine::GetOnlineUrl() const
{
    std::lock_guard<std::mutex> guard(m_context->lock);
    return m_context->addresses.onlineUrl.empty() ? CDownloadUrlLookup::FallbackOnlineUrl()
                                                  : m_context->addresses.onlineUrl;
}

std::wstring CInstallEngine::GetOfflineUrl() const
{
    std::lock_guard<std::mutex> guard(m_context->lock);
    return m_context->addresses.offlineUrl.empty() ? CDownloadUrlLookup::FallbackOfflineUrl()
                                                   : m_context->addresses.offlineUrl;
}

bool CInstallEngine::StartInstall()
{
    // A run that has just shown its outcome is ending: its thread is given a moment to finish, so that a click
    // on Reinstall right as the failure page appears starts the new run instead of being lost.
    if (!EndLookup() || !WaitForInstall(kRestartWaitMs) || m_context->IsCancelled())
        return false;
    m_context->UpdateProgress(0);
    {
        std::lock_guard<std::mutex> guard(m_context->lock);
        if (m_context->addresses.onlineUrl.empty()) {
            m_context->addresses.onlineUrl = CDownloadUrlLookup::FallbackOnlineUrl();
            m_context->addresses.offlineUrl = CDownloadUrlLookup::FallbackOfflineUrl();
        }
        std::wstring text;
        m_context->hasDirText = m_context->view != nullptr && m_context->view->GetInstallDirText(text);
        m_context->dirText = text;
    }
    WorkerStart* start = new WorkerStart{m_context};
    const uintptr_t thread = _beginthreadex(nullptr, 0, InstallThreadProc, start, 0, nullptr);
    if (thread == 0) {
        delete start;
        return false;
    }
    // Kept (not closed at once) so that leaving can wait for the worker to let go of the file and the transfer.
    m_hWorker.Reset(reinterpret_cast<HANDLE>(thread));
    return true;
}

void CInstallEngine::DoInstall()
{
    {
        std::lock_guard<std::mutex> guard(m_context->lock);
        if (!m_context->hasDirText && m_context->view != nullptr) {
            std::wstring text;
            m_context->hasDirText = m_context->view->GetInstallDirText(text);
            m_context->dirText = text;
        }
        if (m_context->addresses.onlineUrl.empty()) {
            m_context->addresses.onlineUrl = CDownloadUrlLookup::FallbackOnlineUrl();
            m_context->addresses.offlineUrl = CDownloadUrlLookup::FallbackOfflineUrl();
        }
    }
    RunInstall(m_context);
}

bool CInstallEngine::WaitForInstall(DWORD timeoutMs)
{
    if (!m_hWorker.IsValid())
        return true;
    if (WaitForSingleObject(m_hWorker.Get(), timeoutMs) != WAIT_OBJECT_0)
        return false;
    m_hWorker.Close();
    return true;
}

bool CInstallEngine::Shutdown(DWORD waitMs)
{
    SetEvent(m_context->cancelEvent.Get());
    const bool lookupEnded = EndLookup(waitMs);
    if (!lookupEnded)
        CInstallLog::WriteLine(L"address lookup did not end in time; leaving it detached");
    const bool installEnded = WaitForInstall(waitMs);
    if (!installEnded)
        CInstallLog::WriteLine(L"install thread did not end in time; leaving it detached");
    const bool ended = installEnded && lookupEnded;
    std::lock_guard<std::mutex> guard(m_context->lock);
    m_context->view = nullptr;
    return ended;
}

int CInstallEngine::GetInstallState() const
{
    return m_context->state.load();
}

bool CInstallEngine::Abort()
{
    int current = m_context->state.load();
    do {
        if (current == Installed)
            return false;
    } while (!m_context->state.compare_exchange_weak(current, UserAbort));
    SetEvent(m_context->cancelEvent.Get());
    return true;
}

void CInstallEngine::SetInstallState(int state)
{
    m_context->state = state;
    // The user confirmed leaving: a running download or package wait ends now instead of finishing unseen.
    if (state == UserAbort)
        SetEvent(m_context->cancelEvent.Get());
}

std::wstring CInstallEngine::GetInstallDir() const
{
    std::lock_guard<std::mutex> guard(m_context->lock);
    return m_context->installDir;
}

bool CInstallEngine::StartUsageReport()
{
    std::shared_ptr<InstallContext> keep = m_context;
    return CUsageReporter::StartUsageReport(kSoftType, [keep]() { return keep->state.load(); });
}

void CInstallEngine::ReportUsage()
{
    std::shared_ptr<InstallContext> keep = m_context;
    CUsageReporter::ReportUsage(kSoftType, [keep]() { return keep->state.load(); });
}

void CInstallEngine::SetDownloadStallLimit(long seconds)
{
    m_context->stallLimitSec = seconds;
}

void CInstallEngine::SetDownloadRetryPause(DWORD firstPauseMs)
{
    m_context->retryPauseMs = firstPauseMs;
}

bool CInstallEngine::IsRestartNeeded() const
{
    return m_context->restartNeeded.load();
}

void CInstallEngine::SetUnattended(const std::wstring& packageLogFile)
{
    std::lock_guard<std::mutex> guard(m_context->lock);
    m_context->unattended = true;
    m_context->packageLog = packageLogFile;
}

FailureKind CInstallEngine::GetFailureKind() const
{
    return static_cast<FailureKind>(m_context->failureKind.load());
}
