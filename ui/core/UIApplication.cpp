#include "ui/core/UIApplication.h"

#include <ole2.h>

#include "ui/core/UIFrameWnd.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIResourceManager.h"

namespace Veneer {

namespace {

CUIApplication* g_pApplication = nullptr;

LPCWSTR PasswordOrNull(const CUIString& sPassword)
{
    return sPassword.IsEmpty() ? nullptr : sPassword.GetData();
}

} // namespace

CUIApplication* UIGetApp()
{
    return g_pApplication;
}

CUIApplication::CUIApplication()
    : m_pMainWnd(nullptr),
      m_hInstance(nullptr),
      m_nResType(RES_NONE),
      m_bCacheZip(false),
      m_nZipResId(0),
      m_bSingleInstance(false),
      m_uActivateMsg(0),
      m_bComInitialized(false)
{
    g_pApplication = this;
}

CUIApplication::~CUIApplication()
{
    m_hMutex.Reset();
    if (g_pApplication == this) g_pApplication = nullptr;
}

bool CUIApplication::SetSingleApplication(bool bSingle, LPCWSTR lpszName)
{
    if (lpszName == nullptr || lpszName[0] == L'\0') return false;
    m_bSingleInstance = bSingle;
    m_sSingleName = lpszName;
    return true;
}

void CUIApplication::SetRegistryKey(LPCWSTR lpszCompany, LPCWSTR lpszAppName)
{
    m_regKey.SetRegistryKey(lpszCompany, lpszAppName);
}

void CUIApplication::SetResSource(int nType, LPCWSTR lpszFolder)
{
    m_nResType = nType;
    m_sResFolder = lpszFolder;
}

void CUIApplication::SetResType_File(LPCWSTR lpszFolder)
{
    SetResSource(RES_FILE, lpszFolder);
}

void CUIApplication::SetResType_Resource(LPCWSTR lpszFolder, LPCWSTR lpszResName, LPCWSTR lpszResType)
{
    SetResSource(RES_RESOURCE, lpszFolder);
    m_sResName = lpszResName;
    m_sResTypeName = lpszResType;
}

void CUIApplication::SetResType_ZIP(LPCWSTR lpszFolder, LPCWSTR lpszZipFile, bool bCache, LPCWSTR lpszPassword)
{
    SetResSource(RES_ZIP, lpszFolder);
    m_sZipFile = lpszZipFile;
    m_bCacheZip = bCache;
    m_sZipPassword = lpszPassword;
}

void CUIApplication::SetResType_ZipResource(LPCWSTR lpszFolder, LPCWSTR lpszPassword, UINT nResId, LPCWSTR lpszResType)
{
    SetResSource(RES_ZIPRESOURCE, lpszFolder);
    m_sZipPassword = lpszPassword;
    m_nZipResId = nResId;
    m_sZipResType = lpszResType;
}

bool CUIApplication::InitInstance(HINSTANCE hInstance)
{
    if (FAILED(::CoInitialize(nullptr))) return false;
    m_bComInitialized = true;
    ::OleInitialize(nullptr);

    m_hInstance = hInstance;
    CPaintManagerUI::SetInstance(hInstance);
    m_sAppPath = CPaintManagerUI::GetInstancePath();

    InitResource();

    if (!m_bSingleInstance || m_sSingleName.IsEmpty()) return true;

    m_uActivateMsg = ::RegisterWindowMessageW(m_sSingleName.GetData());
    // Read before the handle changes hands: closing a previous one may touch the thread's last error.
    HANDLE hMutex = ::CreateMutexW(nullptr, FALSE, m_sSingleName.GetData());
    const DWORD dwError = ::GetLastError();
    m_hMutex.Reset(hMutex);
    if (dwError != ERROR_ALREADY_EXISTS) return true;

    // Another instance runs: ask its main window to come forward, then end.
    DWORD dwRecipients = BSM_APPLICATIONS;
    ::BroadcastSystemMessageW(BSF_NOHANG, &dwRecipients, m_uActivateMsg, 0, 0);
    return false;
}

void CUIApplication::InitResource()
{
    CPaintManagerUI::SetResourceType(m_nResType);
    const int nType = CPaintManagerUI::GetResourceType();
    if (nType < RES_FILE || nType > RES_ZIPRESOURCE) return;
    // Every source names its files relative to the skin folder.
    CPaintManagerUI::SetResourcePath((m_sAppPath + m_sResFolder).GetData());
    switch (nType) {
    case RES_FILE:
        CResourceManager::GetInstance()->LoadResource(L"res.xml", nullptr);
        break;
    case RES_ZIP:
        // The archive lies in the application folder, not inside the skin folder it replaces;
        // an absolute name stays as it is.
        CPaintManagerUI::SetResourceZip(ZipPathInAppFolder().GetData(), m_bCacheZip, PasswordOrNull(m_sZipPassword));
        break;
    case RES_RESOURCE:
        CResourceManager::GetInstance()->LoadResource(m_sResName.GetData(), m_sResTypeName.GetData());
        break;
    case RES_ZIPRESOURCE:
        if (UseSkinArchiveResource()) CResourceManager::GetInstance()->LoadResource(L"res.xml", nullptr);
        break;
    default:
        break;
    }
}

CUIString CUIApplication::ZipPathInAppFolder() const
{
    const CUIString& name = m_sZipFile;
    const bool absolute = name.GetLength() >= 2 && (name[1] == L':' || (name[0] == L'\\' && name[1] == L'\\'));
    return absolute || name.IsEmpty() ? name : m_sAppPath + name;
}

bool CUIApplication::UseSkinArchiveResource()
{
    HINSTANCE hModule = CPaintManagerUI::GetResourceDll();
    HRSRC hResource = ::FindResourceW(hModule, MAKEINTRESOURCEW(m_nZipResId), m_sZipResType.GetData());
    if (hResource == nullptr) return false;
    // Resource memory belongs to the module and stays mapped while it is loaded.
    HGLOBAL hGlobal = ::LoadResource(hModule, hResource);
    DWORD dwSize = ::SizeofResource(hModule, hResource);
    if (hGlobal == nullptr || dwSize == 0) return false;
    LPVOID pData = ::LockResource(hGlobal);
    if (pData == nullptr) return false;
    CPaintManagerUI::SetResourceZip(pData, dwSize, PasswordOrNull(m_sZipPassword));
    return true;
}

void CUIApplication::Run()
{
    if (m_pMainWnd != nullptr) m_pMainWnd->SetApplication(this);
    CPaintManagerUI::MessageLoop();
}

int CUIApplication::ExitInstance()
{
    if (m_pMainWnd != nullptr) {
        // A window still alive (the loop can end before it is destroyed)
        // must not outlive its object.
        HWND hWnd = m_pMainWnd->GetHWND();
        if (::IsWindow(hWnd)) ::DestroyWindow(hWnd);
        delete m_pMainWnd;
        m_pMainWnd = nullptr;
    }
    m_hMutex.Reset();
    CPaintManagerUI::Term();
    if (m_bComInitialized) {
        ::OleUninitialize();
        ::CoUninitialize();
        m_bComInitialized = false;
    }
    return 0;
}

UINT CUIApplication::GetProfileIntW(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault)
{
    return m_regKey.ReadInt(lpszSection, lpszEntry, nDefault);
}

BOOL CUIApplication::WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue)
{
    return m_regKey.WriteInt(lpszSection, lpszEntry, nValue);
}

CUIString CUIApplication::GetProfileStringW(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault)
{
    return m_regKey.ReadString(lpszSection, lpszEntry, lpszDefault);
}

BOOL CUIApplication::WriteProfileStringW(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue)
{
    return m_regKey.WriteString(lpszSection, lpszEntry, lpszValue);
}

BOOL CUIApplication::GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, BYTE** ppData, UINT* pBytes)
{
    return m_regKey.ReadBinary(lpszSection, lpszEntry, ppData, pBytes);
}

BOOL CUIApplication::WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, const BYTE* pData, UINT nBytes)
{
    return m_regKey.WriteBinary(lpszSection, lpszEntry, pData, nBytes);
}

} // namespace Veneer
