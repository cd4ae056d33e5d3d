#include "ui/controls/UIControl.h"

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include "ui/core/UIAttributeTable.h"
#include "ui/core/UIDPI.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIRenderClip.h"
#include "ui/core/UIResourceManager.h"

namespace Veneer {

namespace {

// Styles may name other styles; a style that (directly or not) names itself would
// otherwise recurse until the stack is gone.
const int kMaxStyleDepth = 16;
int g_nStyleDepth = 0;

struct StyleDepthGuard
{
    StyleDepthGuard() { ++g_nStyleDepth; }
    ~StyleDepthGuard() { --g_nStyleDepth; }
};

bool IsRectEmptyArea(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

struct TCursorName
{
    LPCTSTR pstrName;
    WORD wCursor;
};

const TCursorName kCursors[] = {
    {L"arrow", 32512},    {L"ibeam", 32513},    {L"wait", 32514},     {L"cross", 32515},
    {L"uparrow", 32516},  {L"size", 32640},     {L"icon", 32641},     {L"sizenwse", 32642},
    {L"sizenesw", 32643}, {L"sizewe", 32644},   {L"sizens", 32645},   {L"sizeall", 32646},
    {L"no", 32648},       {L"hand", 32649},
};

struct TAnimName
{
    LPCTSTR pstrName;
    UIAnim anim;
};

const TAnimName kAnimations[] = {
    {L"null", UIANIM_NONE},
    {L"vertical", UIANIM_VERTICAL},
    {L"horizontal", UIANIM_HORIZONTAL},
    {L"scalevertical", UIANIM_SCALE_VERTICAL},
    {L"scalehorizontal", UIANIM_SCALE_HORIZONTAL},
    {L"scalesize", UIANIM_SCALE_SIZE},
    {L"alpha", UIANIM_ALPHA},
};

LPCTSTR const kScriptNames[] = {
    L"OnInit", L"OnEvent", L"OnNotify", L"OnDestroy", L"OnSize", L"OnPaint", L"OnPaintBkColor",
    L"OnPaintBkImage", L"OnPaintStatusImage", L"OnPaintForeColor", L"OnPaintForeImage", L"OnPaintText",
    L"OnPaintBorder",
};

// Stores a new value; true when it differed (the caller then repaints).
template <typename T, typename U>
bool Change(T& field, U value)
{
    const T newValue = static_cast<T>(value);
    if (field == newValue) return false;
    field = newValue;
    return true;
}

bool IsScaleAnimation(UIAnim anim)
{
    return anim == UIANIM_SCALE_VERTICAL || anim == UIANIM_SCALE_HORIZONTAL || anim == UIANIM_SCALE_SIZE;
}

} // namespace

unsigned long long CControlUI::s_nGeometryEpoch = 1;

CControlUI::CControlUI()
    : CUIAnimation(this),
      m_pManager(nullptr),
      m_pParent(nullptr),
      m_pExtraParent(nullptr),
      m_pTag(0),
      m_rcItem(),
      m_rcPaint(),
      m_rcPadding(),
      m_cXY(),
      m_cxyFixed(),
      m_cxyFixedPercent(),
      m_cxyMin(),
      m_cxyMax(),
      m_uFloatAlign(0),
      m_ptFloatPosition(),
      m_bFloat(false),
      m_bAutoCalcWidth(false),
      m_bAutoCalcHeight(false),
      m_bVisible(true),
      m_bInternVisible(true),
      m_bPaneVisible(true),
      m_bEnabled(true),
      m_bMouseEnabled(true),
      m_bKeyboardEnabled(true),
      m_bFocused(false),
      m_bHot(false),
      m_bUpdateNeeded(true),
      m_bSetPos(false),
      m_bMenuUsed(false),
      m_bDragEnabled(false),
      m_bDropEnabled(false),
      m_bResourceText(false),
      m_bColorHSL(false),
      m_dwBackColor(0),
      m_dwBackColor2(0),
      m_dwBackColor3(0),
      m_dwHotBkColor(0),
      m_dwFocusBkColor(0),
      m_dwForeColor(0),
      m_dwBorderColor(0),
      m_dwFocusBorderColor(0),
      m_dwHotBorderColor(0),
      m_nBorderSize(0),
      m_rcBorderSize(),
      m_cxyBorderRound(),
      m_nBorderStyle(0),
      m_instance(nullptr),
      m_iResourceID(0),
      m_nTooltipWidth(300),
      m_chShortcut(0),
      m_wCursor(0),
      m_piFloatPercent(),
      m_animation(UIANIM_NONE),
      m_nFrameCount(24),
      m_nFrameDelay(5),
      m_szAnimationTarget(),
      m_szAnimationCurrent(),
      m_pCustomAttrHash(nullptr),
      m_asOnInit(nullptr),
      m_asOnEvent(nullptr),
      m_asOnNotify(nullptr),
      m_asOnDestroy(nullptr),
      m_asOnSize(nullptr),
      m_asOnPaint(nullptr),
      m_asOnPaintBkColor(nullptr),
      m_asOnPaintBkImage(nullptr),
      m_asOnPaintStatusImage(nullptr),
      m_asOnPaintForeColor(nullptr),
      m_asOnPaintForeImage(nullptr),
      m_asOnPaintText(nullptr),
      m_asOnPaintBorder(nullptr),
      m_nRefCount(1),
      m_pRareTexts(nullptr)
{
    m_cxyMax.cx = 9999;
    m_cxyMax.cy = 9999;
}

CControlUI::~CControlUI()
{
    if (m_asOnDestroy != nullptr) RunScript(m_asOnDestroy);
    OnDestroy(this);
    RemoveAllCustomAttribute();
    if (m_pManager != nullptr) m_pManager->ReapObjects(this);
    delete m_pRareTexts;
}

CControlUI::TRareTexts& CControlUI::RareTexts()
{
    if (m_pRareTexts == nullptr) m_pRareTexts = new TRareTexts();
    return *m_pRareTexts;
}

CControlUI* CControlUI::CreateControl()
{
    return new CControlUI();
}

// ---------------------------------------------------------------------------
// Scaling helpers

int CControlUI::ScaleValue(int n) const
{
    if (m_pManager == nullptr) return n;
    return m_pManager->GetDPIObj()->Scale(n);
}

RECT CControlUI::ScaleRect(const RECT& rc) const
{
    // Margins and border widths: every side is a length of its own.
    RECT r = {ScaleValue(rc.left), ScaleValue(rc.top), ScaleValue(rc.right), ScaleValue(rc.bottom)};
    return r;
}

SIZE CControlUI::ScaleSize(const SIZE& sz) const
{
    SIZE s = {ScaleValue(sz.cx), ScaleValue(sz.cy)};
    return s;
}

// ---------------------------------------------------------------------------
// Identity

CUIString CControlUI::GetName() const { return m_sName; }
void CControlUI::SetName(LPCTSTR pstrName) { m_sName = pstrName ? pstrName : L""; }
LPCTSTR CControlUI::GetClass() const { return L"ControlUI"; }

LPVOID CControlUI::GetInterface(LPCTSTR pstrName)
{
    if (pstrName != nullptr && _wcsicmp(pstrName, L"Control") == 0) return this;
    return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

bool CControlUI::Activate()
{
    return IsVisible() && IsEnabled();
}

CPaintManagerUI* CControlUI::GetManager() const { return m_pManager; }

void CControlUI::SetManager(CPaintManagerUI* pManager, CControlUI* pParent, bool bInit)
{
    m_pManager = pManager;
    m_pParent = pParent;
    if (bInit && m_pParent != nullptr) Init();
}

CControlUI* CControlUI::GetParent() const { return m_pParent; }

// ---------------------------------------------------------------------------
// Text

CUIString CControlUI::GetText() const
{
    if (m_bResourceText) {
        CResourceManager* pRes = CResourceManager::GetInstance();
        if (pRes == nullptr) return m_sText;
        LPCTSTR pstr = pRes->GetText(m_sText);
        return pstr ? CUIString(pstr) : CUIString();
    }
    CLangPackageUI* pPackage = GetLangPackage();
    if (pPackage != nullptr && m_iResourceID > 0) {
        CUIString sText = pPackage->GetText(m_iResourceID);
        if (!sText.IsEmpty()) return sText;
    }
    return m_sText;
}

void CControlUI::SetText(LPCTSTR pstrText)
{
    CUIString sText = pstrText ? pstrText : L"";
    sText.Replace(L"{\\n}", L"\n");
    if (m_sText == sText) return;
    m_sText = sText;
    Invalidate();
    if (m_pManager != nullptr) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_NAMECHANGE, this);
}

int CControlUI::GetTextN() const
{
    return CAttributeValue::Int(GetText());
}

void CControlUI::SetTextN(int n)
{
    CUIString s;
    s.SmallFormat(L"%d", n);
    SetText(s);
}

void CControlUI::SetTextV(LPCTSTR pstrFormat, ...)
{
    if (pstrFormat == nullptr) return;
    CUIString s;
    va_list args;
    va_start(args, pstrFormat);
    s.InnerFormat(pstrFormat, args);
    va_end(args);
    SetText(s);
}

bool CControlUI::IsResourceText() const { return m_bResourceText; }

void CControlUI::SetResourceText(bool bResource)
{
    if (Change(m_bResourceText, bResource)) Invalidate();
}

int CControlUI::GetResourceID() const { return m_iResourceID; }

void CControlUI::SetResourceID(int resid)
{
    if (Change(m_iResourceID, resid)) Invalidate();
}

CLangPackageUI* CControlUI::GetLangPackage() const
{
    if (m_pManager == nullptr || m_sSkinFile.IsEmpty()) return nullptr;
    CLangManagerUI* pLang = m_pManager->GetLangManager();
    return pLang ? pLang->GetPackage(m_sSkinFile) : nullptr;
}

void CControlUI::SetSkinFile(LPCTSTR pstrSkinFile) { m_sSkinFile = pstrSkinFile ? pstrSkinFile : L""; }
CUIString CControlUI::GetSkinFile() const { return m_sSkinFile; }

bool CControlUI::IsDragEnabled() const { return m_bDragEnabled; }
void CControlUI::SetDragEnable(bool bDrag) { m_bDragEnabled = bDrag; }
bool CControlUI::IsDropEnabled() const { return m_bDropEnabled; }
void CControlUI::SetDropEnable(bool bDrop) { m_bDropEnabled = bDrop; }

// ---------------------------------------------------------------------------
// Look

void CControlUI::SetGradient(LPCTSTR pStrImage)
{
    CUIString s = pStrImage ? pStrImage : L"";
    if (GetGradient() == s) return;
    RareTexts().sGradient = s;
    Invalidate();
}

CUIString CControlUI::GetGradient() const { return m_pRareTexts ? m_pRareTexts->sGradient : CUIString(); }

void CControlUI::SetBkImage(LPCTSTR pStrImage)
{
    CUIString s = pStrImage ? pStrImage : L"";
    // Setting the same descriptor again must reload the file on the next paint.
    if (m_pManager != nullptr && !s.IsEmpty()) m_pManager->RemoveImage(s);
    if (m_sBkImage == s) return;
    m_sBkImage = s;
    Invalidate();
}

CUIString CControlUI::GetBkImage() const { return m_sBkImage; }
CUIString CControlUI::GetForeImage() const { return m_sForeImage; }

void CControlUI::SetForeImage(LPCTSTR pStrImage)
{
    CUIString s = pStrImage ? pStrImage : L"";
    if (m_sForeImage == s) return;
    m_sForeImage = s;
    Invalidate();
}

DWORD CControlUI::GetBkColor() const { return m_dwBackColor; }

void CControlUI::SetBkColor(DWORD dwBackColor)
{
    if (Change(m_dwBackColor, dwBackColor)) Invalidate();
}

DWORD CControlUI::GetBkColor2() const { return m_dwBackColor2; }

void CControlUI::SetBkColor2(DWORD dwBackColor)
{
    if (Change(m_dwBackColor2, dwBackColor)) Invalidate();
}

DWORD CControlUI::GetBkColor3() const { return m_dwBackColor3; }

void CControlUI::SetBkColor3(DWORD dwBackColor)
{
    if (Change(m_dwBackColor3, dwBackColor)) Invalidate();
}

DWORD CControlUI::GetHotBkColor() const { return m_dwHotBkColor; }

void CControlUI::SetHotBkColor(DWORD dwColor)
{
    m_dwHotBkColor = dwColor;
    Invalidate();
}

DWORD CControlUI::GetFocusBkColor() const { return m_dwFocusBkColor; }

void CControlUI::SetFocusBkColor(DWORD dwColor)
{
    m_dwFocusBkColor = dwColor;
    Invalidate();
}

DWORD CControlUI::GetForeColor() const { return m_dwForeColor; }

void CControlUI::SetForeColor(DWORD dwForeColor)
{
    if (Change(m_dwForeColor, dwForeColor)) Invalidate();
}

bool CControlUI::IsColorHSL() const { return m_bColorHSL; }

void CControlUI::SetColorHSL(bool bColorHSL)
{
    if (Change(m_bColorHSL, bColorHSL)) Invalidate();
}

DWORD CControlUI::GetBorderColor() const { return m_dwBorderColor; }

void CControlUI::SetBorderColor(DWORD dwBorderColor)
{
    if (Change(m_dwBorderColor, dwBorderColor)) Invalidate();
}

DWORD CControlUI::GetFocusBorderColor() const { return m_dwFocusBorderColor; }

void CControlUI::SetFocusBorderColor(DWORD dwBorderColor)
{
    if (Change(m_dwFocusBorderColor, dwBorderColor)) Invalidate();
}

DWORD CControlUI::GetHotBorderColor() const { return m_dwHotBorderColor; }

void CControlUI::SetHotBorderColor(DWORD dwColor)
{
    if (Change(m_dwHotBorderColor, dwColor)) Invalidate();
}

int CControlUI::GetBorderSize() const { return ScaleValue(m_nBorderSize); }

void CControlUI::SetBorderSize(int nSize)
{
    if (Change(m_nBorderSize, nSize)) Invalidate();
}

RECT CControlUI::GetBorderRectSize() const { return ScaleRect(m_rcBorderSize); }

void CControlUI::SetBorderSize(RECT rc)
{
    m_rcBorderSize = rc;
    Invalidate();
}

int CControlUI::GetLeftBorderSize() const { return ScaleValue(m_rcBorderSize.left); }

void CControlUI::SetLeftBorderSize(int nSize)
{
    m_rcBorderSize.left = nSize;
    Invalidate();
}

int CControlUI::GetTopBorderSize() const { return ScaleValue(m_rcBorderSize.top); }

void CControlUI::SetTopBorderSize(int nSize)
{
    m_rcBorderSize.top = nSize;
    Invalidate();
}

int CControlUI::GetRightBorderSize() const { return ScaleValue(m_rcBorderSize.right); }

void CControlUI::SetRightBorderSize(int nSize)
{
    m_rcBorderSize.right = nSize;
    Invalidate();
}

int CControlUI::GetBottomBorderSize() const { return ScaleValue(m_rcBorderSize.bottom); }

void CControlUI::SetBottomBorderSize(int nSize)
{
    m_rcBorderSize.bottom = nSize;
    Invalidate();
}

SIZE CControlUI::GetBorderRound() const { return ScaleSize(m_cxyBorderRound); }

void CControlUI::SetBorderRound(SIZE cxyRound)
{
    m_cxyBorderRound = cxyRound;
    Invalidate();
}

int CControlUI::GetBorderStyle() const { return m_nBorderStyle; }

void CControlUI::SetBorderStyle(int nStyle)
{
    m_nBorderStyle = nStyle;
    Invalidate();
}

HINSTANCE CControlUI::GetResourceInstance() const { return m_instance; }
void CControlUI::SetResourceInstance(HINSTANCE hInst) { m_instance = hInst; }

void CControlUI::SetVirtualWnd(LPCTSTR pstrValue)
{
    RareTexts().sVirtualWnd = pstrValue ? pstrValue : L"";
    if (m_pManager != nullptr) m_pManager->UsedVirtualWnd(true);
}

CUIString CControlUI::GetVirtualWnd() const
{
    // A control without a name of its own belongs to its nearest named ancestor.
    if (m_pRareTexts != nullptr && !m_pRareTexts->sVirtualWnd.IsEmpty()) return m_pRareTexts->sVirtualWnd;
    return m_pParent ? m_pParent->GetVirtualWnd() : CUIString();
}

void CControlUI::SetExtraParent(CControlUI* pControl) { m_pExtraParent = pControl; }
CControlUI* CControlUI::GetExtraParent() const { return m_pExtraParent; }
const RECT& CControlUI::GetPaintRect() const { return m_rcPaint; }

void CControlUI::__AddRef() { ++m_nRefCount; }

void CControlUI::__ReleaseRef()
{
    if (--m_nRefCount == 0) delete this;
}

DWORD CControlUI::GetAdjustColor(DWORD dwColor) const
{
    if (!m_bColorHSL) return dwColor;
    short H = 180, S = 100, L = 100;
    CPaintManagerUI::GetHSL(&H, &S, &L);
    return CRenderEngine::AdjustColor(dwColor, H, S, L);
}

bool CControlUI::DrawImage(HDC hDC, LPCTSTR pStrImage, LPCTSTR pStrModify)
{
    return CRenderEngine::DrawImageString(hDC, m_pManager, m_rcItem, m_rcPaint, pStrImage, pStrModify, m_instance);
}

// ---------------------------------------------------------------------------
// Geometry

RECT CControlUI::GetRelativePos() const
{
    RECT rc = {0, 0, 0, 0};
    if (m_pParent == nullptr) return rc;
    const RECT& rcParent = m_pParent->GetPos();
    rc = m_rcItem;
    ::OffsetRect(&rc, -rcParent.left, -rcParent.top);
    return rc;
}

RECT CControlUI::GetClientPos() const { return m_rcItem; }
const RECT& CControlUI::GetPos() const { return m_rcItem; }

void CControlUI::SetPos(RECT rc, bool bNeedInvalidate)
{
    if (rc.right < rc.left) rc.right = rc.left;
    if (rc.bottom < rc.top) rc.bottom = rc.top;

    RECT rcInvalidate = IsRectEmptyArea(m_rcItem) ? rc : m_rcItem;
    m_rcItem = rc;
    NoteGeometryChanged();
    if (m_pManager == nullptr) return;

    if (!m_bSetPos) {
        m_bSetPos = true;
        if (m_asOnSize != nullptr && RunScript(m_asOnSize)) {
            m_bSetPos = false;
            return;
        }
        OnSize(this);
        m_bSetPos = false;
    }

    m_bUpdateNeeded = false;

    if (bNeedInvalidate && IsVisible()) {
        RECT rcJoined;
        ::UnionRect(&rcJoined, &rcInvalidate, &m_rcItem);
        InvalidateClipped(rcJoined);
    }
}

void CControlUI::InvalidateClipped(RECT rcInvalidate)
{
    if (m_pManager == nullptr) return;
    for (CControlUI* p = m_pParent; p != nullptr; p = p->GetParent()) {
        if (!p->IsVisible()) return;
        RECT rcTemp = rcInvalidate;
        if (!::IntersectRect(&rcInvalidate, &rcTemp, &p->GetPos())) return;
    }
    if (IsRectEmptyArea(rcInvalidate)) return;
    m_pManager->Invalidate(rcInvalidate);
}

void CControlUI::Move(SIZE szOffset, bool /*bNeedInvalidate*/)
{
    m_cXY.cx += szOffset.cx;
    m_cXY.cy += szOffset.cy;
    NeedParentUpdate();
}

bool CControlUI::CalcPos(CControlUI* /*pChildControl*/, RECT& /*rcPos*/) { return false; }

int CControlUI::GetWidth() const { return m_rcItem.right - m_rcItem.left; }
int CControlUI::GetHeight() const { return m_rcItem.bottom - m_rcItem.top; }
int CControlUI::GetX() const { return m_rcItem.left; }
int CControlUI::GetY() const { return m_rcItem.top; }

RECT CControlUI::GetPadding() const { return ScaleRect(m_rcPadding); }

void CControlUI::SetPadding(RECT rcPadding)
{
    m_rcPadding = rcPadding;
    NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return ScaleSize(m_cXY); }

void CControlUI::SetFixedXY(SIZE szXY)
{
    m_cXY = szXY;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return ScaleValue(m_cxyFixed.cx); }

void CControlUI::SetFixedWidth(int cx)
{
    if (cx < 0) return;
    m_cxyFixed.cx = cx;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return ScaleValue(m_cxyFixed.cy); }

void CControlUI::SetFixedHeight(int cy)
{
    if (cy < 0) return;
    m_cxyFixed.cy = cy;
    NeedParentUpdate();
}

int CControlUI::GetFixedWidthPercent() const { return m_cxyFixedPercent.cx; }

void CControlUI::SetFixedWidthPercent(int cxPercent)
{
    if (static_cast<unsigned>(cxPercent) > 100u) return;
    m_cxyFixedPercent.cx = cxPercent;
    NeedParentUpdate();
}

int CControlUI::GetFixedHeightPercent() const { return m_cxyFixedPercent.cy; }

void CControlUI::SetFixedHeightPercent(int cyPercent)
{
    if (static_cast<unsigned>(cyPercent) > 100u) return;
    m_cxyFixedPercent.cy = cyPercent;
    NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return ScaleValue(m_cxyMin.cx); }

void CControlUI::SetMinWidth(int cx)
{
    if (cx < 0 || !Change(m_cxyMin.cx, cx)) return;
    NeedParentUpdate();
}

int CControlUI::GetMaxWidth() const { return ScaleValue(m_cxyMax.cx); }

void CControlUI::SetMaxWidth(int cx)
{
    if (cx < 0 || !Change(m_cxyMax.cx, cx)) return;
    NeedParentUpdate();
}

int CControlUI::GetMinHeight() const { return ScaleValue(m_cxyMin.cy); }

void CControlUI::SetMinHeight(int cy)
{
    if (cy < 0 || !Change(m_cxyMin.cy, cy)) return;
    NeedParentUpdate();
}

int CControlUI::GetMaxHeight() const { return ScaleValue(m_cxyMax.cy); }

void CControlUI::SetMaxHeight(int cy)
{
    if (cy < 0 || !Change(m_cxyMax.cy, cy)) return;
    NeedParentUpdate();
}

TPercentInfo CControlUI::GetFloatPercent() const { return m_piFloatPercent; }

void CControlUI::SetFloatPercent(TPercentInfo piFloatPercent)
{
    m_piFloatPercent = piFloatPercent;
    NeedParentUpdate();
}

void CControlUI::SetFloatAlign(UINT uAlign)
{
    m_uFloatAlign = uAlign;
    NeedParentUpdate();
}

UINT CControlUI::GetFloatAlign() const { return m_uFloatAlign; }

void CControlUI::SetFloatPosition(POINT ptPosition)
{
    m_ptFloatPosition = ptPosition;
    NeedParentUpdate();
}

POINT CControlUI::GetFloatPosition() const { return m_ptFloatPosition; }

bool CControlUI::IsAutoCalcWidth() const { return m_bAutoCalcWidth; }
void CControlUI::SetAutoCalcWidth(bool bAutoCalcWidth) { m_bAutoCalcWidth = bAutoCalcWidth; }
bool CControlUI::IsAutoCalcHeight() const { return m_bAutoCalcHeight; }
void CControlUI::SetAutoCalcHeight(bool bAutoCalcHeight) { m_bAutoCalcHeight = bAutoCalcHeight; }

// ---------------------------------------------------------------------------
// Tooltip, cursor, shortcut, user data

CUIString CControlUI::GetToolTip() const
{
    CLangPackageUI* pPackage = GetLangPackage();
    if (pPackage != nullptr && m_iResourceID > 0) {
        CUIString sTip = pPackage->GetToolTip(m_iResourceID);
        if (!sTip.IsEmpty()) return sTip;
    }
    return m_pRareTexts ? m_pRareTexts->sToolTip : CUIString();
}

void CControlUI::SetToolTip(LPCTSTR pstrText)
{
    CUIString s = pstrText ? pstrText : L"";
    s.Replace(L"<n>", L"\r\n");
    if (s.IsEmpty() && m_pRareTexts == nullptr) return;
    RareTexts().sToolTip = s;
}

void CControlUI::SetToolTipWidth(int nWidth) { m_nTooltipWidth = nWidth; }
int CControlUI::GetToolTipWidth() const { return m_nTooltipWidth; }
WORD CControlUI::GetCursor() const { return m_wCursor; }

void CControlUI::SetCursor(WORD wCursor)
{
    m_wCursor = wCursor;
    Invalidate();
}

TCHAR CControlUI::GetShortcut() const { return m_chShortcut; }
void CControlUI::SetShortcut(TCHAR ch) { m_chShortcut = ch; }
bool CControlUI::IsContextMenuUsed() const { return m_bMenuUsed; }
void CControlUI::SetContextMenuUsed(bool bMenuUsed) { m_bMenuUsed = bMenuUsed; }
const CUIString& CControlUI::GetUserData() const
{
    static const CUIString s_empty;
    return m_pRareTexts ? m_pRareTexts->sUserData : s_empty;
}

void CControlUI::SetUserData(LPCTSTR pstrText)
{
    if ((pstrText == nullptr || *pstrText == L'\0') && m_pRareTexts == nullptr) return;
    RareTexts().sUserData = pstrText ? pstrText : L"";
}
UINT_PTR CControlUI::GetTag() const { return m_pTag; }
void CControlUI::SetTag(UINT_PTR pTag) { m_pTag = pTag; }

// ---------------------------------------------------------------------------
// State

bool CControlUI::IsVisible() const { return m_bVisible && m_bInternVisible; }

void CControlUI::SetVisible(bool bVisible)
{
    if (m_bVisible == bVisible) return;
    bool bWasVisible = IsVisible();
    m_bVisible = bVisible;
    NoteGeometryChanged();
    m_bFocused = false;
    if (!bVisible && m_pManager != nullptr && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
    if (IsVisible() != bWasVisible) NeedParentUpdate();
    if (IsVisible() != bWasVisible && m_pManager != nullptr) m_pManager->NotifyAccessibleVisibility(this, IsVisible());
}

void CControlUI::SetInternVisible(bool bVisible)
{
    if (m_bInternVisible != bVisible) NoteGeometryChanged();
    m_bInternVisible = bVisible;
    if (!bVisible && m_pManager != nullptr && m_pManager->GetFocus() == this) m_pManager->SetFocus(nullptr);
}

bool CControlUI::IsEnabled() const { return m_bEnabled; }

void CControlUI::SetEnabled(bool bEnable)
{
    if (!Change(m_bEnabled, bEnable)) return;
    Invalidate();
    if (m_pManager != nullptr) m_pManager->NotifyAccessibleEvent(EVENT_OBJECT_STATECHANGE, this);
}

bool CControlUI::IsMouseEnabled() const { return m_bMouseEnabled; }
void CControlUI::SetMouseEnabled(bool bEnable) { m_bMouseEnabled = bEnable; }
bool CControlUI::IsKeyboardEnabled() const { return m_bKeyboardEnabled; }
void CControlUI::SetKeyboardEnabled(bool bEnable) { m_bKeyboardEnabled = bEnable; }
bool CControlUI::IsFocused() const { return m_bFocused; }

void CControlUI::SetFocus()
{
    if (m_pManager != nullptr) m_pManager->SetFocus(this);
}

bool CControlUI::IsFloat() const { return m_bFloat; }

void CControlUI::SetFloat(bool bFloat)
{
    if (m_bFloat == bFloat) return;
    m_bFloat = bFloat;
    NeedParentUpdate();
}

bool CControlUI::IsHot() const { return m_bHot; }
void CControlUI::SetHot(bool bHot) { m_bHot = bHot; }

CControlUI* CControlUI::FindControl(FINDCONTROLPROC Proc, LPVOID pData, UINT uFlags)
{
    if ((uFlags & UIFIND_VISIBLE) != 0 && !IsVisible()) return nullptr;
    if ((uFlags & UIFIND_ENABLED) != 0 && !IsEnabled()) return nullptr;
    if ((uFlags & UIFIND_HITTEST) != 0 &&
        (!m_bMouseEnabled || !::PtInRect(&m_rcItem, *static_cast<const POINT*>(pData)))) {
        return nullptr;
    }
    return Proc(this, pData);
}

// ---------------------------------------------------------------------------
// Invalidation and update

void CControlUI::Invalidate()
{
    if (!IsVisible()) return;
    InvalidateClipped(m_rcItem);
}

bool CControlUI::IsUpdateNeeded() const { return m_bUpdateNeeded; }

void CControlUI::NeedUpdate()
{
    if (!IsVisible()) return;
    m_bUpdateNeeded = true;
    Invalidate();
    if (m_pManager != nullptr) m_pManager->NeedUpdate();
}

void CControlUI::NeedParentUpdate()
{
    if (m_pParent != nullptr) {
        m_pParent->NeedUpdate();
        m_pParent->Invalidate();
    } else {
        NeedUpdate();
    }
    if (m_pManager != nullptr) m_pManager->NeedUpdate();
}

bool CControlUI::SetTimer(UINT nTimerID, UINT nElapse)
{
    if (m_pManager == nullptr) return false;
    return m_pManager->SetTimer(this, nTimerID, nElapse);
}

void CControlUI::KillTimer(UINT nTimerID)
{
    if (m_pManager != nullptr) m_pManager->KillTimer(this, nTimerID);
}

// ---------------------------------------------------------------------------
// Life cycle and events

void CControlUI::Init()
{
    DoInit();
    if (m_asOnInit != nullptr && RunScript(m_asOnInit)) return;
    OnInit(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TEventUI& event)
{
    if (m_asOnEvent != nullptr && RunScript(m_asOnEvent, &event)) return;
    if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(TEventUI& event)
{
    switch (event.Type) {
    case UIEVENT_SETCURSOR:
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(m_wCursor != 0 ? m_wCursor : 32512)));
        return;
    case UIEVENT_SETFOCUS:
        m_bFocused = true;
        Invalidate();
        return;
    case UIEVENT_KILLFOCUS:
        m_bFocused = false;
        Invalidate();
        return;
    case UIEVENT_TIMER:
        if (IsAnimationRunning(static_cast<int>(event.wParam))) OnAnimationElapse(static_cast<int>(event.wParam));
        if (m_pManager != nullptr) m_pManager->SendNotify(this, L"timer", event.wParam, event.lParam);
        return;
    case UIEVENT_CONTEXTMENU:
        if (m_bMenuUsed) {
            if (m_pManager != nullptr) m_pManager->SendNotify(this, L"menu", event.wParam, event.lParam);
            return;
        }
        break;
    default:
        break;
    }
    if (m_pParent != nullptr) m_pParent->DoEvent(event);
}

bool CControlUI::OnEnableResponseDefaultKeyEvent(WPARAM /*wParam*/) { return true; }

// ---------------------------------------------------------------------------
// Size estimate and painting

SIZE CControlUI::EstimateSize(SIZE /*szAvailable*/)
{
    if (IsAnimationRunning(UIANIMID_PANE_SHOW) || IsAnimationRunning(UIANIMID_PANE_HIDE) || !m_bPaneVisible) {
        return m_szAnimationCurrent;
    }
    SIZE sz = {GetFixedWidth(), GetFixedHeight()};
    return sz;
}

bool CControlUI::Paint(HDC hDC, const RECT& rcPaint, CControlUI* pStopControl)
{
    if (pStopControl == this) return false;
    if (!::IntersectRect(&m_rcPaint, &rcPaint, &m_rcItem)) return true;
    if (m_asOnPaint != nullptr && RunScript(m_asOnPaint, hDC)) return true;
    if (OnPaint && !OnPaint(hDC)) return true;
    return DoPaint(hDC, m_rcPaint, pStopControl);
}

bool CControlUI::DoPaint(HDC hDC, const RECT& rcPaint, CControlUI* /*pStopControl*/)
{
    m_rcPaint = rcPaint;
    SIZE cxyRound = GetBorderRound();
    if (cxyRound.cx > 0 || cxyRound.cy > 0) {
        CRenderClip roundClip;
        CRenderClip::GenerateRoundClip(hDC, m_rcPaint, m_rcItem, cxyRound.cx, cxyRound.cy, roundClip);
        PaintLayers(hDC);
    } else {
        PaintLayers(hDC);
    }
    return true;
}

void CControlUI::PaintLayers(HDC hDC)
{
    PaintBkColor(hDC);
    PaintBkImage(hDC);
    PaintStatusImage(hDC);
    PaintForeColor(hDC);
    PaintForeImage(hDC);
    PaintText(hDC);
    PaintBorder(hDC);
}

void CControlUI::PaintBkColor(HDC hDC)
{
    if (m_dwBackColor == 0) return;
    bool bVertical = m_pRareTexts == nullptr || m_pRareTexts->sGradient.CompareNoCase(L"hor") != 0;
    if (m_dwBackColor2 == 0) {
        // A translucent fill must cover the whole item: painting only the damaged
        // part would blend twice where paints overlap.
        if (m_dwBackColor >= 0xFF000000) {
            CRenderEngine::DrawColor(hDC, m_rcPaint, GetAdjustColor(m_dwBackColor));
        } else {
            CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwBackColor));
        }
        return;
    }
    if (m_dwBackColor3 == 0) {
        CRenderEngine::DrawGradient(hDC, m_rcItem, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2),
                                    bVertical, 16);
        return;
    }
    RECT rc = m_rcItem;
    rc.bottom = (m_rcItem.top + m_rcItem.bottom) / 2;
    CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor), GetAdjustColor(m_dwBackColor2), bVertical, 8);
    rc.top = rc.bottom;
    rc.bottom = m_rcItem.bottom;
    CRenderEngine::DrawGradient(hDC, rc, GetAdjustColor(m_dwBackColor2), GetAdjustColor(m_dwBackColor3), bVertical,
                                8);
}

