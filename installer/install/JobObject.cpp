#include "installer/install/JobObject.h"

CJobObject::CJobObject() : m_hJob(CreateJobObjectW(nullptr, nullptr))
{
    if (m_hJob.IsValid() && !SetLimits(JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE))
        m_hJob.Close();
}

bool CJobObject::SetLimits(DWORD flags)
{
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = flags;
    return SetInformationJobObject(m_hJob.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)) != FALSE;
}

bool CJobObject::Assign(HANDLE process)
{
    return m_hJob.IsValid() && AssignProcessToJobObject(m_hJob.Get(), process) != FALSE;
}

void CJobObject::EndAll(UINT exitCode)
{
    if (m_hJob.IsValid())
        TerminateJobObject(m_hJob.Get(), exitCode);
}

void CJobObject::LetRun()
{
    if (m_hJob.IsValid())
        SetLimits(0);
}
