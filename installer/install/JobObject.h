#pragma once
// A job holding a program and everything it starts, so that a package that has outstayed its time is ended
// with whatever it left running. Kill-on-close: should the installer itself die, the job goes with it.
#include "installer/net/WinHandle.h"

class CJobObject
{
public:
    CJobObject();

    bool IsValid() const { return m_hJob.IsValid(); }
    // `process` and what it starts from now on belong to the job; false when the system refuses (a job of the
    // installer's own that allows none inside it, on systems without nested jobs).
    bool Assign(HANDLE process);
    // Ends every process in the job.
    void EndAll(UINT exitCode);
    // What runs in the job outlives this object: a package that ended by itself, or one the user left to
    // finish, keeps what it started.
    void LetRun();

private:
    bool SetLimits(DWORD flags);

    CWinHandle m_hJob;
};