void CControlUI::PaintBkImage(HDC hDC)
{
    if (m_sBkImage.IsEmpty()) return;
    DrawImage(hDC, m_sBkImage);
}

void CControlUI::PaintStatusImage(HDC /*hDC*/) {}

void CControlUI::PaintForeColor(HDC hDC)
{
    if (m_dwForeColor == 0) return;
    CRenderEngine::DrawColor(hDC, m_rcItem, GetAdjustColor(m_dwForeColor));
}

void CControlUI::PaintForeImage(HDC hDC)
{
    if (m_sForeImage.IsEmpty()) return;
    DrawImage(hDC, m_sForeImage);
}

void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC)
{
    if (m_dwBorderColor == 0 && m_dwFocusBorderColor == 0 && m_dwHotBorderColor == 0) return;

    int nBorderSize = GetBorderSize();
    SIZE cxyRound = GetBorderRound();
    RECT rcBorder = GetBorderRectSize();

    if (nBorderSize >= 1 && (cxyRound.cx > 0 || cxyRound.cy > 0)) {
        DWORD dwColor = m_dwBorderColor;
        if (m_bFocused && m_dwFocusBorderColor != 0) {
            dwColor = m_dwFocusBorderColor;
        } else if (m_bHot && m_dwHotBorderColor != 0) {
            dwColor = m_dwHotBorderColor;
        }
        CRenderEngine::DrawRoundRect(hDC, m_rcItem, nBorderSize, cxyRound.cx, cxyRound.cy, GetAdjustColor(dwColor),
                                     m_nBorderStyle);
        return;
    }

    if (nBorderSize >= 1) {
        if (m_bFocused && m_dwFocusBorderColor != 0) {
            CRenderEngine::DrawRect(hDC, m_rcItem, nBorderSize, GetAdjustColor(m_dwFocusBorderColor), m_nBorderStyle);
            return;
        }
        if (m_bHot && m_dwHotBorderColor != 0) {
            CRenderEngine::DrawRect(hDC, m_rcItem, nBorderSize, GetAdjustColor(m_dwHotBorderColor), m_nBorderStyle);
            return;
        }
    }

    DWORD dwColor = GetAdjustColor(m_dwBorderColor);
    bool bAnySide = rcBorder.left > 0 || rcBorder.top > 0 || rcBorder.right > 0 || rcBorder.bottom > 0;
    if (!bAnySide) {
        if (nBorderSize >= 1) CRenderEngine::DrawRect(hDC, m_rcItem, nBorderSize, dwColor, m_nBorderStyle);
        return;
    }
    const RECT& rc = m_rcItem;
    if (rcBorder.left > 0) {
        RECT rcLine = {rc.left, rc.top, rc.left, rc.bottom};
        CRenderEngine::DrawLine(hDC, rcLine, rcBorder.left, dwColor, m_nBorderStyle);
    }
    if (rcBorder.top > 0) {
        RECT rcLine = {rc.left, rc.top, rc.right, rc.top};
        CRenderEngine::DrawLine(hDC, rcLine, rcBorder.top, dwColor, m_nBorderStyle);
    }
    if (rcBorder.right > 0) {
        RECT rcLine = {rc.right - 1, rc.top, rc.right - 1, rc.bottom};
        CRenderEngine::DrawLine(hDC, rcLine, rcBorder.right, dwColor, m_nBorderStyle);
    }
    if (rcBorder.bottom > 0) {
        RECT rcLine = {rc.left, rc.bottom - 1, rc.right, rc.bottom - 1};
        CRenderEngine::DrawLine(hDC, rcLine, rcBorder.bottom, dwColor, m_nBorderStyle);
    }
}

