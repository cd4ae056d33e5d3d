// The process-wide resource location of the paint manager: a folder, a zip
// file or a zip archive in memory (normally a resource of the executable).
#include "ui/core/UIManager.h"

#include <string>

#include "ui/core/UIResourceManager.h"
#include "ui/core/UIZip.h"

namespace Veneer {

namespace {

const wchar_t kMemoryZipName[] = L"membuffer";

void CloseCachedZip()
{
    if (CPaintManagerUI::m_hResourceZip != nullptr) {
        CUIZip::CloseZip(reinterpret_cast<HZIP>(CPaintManagerUI::m_hResourceZip));
        CPaintManagerUI::m_hResourceZip = nullptr;
    }
}

} // namespace

HINSTANCE CPaintManagerUI::m_hInstance = nullptr;
HINSTANCE CPaintManagerUI::m_hResourceInstance = nullptr;
CUIString CPaintManagerUI::m_pStrResourcePath;
CUIString CPaintManagerUI::m_pStrResourceZip;
CUIString CPaintManagerUI::m_pStrResourceZipPwd;
HANDLE CPaintManagerUI::m_hResourceZip = nullptr;
bool CPaintManagerUI::m_bCachedResourceZip = true;
int CPaintManagerUI::m_nResType = 1;

CUIString CPaintManagerUI::GetInstancePath()
{
    wchar_t path[MAX_PATH + 1] = {0};
    DWORD n = GetModuleFileNameW(m_hInstance, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return CUIString();
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash != nullptr) slash[1] = 0;
    return CUIString(path);
}

HINSTANCE CPaintManagerUI::GetResourceDll()
{
    return m_hResourceInstance != nullptr ? m_hResourceInstance : m_hInstance;
}

const CUIString& CPaintManagerUI::GetResourcePath() { return m_pStrResourcePath; }
const CUIString& CPaintManagerUI::GetResourceZip() { return m_pStrResourceZip; }
const CUIString& CPaintManagerUI::GetResourceZipPwd() { return m_pStrResourceZipPwd; }
bool CPaintManagerUI::IsCachedResourceZip() { return m_bCachedResourceZip; }
HANDLE CPaintManagerUI::GetResourceZipHandle() { return m_hResourceZip; }
void CPaintManagerUI::SetResourceDll(HINSTANCE hInst) { m_hResourceInstance = hInst; }
void CPaintManagerUI::SetResourceType(int nType) { m_nResType = nType; }
int CPaintManagerUI::GetResourceType() { return m_nResType; }

void CPaintManagerUI::SetResourcePath(LPCTSTR pStrPath)
{
    m_pStrResourcePath = pStrPath;
    if (m_pStrResourcePath.IsEmpty()) return;
    TCHAR last = m_pStrResourcePath[m_pStrResourcePath.GetLength() - 1];
    if (last != L'\\' && last != L'/') m_pStrResourcePath += L'\\';
}

void CPaintManagerUI::SetResourceZip(LPCTSTR pstrZip, bool bCachedResourceZip, LPCTSTR password)
{
    LPCTSTR name = pstrZip != nullptr ? pstrZip : L"";
    if (m_pStrResourceZip == name && m_bCachedResourceZip == bCachedResourceZip) return;
    if (m_bCachedResourceZip) CloseCachedZip();
    m_pStrResourceZip = name;
    m_bCachedResourceZip = bCachedResourceZip;
    m_pStrResourceZipPwd = password;
    if (!m_bCachedResourceZip || m_pStrResourceZip.IsEmpty()) return;
    // An absolute archive name is used as it stands rather than glued to the folder.
    CUIString path = CResourceManager::GetArchivePath();
    std::string pwd = CUIZip::AnsiPassword(password);
    m_hResourceZip = CUIZip::OpenZip(path, pwd.empty() ? nullptr : pwd.c_str());
}

void CPaintManagerUI::SetResourceZip(LPVOID pVoid, unsigned int len, LPCTSTR password)
{
    if (m_pStrResourceZip == kMemoryZipName) return;   // the first in-memory archive stays
    if (m_bCachedResourceZip) CloseCachedZip();
    m_pStrResourceZip = kMemoryZipName;
    m_bCachedResourceZip = true;
    m_pStrResourceZipPwd = password;
    std::string pwd = CUIZip::AnsiPassword(password);
    m_hResourceZip = CUIZip::OpenZip(pVoid, len, pwd.empty() ? nullptr : pwd.c_str());
}

} // namespace Veneer
