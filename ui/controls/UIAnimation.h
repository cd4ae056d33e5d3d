#ifndef VENEER_UIANIMATION_H
#define VENEER_UIANIMATION_H

#include <vector>

namespace Veneer {

class CControlUI;

// Frame-timer helper every control carries: each running animation is driven by a
// manager timer of its owning control whose id is the animation id.
class CUIAnimation
{
public:
    explicit CUIAnimation(CControlUI* pOwner);
    virtual ~CUIAnimation();

    virtual bool StartAnimation(int nElapse, int nTotalFrame, int nAnimationID = 0, bool bLoop = false);
    virtual void StopAnimation(int nAnimationID = 0);
    virtual bool IsAnimationRunning(int nAnimationID);
    virtual int GetCurrentFrame(int nAnimationID = 0);
    virtual bool SetCurrentFrame(int nFrame, int nAnimationID = 0);

    virtual void OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID) = 0;
    virtual void OnAnimationStart(int nAnimationID, bool bFirstLoop) = 0;
    virtual void OnAnimationStop(int nAnimationID) = 0;

    virtual void OnAnimationElapse(int nAnimationID);

protected:
    struct TAnimationData
    {
        int nAnimationID;
        int nElapse;
        int nTotalFrame;
        int nCurFrame;
        bool bLoop;
        bool bFirstLoop;
    };

    TAnimationData* FindAnimation(int nAnimationID);
    void ForgetAnimation(int nAnimationID);

    CControlUI* m_pAnimationOwner;
    std::vector<TAnimationData> m_aAnimations;
};

} // namespace Veneer

#endif // VENEER_UIANIMATION_H