void CControlUI::DoPostPaint(HDC /*hDC*/, const RECT& /*rcPaint*/) {}

// ---------------------------------------------------------------------------
// Pane show/hide animation

void CControlUI::SetPaneVisible(bool bVisible)
{
    if (!IsScaleAnimation(m_animation)) return;
    if (m_bPaneVisible == bVisible) return;
    m_bPaneVisible = bVisible;

    // A running animation of either direction is replaced: a hide still running
    // when the pane is shown again would otherwise hide the control at its end.
    StopAnimation(UIANIMID_PANE_SHOW);
    StopAnimation(UIANIMID_PANE_HIDE);

    m_szAnimationTarget.cx = GetFixedWidth();
    m_szAnimationTarget.cy = GetFixedHeight();
    RECT rcTarget;
    if (m_pParent != nullptr && m_pParent->CalcPos(this, rcTarget)) {
        m_szAnimationTarget.cx = rcTarget.right - rcTarget.left;
        m_szAnimationTarget.cy = rcTarget.bottom - rcTarget.top;
    }
    m_szAnimationCurrent = m_szAnimationTarget;
    if (bVisible) {
        if (m_animation != UIANIM_SCALE_HORIZONTAL) m_szAnimationCurrent.cy = 0;
        if (m_animation != UIANIM_SCALE_VERTICAL) m_szAnimationCurrent.cx = 0;
    }
    int nAnimationID = bVisible ? UIANIMID_PANE_SHOW : UIANIMID_PANE_HIDE;
    if (!StartAnimation(m_nFrameDelay, m_nFrameCount, nAnimationID, false)) {
        // No timer to drive it (no window yet, or a zero frame count): the pane
        // reaches its final state at once instead of staying half-way.
        if (bVisible) {
            m_szAnimationCurrent = m_szAnimationTarget;
            OnAnimationStart(nAnimationID, true);
        }
        OnAnimationStop(nAnimationID);
    }
}

