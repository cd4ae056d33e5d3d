#pragma once

#include <windows.h>
#include "ui/support/UIString.h"
#include "ui/support/UniqueHandle.h"
#include "ui/core/UIAppRegistryKey.h"

namespace Veneer {

class CUIFrameWnd;

// The process-wide application object. A program derives its own class,
// creates exactly one global instance and drives it in this order:
// SetSingleApplication, one SetResType_* call, InitInstance, Run, ExitInstance.
class CUIApplication
{
public:
    enum
    {
        RES_NONE = 0,
        RES_FILE = 1,
        RES_ZIP = 2,
        RES_RESOURCE = 3,
        RES_ZIPRESOURCE = 4
    };

    CUIApplication();
    virtual ~CUIApplication();

    virtual void SetResType_File(LPCWSTR lpszFolder);
    virtual void SetResType_Resource(LPCWSTR lpszFolder, LPCWSTR lpszResName, LPCWSTR lpszResType);
    virtual void SetResType_ZIP(LPCWSTR lpszFolder, LPCWSTR lpszZipFile, bool bCache, LPCWSTR lpszPassword);
    virtual void SetResType_ZipResource(LPCWSTR lpszFolder, LPCWSTR lpszPassword, UINT nResId, LPCWSTR lpszResType);

    // false: the program must end at once (COM failed, or another instance
    // with the same single-instance name already runs and has been activated).
    virtual bool InitInstance(HINSTANCE hInstance);
    // Runs the message loop until WM_QUIT.
    virtual void Run();

    virtual UINT GetProfileIntW(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nDefault);
    virtual BOOL WriteProfileInt(LPCWSTR lpszSection, LPCWSTR lpszEntry, int nValue);
    virtual CUIString GetProfileStringW(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszDefault = nullptr);
    virtual BOOL WriteProfileStringW(LPCWSTR lpszSection, LPCWSTR lpszEntry, LPCWSTR lpszValue);
    virtual BOOL GetProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, BYTE** ppData, UINT* pBytes);
    virtual BOOL WriteProfileBinary(LPCWSTR lpszSection, LPCWSTR lpszEntry, const BYTE* pData, UINT nBytes);

    // Deletes the main window object, closes the single-instance guard,
    // terminates the framework and COM. Returns 0.
    virtual int ExitInstance();

    // false (nothing stored) for a null or empty name. Creates nothing yet:
    // the guard acts in InitInstance.
    bool SetSingleApplication(bool bSingle, LPCWSTR lpszName);
    void SetRegistryKey(LPCWSTR lpszCompany, LPCWSTR lpszAppName);

    HINSTANCE GetInstance() const { return m_hInstance; }
    CUIFrameWnd* GetMainWnd() const { return m_pMainWnd; }
    // The application takes ownership; ExitInstance deletes it.
    void SetMainWnd(CUIFrameWnd* pWnd) { m_pMainWnd = pWnd; }
    LPCWSTR GetAppName() const { return m_sAppName.GetData(); }
    void SetAppName(LPCWSTR lpszName) { m_sAppName = lpszName; }
    LPCWSTR GetAppPath() const { return m_sAppPath.GetData(); }
    int GetResType() const { return m_nResType; }
    bool IsSingleApplication() const { return m_bSingleInstance; }
    LPCWSTR GetSingleName() const { return m_sSingleName.GetData(); }
    UINT GetActivateMessage() const { return m_uActivateMsg; }
    HANDLE GetSingleMutex() const { return m_hMutex.Get(); }

    CUIApplication(const CUIApplication&) = delete;
    CUIApplication& operator=(const CUIApplication&) = delete;

protected:
    // Applies the resource choice to the framework; called by InitInstance.
    virtual void InitResource();
    void SetResSource(int nType, LPCWSTR lpszFolder);
    // Hands the skin archive held in the resource module to the framework;
    // false when the resource is missing or empty.
    bool UseSkinArchiveResource();
    CUIString ZipPathInAppFolder() const;

    CUIAppRegistryKey m_regKey;
    CUIFrameWnd* m_pMainWnd;
    HINSTANCE m_hInstance;
    CUIString m_sAppPath;
    CUIString m_sAppName;
    int m_nResType;
    CUIString m_sResFolder;
    CUIString m_sResName;
    CUIString m_sResTypeName;
    CUIString m_sZipFile;
    bool m_bCacheZip;
    CUIString m_sZipPassword;
    UINT m_nZipResId;
    CUIString m_sZipResType;
    bool m_bSingleInstance;
    CUIString m_sSingleName;
    CKernelHandle m_hMutex;
    UINT m_uActivateMsg;
    bool m_bComInitialized;
};

// The one application object of the process, or null when none exists.
CUIApplication* UIGetApp();

} // namespace Veneer
