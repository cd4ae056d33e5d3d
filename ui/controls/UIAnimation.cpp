#include "ui/controls/UIAnimation.h"

#include "ui/controls/UIControl.h"

namespace Veneer {

CUIAnimation::CUIAnimation(CControlUI* pOwner) : m_pAnimationOwner(pOwner) {}

CUIAnimation::~CUIAnimation() {}

CUIAnimation::TAnimationData* CUIAnimation::FindAnimation(int nAnimationID)
{
    for (TAnimationData& data : m_aAnimations) {
        if (data.nAnimationID == nAnimationID) return &data;
    }
    return nullptr;
}

void CUIAnimation::ForgetAnimation(int nAnimationID)
{
    for (size_t i = 0; i < m_aAnimations.size(); ++i) {
        if (m_aAnimations[i].nAnimationID == nAnimationID) {
            m_aAnimations.erase(m_aAnimations.begin() + i);
            return;
        }
    }
}

bool CUIAnimation::StartAnimation(int nElapse, int nTotalFrame, int nAnimationID, bool bLoop)
{
    if (FindAnimation(nAnimationID) != nullptr || nElapse <= 0 || nTotalFrame <= 0 ||
        m_pAnimationOwner == nullptr) {
        return false;
    }
    if (!m_pAnimationOwner->SetTimer(static_cast<UINT>(nAnimationID), static_cast<UINT>(nElapse))) return false;
    TAnimationData data = {nAnimationID, nElapse, nTotalFrame, 0, bLoop, true};
    m_aAnimations.push_back(data);
    return true;
}

void CUIAnimation::StopAnimation(int nAnimationID)
{
    if (m_pAnimationOwner == nullptr) return;
    if (nAnimationID != 0) {
        if (FindAnimation(nAnimationID) == nullptr) return;
        m_pAnimationOwner->KillTimer(static_cast<UINT>(nAnimationID));
        ForgetAnimation(nAnimationID);
        return;
    }
    std::vector<TAnimationData> running;
    running.swap(m_aAnimations);
    for (const TAnimationData& data : running) m_pAnimationOwner->KillTimer(static_cast<UINT>(data.nAnimationID));
}

bool CUIAnimation::IsAnimationRunning(int nAnimationID)
{
    return FindAnimation(nAnimationID) != nullptr;
}

int CUIAnimation::GetCurrentFrame(int nAnimationID)
{
    TAnimationData* data = FindAnimation(nAnimationID);
    return data ? data->nCurFrame : -1;
}

bool CUIAnimation::SetCurrentFrame(int nFrame, int nAnimationID)
{
    TAnimationData* data = FindAnimation(nAnimationID);
    if (data == nullptr || nFrame < 0 || nFrame > data->nTotalFrame) return false;
    data->nCurFrame = nFrame;
    return true;
}

void CUIAnimation::OnAnimationElapse(int nAnimationID)
{
    // The callbacks may stop or restart animations, so the record is looked up
    // again after each of them.
    TAnimationData* data = FindAnimation(nAnimationID);
    if (data == nullptr) return;

    if (data->nCurFrame == 0) {
        bool bFirst = data->bFirstLoop;
        data->bFirstLoop = false;
        OnAnimationStart(nAnimationID, bFirst);
        if ((data = FindAnimation(nAnimationID)) == nullptr) return;
    }

    int nTotal = data->nTotalFrame;
    int nCur = data->nCurFrame;
    OnAnimationStep(nTotal, nCur, nAnimationID);
    if ((data = FindAnimation(nAnimationID)) == nullptr) return;

    if (nCur >= nTotal) {
        if (!data->bLoop) {
            // Ended before the owner hears of it, so the owner may start a new animation
            // with the same id from its handler and that one runs.
            StopAnimation(nAnimationID);
            OnAnimationStop(nAnimationID);
            return;
        }
        OnAnimationStop(nAnimationID);
        if ((data = FindAnimation(nAnimationID)) == nullptr) return;
        // Next tick starts the next round with frame 0.
        data->nCurFrame = 0;
        return;
    }
    ++data->nCurFrame;
}

} // namespace Veneer
