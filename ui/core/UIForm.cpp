#include "ui/core/UIForm.h"

#include "ui/core/UIFrameWnd.h"

namespace Veneer {

CUIForm::CUIForm()
    : m_pFrameWnd(nullptr)
{
}

CUIForm::~CUIForm()
{
}

CPaintManagerUI* CUIForm::GetManager()
{
    return m_pFrameWnd != nullptr ? m_pFrameWnd->GetManager() : nullptr;
}

CUIString CUIForm::GetFormName()
{
    return CUIString();
}

bool CUIForm::IsForm(LPCWSTR pstrName)
{
    if (pstrName == nullptr) return false;
    return GetFormName() == pstrName;
}

void CUIForm::InitWindow()
{
}

void CUIForm::OnActiveForm()
{
}

void CUIForm::OnHideForm()
{
}

void CUIForm::OnUpdateView()
{
}

CControlUI* CUIForm::CreateControl(LPCWSTR /*pstrClass*/)
{
    return nullptr;
}

} // namespace Veneer
