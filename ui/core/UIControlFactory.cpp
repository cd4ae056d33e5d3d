#include "ui/core/UIControlFactory.h"

#include <cwctype>

#include "ui/controls/UIButton.h"
#include "ui/controls/UICheckBox.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/controls/UIHorizontalLayout.h"
#include "ui/controls/UILabel.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIProgress.h"
#include "ui/controls/UIRichEdit.h"
#include "ui/controls/UIScrollBar.h"
#include "ui/controls/UITabLayout.h"
#include "ui/controls/UIText.h"
#include "ui/controls/UIVerticalLayout.h"

namespace Veneer {

namespace {

CControlFactory* g_pFactory = nullptr;

template <class T>
CControlUI* Make()
{
    return new T();
}

} // namespace

// One line per class the markup can name; classes without a line fall through
// to the plug-ins and the window's callback.
#define VENEER_REGIST_CONTROL(cls) RegistControl(L## #cls, &Make<cls>)

CControlFactory::CControlFactory()
{
    VENEER_REGIST_CONTROL(CControlUI);
    VENEER_REGIST_CONTROL(CContainerUI);
    VENEER_REGIST_CONTROL(CVerticalLayoutUI);
    VENEER_REGIST_CONTROL(CHorizontalLayoutUI);
    VENEER_REGIST_CONTROL(CLabelUI);
    VENEER_REGIST_CONTROL(CTextUI);
    VENEER_REGIST_CONTROL(CButtonUI);
    VENEER_REGIST_CONTROL(COptionUI);
    VENEER_REGIST_CONTROL(CCheckBoxUI);
    VENEER_REGIST_CONTROL(CProgressUI);
    VENEER_REGIST_CONTROL(CRichEditUI);
    VENEER_REGIST_CONTROL(CTabLayoutUI);
    VENEER_REGIST_CONTROL(CScrollBarUI);
}

#undef VENEER_REGIST_CONTROL

CControlFactory* CControlFactory::GetInstance()
{
    if (g_pFactory == nullptr) g_pFactory = new CControlFactory();
    return g_pFactory;
}

void CControlFactory::Release()
{
    if (g_pFactory == this) g_pFactory = nullptr;
    delete this;
}

std::wstring CControlFactory::Key(LPCTSTR pstrClassName)
{
    std::wstring key = pstrClassName != nullptr ? pstrClassName : L"";
    for (wchar_t& c : key) c = static_cast<wchar_t>(std::towlower(c));
    return key;
}

CControlUI* CControlFactory::CreateControl(LPCTSTR pstrClassName) const
{
    auto it = m_mapControl.find(Key(pstrClassName));
    return it != m_mapControl.end() ? it->second() : nullptr;
}

void CControlFactory::RegistControl(LPCTSTR pstrClassName, CreateClass pFunc)
{
    if (pstrClassName == nullptr || *pstrClassName == 0 || pFunc == nullptr) return;
    m_mapControl[Key(pstrClassName)] = pFunc;
}

} // namespace Veneer
