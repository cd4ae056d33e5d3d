#pragma once
// What the install worker needs from the main window. The worker calls UpdateProgress and SwitchPage on its
// own thread: an implementation must hand them to the UI thread (for example by posting a message) and keep
// their order; it must never touch a control from the calling thread. GetInstallDirText is only called on the
// thread that calls CInstallEngine::StartInstall (the UI thread).
#include "installer/net/FailureKind.h"

#include <string>

class IInstallView
{
public:
    virtual ~IInstallView() = default;

    // Progress bar "pro_Percent" and label "lb_Percent" ("45%"); called only when the whole percent changes.
    virtual void UpdateProgress(int percent) = 0;

    // Hides the page control named `hidePage` and shows `showPage` ("page_install", "page_finished", "page_fail").
    virtual void SwitchPage(const wchar_t* hidePage, const wchar_t* showPage) = 0;

    // Why the run failed, called just before the failure page is shown.
    virtual void ShowFailureReason(FailureKind kind) = 0;

    // Text of "edit_Installdir"; false when the control does not exist.
    virtual bool GetInstallDirText(std::wstring& text) = 0;
};