bool CControlUI::IsPaneVisible() const { return m_bPaneVisible; }

void CControlUI::OnAnimationStart(int nAnimationID, bool /*bFirstLoop*/)
{
    if (nAnimationID == UIANIMID_PANE_SHOW) SetVisible(true);
}

void CControlUI::OnAnimationStep(int nTotalFrame, int nCurFrame, int nAnimationID)
{
    if (nAnimationID != UIANIMID_PANE_SHOW && nAnimationID != UIANIMID_PANE_HIDE) return;
    if (nTotalFrame <= 0) return;
    bool bShow = nAnimationID == UIANIMID_PANE_SHOW;
    int cx = MulDiv(m_szAnimationTarget.cx, nCurFrame, nTotalFrame);
    int cy = MulDiv(m_szAnimationTarget.cy, nCurFrame, nTotalFrame);
    if (!bShow) {
        cx = m_szAnimationTarget.cx - cx;
        cy = m_szAnimationTarget.cy - cy;
    }
    if (m_animation != UIANIM_SCALE_HORIZONTAL) m_szAnimationCurrent.cy = cy;
    if (m_animation != UIANIM_SCALE_VERTICAL) m_szAnimationCurrent.cx = cx;
    NeedUpdate();
    NeedParentUpdate();
}

void CControlUI::OnAnimationStop(int nAnimationID)
{
    if (nAnimationID != UIANIMID_PANE_SHOW && nAnimationID != UIANIMID_PANE_HIDE) return;
    if (nAnimationID == UIANIMID_PANE_HIDE) {
        if (m_animation != UIANIM_SCALE_HORIZONTAL) m_szAnimationCurrent.cy = 1;
        if (m_animation != UIANIM_SCALE_VERTICAL) m_szAnimationCurrent.cx = 1;
        SetVisible(false);
    }
    NeedParentUpdate();
}

