#include "installer/ui/SkinnedFrame.h"

#include "ui/core/UIDlgBuilder.h"

using namespace Veneer;

namespace {
const wchar_t kSkinResourceType[] = L"ZIPRES";
const int kZipResource = 4;
} // namespace

void CSkinnedFrame::RemoveNativeCaption()
{
    LONG style = ::GetWindowLongW(m_hWnd, GWL_STYLE);
    style &= ~WS_CAPTION;
    style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, style);
    RECT rc;
    ::GetClientRect(m_hWnd, &rc);
    ::SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_FRAMECHANGED);
}

bool CSkinnedFrame::TakeSkinArchive()
{
    HINSTANCE module = CPaintManagerUI::GetResourceDll();
    HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(GetResourceID()), kSkinResourceType);
    if (!found)
        return false;
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = ::SizeofResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return false;
    const BYTE* first = static_cast<const BYTE*>(bytes);
    m_skinZip.assign(first, first + size);
    ::FreeResource(loaded);
    CPaintManagerUI::SetResourceZip(m_skinZip.data(), static_cast<unsigned>(m_skinZip.size()), L"");
    return true;
}

LRESULT CSkinnedFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    bHandled = TRUE;
    RemoveNativeCaption();
    m_pm.Init(m_hWnd);
    m_pm.AddPreMessageFilter(this);

    if (CPaintManagerUI::GetResourcePath().IsEmpty())
        CPaintManagerUI::SetResourcePath(CPaintManagerUI::GetInstancePath() + GetSkinFolder());
    if (GetResourceType() == kZipResource && !TakeSkinArchive())
        return 0;

    OnBeforeBuild();
    CDialogBuilder builder;
    CControlUI* root = builder.Create(STRINGorID(GetSkinFile().GetData()), nullptr, this, &m_pm);
    if (!root)
    {
        OnSkinFailed();
        return 0;
    }
    m_pm.AttachDialog(root);
    m_pm.AddNotifier(this);
    OnSkinBuilt();
    InitWindow();
    return 0;
}
