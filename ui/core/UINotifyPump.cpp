#include "ui/core/UINotifyPump.h"

#include "ui/controls/UIControl.h"

namespace Veneer {

const UI_MSGMAP_ENTRY CNotifyPump::_messageEntries[] = {
    { L"", L"", UISig_end, nullptr }
};

const UI_MSGMAP CNotifyPump::messageMap = { nullptr, &CNotifyPump::_messageEntries[0] };

const UI_MSGMAP* CNotifyPump::_GetBaseMessageMap()
{
    return nullptr;
}

const UI_MSGMAP* CNotifyPump::GetMessageMap() const
{
    return &CNotifyPump::messageMap;
}

CNotifyPump::CNotifyPump()
    : m_VirtualWndMap(CStdStringPtrMap::DEFAULT_BUCKETS)
{
}

CNotifyPump::~CNotifyPump()
{
}

bool CNotifyPump::AddVirtualWnd(CUIString strName, CNotifyPump* pObject)
{
    if (m_VirtualWndMap.Find(strName.GetData(), false) != nullptr) return false;
    return m_VirtualWndMap.Insert(strName.GetData(), pObject);
}

bool CNotifyPump::RemoveVirtualWnd(CUIString strName)
{
    if (m_VirtualWndMap.Find(strName.GetData(), false) == nullptr) return false;
    return m_VirtualWndMap.Remove(strName.GetData());
}

void CNotifyPump::NotifyPump(TNotifyUI& msg)
{
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            LPCWSTR key = m_VirtualWndMap.GetAt(i);
            if (key == nullptr || msg.sVirtualWnd.CompareNoCase(key) != 0) continue;
            CNotifyPump* pObject = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pObject != nullptr && pObject->LoopDispatch(msg)) return;
            break;
        }
    }
    LoopDispatch(msg);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg)
{
    // Without a sender there is no name to match against.
    if (msg.pSender == nullptr) return false;
    const CUIString sName = msg.pSender->GetName();

    for (const UI_MSGMAP* pMap = GetMessageMap(); pMap != nullptr;
         pMap = pMap->pfnGetBaseMap != nullptr ? (*pMap->pfnGetBaseMap)() : nullptr) {
        const UI_MSGMAP_ENTRY* pFound = nullptr;
        for (const UI_MSGMAP_ENTRY* pEntry = pMap->lpEntries; pEntry->nSig != UISig_end; ++pEntry) {
            if (pEntry->sMsgType != msg.sType) continue;
            if (!pEntry->sCtrlName.IsEmpty()) {
                if (pEntry->sCtrlName == sName) {
                    pFound = pEntry;
                    break;
                }
                continue;
            }
            pFound = pEntry;
        }
        if (pFound == nullptr) continue;

        switch (pFound->nSig) {
        case UISig_lwl: {
            UI_PMSG_WPARAM_LPARAM pfn = UIUnpackHandler(pFound->pfn);
            (this->*pfn)(msg.wParam, msg.lParam);
            return true;
        }
        case UISig_vn:
            (this->*(pFound->pfn))(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

} // namespace Veneer