void CControlUI::SetAnimation(UIAnim animType) { m_animation = animType; }
UIAnim CControlUI::GetAnimation() const { return m_animation; }
void CControlUI::SetFrameCount(int nFrameCount) { m_nFrameCount = nFrameCount; }
int CControlUI::GetFrameCount() const { return m_nFrameCount; }
void CControlUI::SetFrameDelay(int nDelay) { m_nFrameDelay = nDelay; }
int CControlUI::GetFrameDelay() const { return m_nFrameDelay; }

// ---------------------------------------------------------------------------
// Scripts

bool CControlUI::RunScript(void* pHandle, void* pArg)
{
    if (pHandle == nullptr || m_pManager == nullptr) return false;
    return m_pManager->ExecuteScript(pHandle, this, pArg);
}

void CControlUI::SetScriptHandle(LPCTSTR pstrName, LPCTSTR pstrFunction)
{
    void* pHandle = m_pManager ? m_pManager->GetScriptFunAddress(pstrFunction) : nullptr;
    void** slots[] = {&m_asOnInit,           &m_asOnEvent,          &m_asOnNotify,         &m_asOnDestroy,
                      &m_asOnSize,           &m_asOnPaint,          &m_asOnPaintBkColor,   &m_asOnPaintBkImage,
                      &m_asOnPaintStatusImage, &m_asOnPaintForeColor, &m_asOnPaintForeImage, &m_asOnPaintText,
                      &m_asOnPaintBorder};
    for (size_t i = 0; i < sizeof(kScriptNames) / sizeof(kScriptNames[0]); ++i) {
        if (wcscmp(pstrName, kScriptNames[i]) == 0) {
            *slots[i] = pHandle;
            return;
        }
    }
}

void* CControlUI::GetScriptHandle(LPCTSTR pstrName) const
{
    void* const slots[] = {m_asOnInit,           m_asOnEvent,          m_asOnNotify,         m_asOnDestroy,
                           m_asOnSize,           m_asOnPaint,          m_asOnPaintBkColor,   m_asOnPaintBkImage,
                           m_asOnPaintStatusImage, m_asOnPaintForeColor, m_asOnPaintForeImage, m_asOnPaintText,
                           m_asOnPaintBorder};
    if (pstrName == nullptr) return nullptr;
    for (size_t i = 0; i < sizeof(kScriptNames) / sizeof(kScriptNames[0]); ++i) {
        if (wcscmp(pstrName, kScriptNames[i]) == 0) return slots[i];
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Custom attributes

void CControlUI::AddCustomAttribute(LPCTSTR pstrName, LPCTSTR pstrAttr)
{
    if (pstrName == nullptr || *pstrName == L'\0' || pstrAttr == nullptr || *pstrAttr == L'\0') return;
    if (m_pCustomAttrHash == nullptr) m_pCustomAttrHash = new CStdStringPtrMap(CStdStringPtrMap::DEFAULT_BUCKETS);
    if (m_pCustomAttrHash->Find(pstrName) != nullptr) return;
    CUIString* pValue = new CUIString(pstrAttr);
    if (!m_pCustomAttrHash->Insert(pstrName, pValue)) delete pValue;
}

LPCTSTR CControlUI::GetCustomAttribute(LPCTSTR pstrName) const
{
    if (m_pCustomAttrHash == nullptr || pstrName == nullptr || *pstrName == L'\0') return nullptr;
    CUIString* pValue = static_cast<CUIString*>(m_pCustomAttrHash->Find(pstrName));
    return pValue ? pValue->GetData() : nullptr;
}

bool CControlUI::RemoveCustomAttribute(LPCTSTR pstrName)
{
    if (m_pCustomAttrHash == nullptr || pstrName == nullptr || *pstrName == L'\0') return false;
    CUIString* pValue = static_cast<CUIString*>(m_pCustomAttrHash->Find(pstrName));
    if (pValue == nullptr) return false;
    m_pCustomAttrHash->Remove(pstrName);
    delete pValue;
    return true;
}

void CControlUI::RemoveAllCustomAttribute()
{
    if (m_pCustomAttrHash == nullptr) return;
    m_pCustomAttrHash->ForEach([](LPCTSTR, LPVOID data) { delete static_cast<CUIString*>(data); });
    // Back to no table at all: the next custom attribute starts a fresh 83-bucket one.
    delete m_pCustomAttrHash;
    m_pCustomAttrHash = nullptr;
}

// ---------------------------------------------------------------------------
// Attributes

DWORD CControlUI::ParseColor(LPCTSTR pstrValue, bool bSkipBlanks)
{
    return CAttributeValue::Color(pstrValue,
                                  bSkipBlanks ? CAttributeValue::kControlBlanks : CAttributeValue::kNoBlanks);
}

namespace {

void SetPosFromRect(CControlUI& c, LPCTSTR pstrValue)
{
    RECT rc = CAttributeValue::Rect(pstrValue);
    SIZE szXY = {rc.left >= 0 ? rc.left : rc.right, rc.top >= 0 ? rc.top : rc.bottom};
    c.SetFixedXY(szXY);
    c.SetFixedWidth(rc.right - rc.left);
    c.SetFixedHeight(rc.bottom - rc.top);
}

// "true"/"false", or four fractions that make the control float at those shares of its parent.
void SetFloatForms(CControlUI& c, LPCTSTR pstrValue)
{
    if (wcschr(pstrValue, L',') == nullptr) {
        c.SetFloat(CAttributeValue::Bool(pstrValue));
        return;
    }
    double v[4];
    CAttributeValue::Doubles(pstrValue, v, 4);
    TPercentInfo pi = {v[0], v[1], v[2], v[3]};
    c.SetFloatPercent(pi);
    c.SetFloat(true);
}

void SetFloatPercentOf100(CControlUI& c, LPCTSTR pstrValue)
{
    long v[4];
    CAttributeValue::Ints(pstrValue, v, 4);
    TPercentInfo pi = {v[0] / 100.0, v[1] / 100.0, v[2] / 100.0, v[3] / 100.0};
    c.SetFloatPercent(pi);
}

UINT ApplyFloatAlignWord(UINT uAlign, const CUIString& sWord)
{
    if (sWord == L"null") return 0;
    if (sWord == L"left") return uAlign & ~(UIFLOAT_CENTER | UIFLOAT_RIGHT);
    if (sWord == L"center") return (uAlign & ~UIFLOAT_RIGHT) | UIFLOAT_CENTER;
    if (sWord == L"right") return (uAlign & ~UIFLOAT_CENTER) | UIFLOAT_RIGHT;
    if (sWord == L"top") return uAlign & ~(UIFLOAT_VCENTER | UIFLOAT_BOTTOM);
    if (sWord == L"vcenter") return (uAlign & ~UIFLOAT_BOTTOM) | UIFLOAT_VCENTER;
    if (sWord == L"bottom") return (uAlign & ~UIFLOAT_VCENTER) | UIFLOAT_BOTTOM;
    return uAlign;
}

// Words separated by commas or blanks, each changing the current flags in turn.
void SetFloatAlignWords(CControlUI& c, LPCTSTR pstrValue)
{
    UINT uAlign = c.GetFloatAlign();
    CUIString sWord;
    for (LPCTSTR p = pstrValue;; ++p) {
        if (*p == L',' || *p == L' ' || *p == L'\0') {
            uAlign = ApplyFloatAlignWord(uAlign, sWord);
            sWord.Empty();
            if (*p == L'\0') break;
        } else {
            sWord += *p;
        }
    }
    c.SetFloatAlign(uAlign);
}

void SetFloatVAlignWord(CControlUI& c, LPCTSTR pstrValue)
{
    UINT uAlign = c.GetFloatAlign();
    if (CAttributeValue::HasWord(pstrValue, L"top")) {
        c.SetFloatAlign(uAlign & ~(UIFLOAT_VCENTER | UIFLOAT_BOTTOM));
    } else if (CAttributeValue::HasWord(pstrValue, L"vcenter")) {
        c.SetFloatAlign((uAlign & ~UIFLOAT_BOTTOM) | UIFLOAT_VCENTER);
    } else if (CAttributeValue::HasWord(pstrValue, L"bottom")) {
        c.SetFloatAlign((uAlign & ~UIFLOAT_VCENTER) | UIFLOAT_BOTTOM);
    }
}

void SetFloatPositionPair(CControlUI& c, LPCTSTR pstrValue)
{
    SIZE sz = CAttributeValue::Size(pstrValue);
    POINT pt = {sz.cx, sz.cy};
    c.SetFloatPosition(pt);
}

// One number sets all four sides alike; four numbers set each side.
void SetBorderSizeForms(CControlUI& c, LPCTSTR pstrValue)
{
    if (wcschr(pstrValue, L',') == nullptr) {
        RECT rcNone = {0, 0, 0, 0};
        c.SetBorderSize(rcNone);
        c.SetBorderSize(CAttributeValue::Int(pstrValue));
    } else {
        c.SetBorderSize(CAttributeValue::Rect(pstrValue));
    }
}

template <void (CControlUI::*Set)(DWORD)> void SetBlankColor(CControlUI& c, LPCTSTR pstrValue)
{
    (c.*Set)(CAttributeValue::Color(pstrValue, CAttributeValue::kControlBlanks));
}

void SetCursorName(CControlUI& c, LPCTSTR pstrValue)
{
    for (const TCursorName& cursor : kCursors) {
        if (_wcsicmp(pstrValue, cursor.pstrName) == 0) {
            c.SetCursor(cursor.wCursor);
            return;
        }
    }
}

void SetAnimationName(CControlUI& c, LPCTSTR pstrValue)
{
    for (const TAnimName& a : kAnimations) {
        if (_wcsicmp(pstrValue, a.pstrName) == 0) {
            c.SetAnimation(a.anim);
            return;
        }
    }
}

void SetShortcutChar(CControlUI& c, LPCTSTR pstrValue)
{
    c.SetShortcut(pstrValue[0]);
}

} // namespace

const CAttributeTable& CControlUI::AttributeTable()
{
    using C = CControlUI;
    using K = EAttrKind;
    static const TAttribute rows[] = {
        {L"pos", K::Rect, 0, &SetPosFromRect, nullptr},
        {L"float", K::Float, 0, &SetFloatForms, &GetThrough<C, K::Bool, &C::IsFloat>},
        {L"floatpercent", K::Rect, 0, &SetFloatPercentOf100, nullptr},
        {L"floatalign", K::Align, 0, &SetFloatAlignWords, nullptr},
        {L"floatvalign", K::Align, 0, &SetFloatVAlignWord, nullptr},
        {L"floatposition", K::Size, 0, &SetFloatPositionPair, nullptr},
        Row<C, K::Rect, &C::SetPadding, &C::GetPadding>(L"padding"),
        Row<C, K::Text, &C::SetGradient, &C::GetGradient>(L"gradient"),
        {L"bkcolor", K::Color, 0, &SetBlankColor<&C::SetBkColor>, &GetThrough<C, K::Color, &C::GetBkColor>},
        {L"bkcolor1", K::Color, 0, &SetBlankColor<&C::SetBkColor>, &GetThrough<C, K::Color, &C::GetBkColor>},
        {L"bkcolor2", K::Color, 0, &SetBlankColor<&C::SetBkColor2>, &GetThrough<C, K::Color, &C::GetBkColor2>},
        {L"bkcolor3", K::Color, 0, &SetBlankColor<&C::SetBkColor3>, &GetThrough<C, K::Color, &C::GetBkColor3>},
        Row<C, K::Color, &C::SetHotBkColor, &C::GetHotBkColor>(L"hotbkcolor"),
        Row<C, K::Color, &C::SetFocusBkColor, &C::GetFocusBkColor>(L"focusbkcolor"),
        {L"forecolor", K::Color, 0, &SetBlankColor<&C::SetForeColor>, &GetThrough<C, K::Color, &C::GetForeColor>},
        Row<C, K::Color, &C::SetBorderColor, &C::GetBorderColor>(L"bordercolor"),
        Row<C, K::Color, &C::SetFocusBorderColor, &C::GetFocusBorderColor>(L"focusbordercolor"),
        Row<C, K::Color, &C::SetHotBorderColor, &C::GetHotBorderColor>(L"hotbordercolor"),
        Row<C, K::Bool, &C::SetColorHSL, &C::IsColorHSL>(L"colorhsl"),
        {L"bordersize", K::Rect, 0, &SetBorderSizeForms, &GetThrough<C, K::Rect, &C::GetBorderRectSize>},
        Row<C, K::Int, &C::SetLeftBorderSize, &C::GetLeftBorderSize>(L"leftbordersize"),
        Row<C, K::Int, &C::SetTopBorderSize, &C::GetTopBorderSize>(L"topbordersize"),
        Row<C, K::Int, &C::SetRightBorderSize, &C::GetRightBorderSize>(L"rightbordersize"),
        Row<C, K::Int, &C::SetBottomBorderSize, &C::GetBottomBorderSize>(L"bottombordersize"),
        Row<C, K::Int, &C::SetBorderStyle, &C::GetBorderStyle>(L"borderstyle"),
        Row<C, K::Size, &C::SetBorderRound, &C::GetBorderRound>(L"borderround"),
        Row<C, K::Image, &C::SetBkImage, &C::GetBkImage>(L"bkimage"),
        Row<C, K::Image, &C::SetForeImage, &C::GetForeImage>(L"foreimage"),
        Row<C, K::Int, &C::SetFixedWidth, &C::GetFixedWidth>(L"width"),
        Row<C, K::Int, &C::SetFixedHeight, &C::GetFixedHeight>(L"height"),
        Row<C, K::Int, &C::SetFixedWidthPercent, &C::GetFixedWidthPercent>(L"widthpercent"),
        Row<C, K::Int, &C::SetFixedHeightPercent, &C::GetFixedHeightPercent>(L"heightpercent"),
        Row<C, K::Int, &C::SetMinWidth, &C::GetMinWidth>(L"minwidth"),
        Row<C, K::Int, &C::SetMinHeight, &C::GetMinHeight>(L"minheight"),
        Row<C, K::Int, &C::SetMaxWidth, &C::GetMaxWidth>(L"maxwidth"),
        Row<C, K::Int, &C::SetMaxHeight, &C::GetMaxHeight>(L"maxheight"),
        Row<C, K::Text, &C::SetName, &C::GetName>(L"name"),
        Row<C, K::Bool, &C::SetDragEnable, &C::IsDragEnabled>(L"drag"),
        Row<C, K::Bool, &C::SetDropEnable, &C::IsDropEnabled>(L"drop"),
        Row<C, K::Bool, &C::SetResourceText, &C::IsResourceText>(L"resourcetext"),
        Row<C, K::Int, &C::SetResourceID, &C::GetResourceID>(L"resourceid"),
        Row<C, K::Text, &C::SetText, &C::GetText>(L"text"),
        Row<C, K::Text, &C::SetToolTip, &C::GetToolTip>(L"tooltip"),
        Row<C, K::Text, &C::SetUserData, &C::GetUserData>(L"userdata"),
        Row<C, K::Bool, &C::SetEnabled, &C::IsEnabled>(L"enabled"),
        Row<C, K::Bool, &C::SetMouseEnabled, &C::IsMouseEnabled>(L"mouse"),
        Row<C, K::Bool, &C::SetKeyboardEnabled, &C::IsKeyboardEnabled>(L"keyboard"),
        Row<C, K::Bool, &C::SetVisible, &C::IsVisible>(L"visible"),
        {L"shortcut", K::Text, 0, &SetShortcutChar, nullptr},
        Row<C, K::Bool, &C::SetContextMenuUsed, &C::IsContextMenuUsed>(L"menu"),
        {L"cursor", K::Choice, 0, &SetCursorName, nullptr},
        Row<C, K::Text, &C::SetVirtualWnd, &C::GetVirtualWnd>(L"virtualwnd"),
        {L"innerstyle", K::AttrList, 0, [](C& c, LPCTSTR v) { c.ApplyAttributeListNoStyle(v); }, nullptr},
        Row<C, K::Bool, &C::SetAutoCalcWidth, &C::IsAutoCalcWidth>(L"autocalcwidth"),
        Row<C, K::Bool, &C::SetAutoCalcHeight, &C::IsAutoCalcHeight>(L"autocalcheight"),
        {L"animation", K::Choice, 0, &SetAnimationName, nullptr},
        Row<C, K::Int, &C::SetFrameCount, &C::GetFrameCount>(L"framecount"),
        Row<C, K::Int, &C::SetFrameDelay, &C::GetFrameDelay>(L"framedelay"),
    };
    static const CAttributeTable table(L"Control", rows, nullptr);
    return table;
}

const CAttributeTable& CControlUI::GetAttributeTable() const
{
    return AttributeTable();
}

bool CControlUI::IsScriptAttribute(LPCTSTR pstrName)
{
    for (LPCTSTR pstrScript : kScriptNames) {
        if (wcscmp(pstrName, pstrScript) == 0) return true;
    }
    return false;
}

void CControlUI::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (pstrName == nullptr) return;
    if (pstrValue == nullptr) pstrValue = L"";

    // A value naming a registered style applies that style, whatever the attribute.
    if (m_pManager != nullptr && *pstrValue != L'\0') {
        LPCTSTR pStyle = m_pManager->GetStyle(pstrValue);
        if (pStyle != nullptr) {
            ApplyAttributeList(pStyle);
            return;
        }
    }
    if (AttributeTable().Apply(*this, pstrName, pstrValue)) return;
    if (IsScriptAttribute(pstrName)) {
        SetScriptHandle(pstrName, pstrValue);
        return;
    }
    AddCustomAttribute(pstrName, pstrValue);
}

CControlUI* CControlUI::ApplyAttributeList(LPCTSTR pstrList)
{
    if (pstrList == nullptr || *pstrList == L'\0') return this;
    if (g_nStyleDepth >= kMaxStyleDepth) return this;
    StyleDepthGuard guard;
    if (m_pManager != nullptr) {
        LPCTSTR pStyle = m_pManager->GetStyle(pstrList);
        if (pStyle != nullptr) return ApplyAttributeList(pStyle);
    }
    ApplyAttributeListNoStyle(pstrList);
    return this;
}

bool CControlUI::ApplyAttributeListNoStyle(LPCTSTR pstrList)
{
    if (pstrList == nullptr) return false;
    CUIString sList = pstrList;
    sList.Replace(L"&quot;", L"\"");
    LPCTSTR p = sList;
    CUIString sName;
    CUIString sValue;
    while (*p != L'\0') {
        sName.Empty();
        sValue.Empty();
        while (*p != L'\0' && *p != L'=') sName += *p++;
        if (*p != L'=') return false;
        ++p;
        if (*p != L'"') return false;
        ++p;
        bool bNested = false;
        TCHAR chPrev = 0;
        while (*p != L'\0') {
            TCHAR ch = *p;
            bool bQuote = ch == L'"' || ch == L'\'';
            if (bQuote) {
                if (bNested) {
                    bNested = false;
                } else if (chPrev == L'=') {
                    bNested = true;
                } else {
                    break;
                }
            }
            sValue += ch;
            chPrev = ch;
            ++p;
        }
        if (*p != L'"') return false;
        ++p;
        SetAttribute(sName, sValue);
        if (*p == L'\0') break;
        if (*p != L' ' && *p != L',') return false;
        ++p;
    }
    return true;
}

} // namespace Veneer
