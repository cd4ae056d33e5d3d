#include "ui/core/UIAccessible.h"

#include <wctype.h>

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIText.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIOleacc.h"

namespace Veneer {

namespace {

// {618736E0-3C3D-11CF-810C-00AA00389B71}; spelled out because MinGW's import library makes IID_IAccessible a
// code thunk, not the GUID.
const IID kIIDAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
const IID kIIDEnumVariant = {0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Child ids: the control's serial number times this, plus one slot for the control and one per link.
const long kIdSlots = 16;
static_assert(CTextUI::MAX_LINK + 1 < kIdSlots, "every link of a text needs a slot of its own");

long IdOf(const TAccessibleItem& item)
{
    return static_cast<long>(item.pControl->GetSerial()) * kIdSlots + item.iLink + 1;
}

// The position of the item a child id names, or -1.
int IndexOfId(const std::vector<TAccessibleItem>& items, long idChild)
{
    if (idChild <= 0) return -1;
    for (size_t i = 0; i < items.size(); ++i) {
        if (IdOf(items[i]) == idChild) return static_cast<int>(i);
    }
    return -1;
}

bool IsContainer(CControlUI* pControl)
{
    return pControl->GetInterface(L"IContainer") != nullptr;
}

// Containers are walked into unless they stand for one object of their own (an edit field, say).
bool WalksInto(CControlUI* pControl)
{
    const DWORD dwRole = pControl->GetAccessibleRole();
    return IsContainer(pControl) && (dwRole == 0 || dwRole == ROLE_SYSTEM_GROUPING);
}

void Collect(CControlUI* pControl, std::vector<TAccessibleItem>& items)
{
    if (pControl == nullptr || !pControl->IsVisible()) return;
    if (pControl->GetAccessibleRole() != 0) {
        items.push_back(TAccessibleItem{pControl, -1});
        auto* pText = static_cast<CTextUI*>(pControl->GetInterface(L"Text"));
        for (int i = 0; pText != nullptr && i < pText->GetLinkCount(); ++i) items.push_back(TAccessibleItem{pControl, i});
    }
    if (!WalksInto(pControl)) return;
    auto* pContainer = static_cast<IContainerUI*>(pControl->GetInterface(L"IContainer"));
    for (int i = 0; i < pContainer->GetCount(); ++i) Collect(pContainer->GetItemAt(i), items);
}

CUIString LinkAddress(const TAccessibleItem& item)
{
    auto* pText = static_cast<CTextUI*>(item.pControl->GetInterface(L"Text"));
    CUIString* pLink = pText != nullptr ? pText->GetLinkContent(item.iLink) : nullptr;
    return pLink != nullptr ? *pLink : CUIString();
}

// A link is named by the text it shows; one showing only a picture, by its address.
CUIString LinkName(const TAccessibleItem& item)
{
    auto* pText = static_cast<CTextUI*>(item.pControl->GetInterface(L"Text"));
    CUIString sName = pText != nullptr ? pText->GetLinkText(item.iLink) : CUIString();
    return sName.IsEmpty() ? LinkAddress(item) : sName;
}

void SetI4(VARIANT* pvar, long value)
{
    ::VariantInit(pvar);
    pvar->vt = VT_I4;
    pvar->lVal = value;
}

}  // namespace

CUIAccessible::CUIAccessible(CPaintManagerUI* pManager) : m_pManager(pManager) {}

void CUIAccessible::Disconnect()
{
    m_pManager = nullptr;
}

void CUIAccessible::CollectItems(CControlUI* pRoot, std::vector<TAccessibleItem>& items)
{
    items.clear();
    Collect(pRoot, items);
}

long CUIAccessible::ChildIdOf(CControlUI* pRoot, CControlUI* pControl, int iLink)
{
    std::vector<TAccessibleItem> items;
    CollectItems(pRoot, items);
    for (const TAccessibleItem& item : items) {
        if (item.pControl == pControl && item.iLink == iLink) return IdOf(item);
    }
    return CHILDID_SELF;
}

void CUIAccessible::RunPostedAction(CPaintManagerUI* pManager, long idChild, int iAction)
{
    HWND hWnd = pManager->GetPaintWindow();
    if (!::IsWindowEnabled(hWnd)) return;
    if (idChild == CHILDID_SELF) {
        if (iAction == kTakeFocus) ::SetFocus(hWnd);
        return;
    }
    // The control may have gone, or been hidden, between the request and now: it is looked up again.
    std::vector<TAccessibleItem> items;
    CollectItems(pManager->GetRoot(), items);
    const int i = IndexOfId(items, idChild);
    if (i < 0) return;
    const TAccessibleItem item = items[static_cast<size_t>(i)];
    if (iAction == kTakeFocus) {
        if ((item.pControl->GetAccessibleState() & STATE_SYSTEM_FOCUSABLE) != 0) item.pControl->SetFocus();
    } else if (item.iLink < 0) {
        item.pControl->DoAccessibleDefaultAction();
    } else if (auto* pText = static_cast<CTextUI*>(item.pControl->GetInterface(L"Text"))) {
        pText->ActivateLink(item.iLink);
    }
}

void CUIAccessible::CurrentItems(std::vector<TAccessibleItem>& items) const
{
    CollectItems(m_pManager->GetRoot(), items);
}

HRESULT CUIAccessible::Resolve(const VARIANT& varChild, TAccessibleItem& item) const
{
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    if (varChild.vt != VT_I4) return E_INVALIDARG;
    if (varChild.lVal == CHILDID_SELF) return S_FALSE;
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    const int i = IndexOfId(items, varChild.lVal);
    if (i < 0) return E_INVALIDARG;
    item = items[static_cast<size_t>(i)];
    return S_OK;
}

HRESULT CUIAccessible::PostAction(const VARIANT& varChild, int iAction) const
{
    // Behind a modal dialog the window takes no input, and neither does it from a reader.
    if (!::IsWindowEnabled(m_pManager->GetPaintWindow())) return E_FAIL;
    const long idChild = varChild.lVal;
    return m_pManager->PostAccessibleAction(idChild, iAction) ? S_OK : E_FAIL;
}

HRESULT CUIAccessible::TextResult(const wchar_t* pstrText, BSTR* pbstr) const
{
    if (pstrText == nullptr || pstrText[0] == L'\0') return S_FALSE;
    *pbstr = ::SysAllocString(pstrText);
    return *pbstr != nullptr ? S_OK : E_OUTOFMEMORY;
}

RECT CUIAccessible::ScreenRect(const TAccessibleItem& item) const
{
    RECT rc = item.pControl->GetPos();
    if (item.iLink >= 0) {
        auto* pText = static_cast<CTextUI*>(item.pControl->GetInterface(L"Text"));
        if (pText != nullptr) rc = pText->GetLinkRect(item.iLink);
    }
    HWND hWnd = m_pManager->GetPaintWindow();
    ::MapWindowPoints(hWnd, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// ---- IUnknown ----------------------------------------------------------------------------------------

HRESULT CUIAccessible::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, kIIDAccessible)) {
        *ppv = static_cast<IAccessible*>(this);
    } else if (IsEqualIID(riid, kIIDEnumVariant)) {
        *ppv = static_cast<IEnumVARIANT*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CUIAccessible::AddRef()
{
    return static_cast<ULONG>(::InterlockedIncrement(&m_cRef));
}

ULONG CUIAccessible::Release()
{
    const LONG cRef = ::InterlockedDecrement(&m_cRef);
    if (cRef == 0) delete this;
    return static_cast<ULONG>(cRef);
}

// ---- IDispatch -------------------------------------------------------------------------------------

HRESULT CUIAccessible::GetTypeInfoCount(UINT* pctinfo)
{
    if (pctinfo == nullptr) return E_POINTER;
    *pctinfo = 0;
    return S_OK;
}

HRESULT CUIAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo)
{
    if (ppTInfo != nullptr) *ppTInfo = nullptr;
    return E_NOTIMPL;
}

HRESULT CUIAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT CUIAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

// ---- IAccessible --------------------------------------------------------------------------------------

HRESULT CUIAccessible::get_accParent(IDispatch** ppdispParent)
{
    if (ppdispParent == nullptr) return E_POINTER;
    *ppdispParent = nullptr;
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    // The window object the system makes is the client's parent, as for every standard window.
    return COleacc::AccessibleObjectFromWindow(m_pManager->GetPaintWindow(), OBJID_WINDOW, kIIDAccessible,
                                               reinterpret_cast<void**>(ppdispParent));
}

HRESULT CUIAccessible::get_accChildCount(long* pcountChildren)
{
    if (pcountChildren == nullptr) return E_POINTER;
    *pcountChildren = 0;
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    *pcountChildren = static_cast<long>(items.size());
    return S_OK;
}

HRESULT CUIAccessible::get_accChild(VARIANT varChild, IDispatch** ppdispChild)
{
    if (ppdispChild == nullptr) return E_POINTER;
    *ppdispChild = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) {
        *ppdispChild = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    return S_FALSE;  // a simple element: the caller asks this object about it by id
}

HRESULT CUIAccessible::get_accName(VARIANT varChild, BSTR* pszName)
{
    if (pszName == nullptr) return E_POINTER;
    *pszName = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) {
        wchar_t szTitle[256] = L"";
        ::GetWindowTextW(m_pManager->GetPaintWindow(), szTitle, 256);
        return TextResult(szTitle, pszName);
    }
    if (item.iLink >= 0) return TextResult(LinkName(item).GetData(), pszName);
    return TextResult(item.pControl->GetAccessibleName().GetData(), pszName);
}

HRESULT CUIAccessible::get_accValue(VARIANT varChild, BSTR* pszValue)
{
    if (pszValue == nullptr) return E_POINTER;
    *pszValue = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (hr != S_OK) return FAILED(hr) ? hr : S_FALSE;
    if (item.iLink >= 0) return TextResult(LinkAddress(item).GetData(), pszValue);
    return TextResult(item.pControl->GetAccessibleValue().GetData(), pszValue);
}

HRESULT CUIAccessible::get_accDescription(VARIANT varChild, BSTR* pszDescription)
{
    if (pszDescription == nullptr) return E_POINTER;
    *pszDescription = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CUIAccessible::get_accRole(VARIANT varChild, VARIANT* pvarRole)
{
    if (pvarRole == nullptr) return E_POINTER;
    ::VariantInit(pvarRole);
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) SetI4(pvarRole, ROLE_SYSTEM_CLIENT);
    else SetI4(pvarRole, static_cast<long>(item.iLink >= 0 ? ROLE_SYSTEM_LINK : item.pControl->GetAccessibleRole()));
    return S_OK;
}

HRESULT CUIAccessible::get_accState(VARIANT varChild, VARIANT* pvarState)
{
    if (pvarState == nullptr) return E_POINTER;
    ::VariantInit(pvarState);
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    HWND hWnd = m_pManager->GetPaintWindow();
    // Behind a modal dialog nothing in the window can be used.
    const long unavailable = ::IsWindowEnabled(hWnd) ? 0 : STATE_SYSTEM_UNAVAILABLE;
    if (hr == S_FALSE) {
        long state = STATE_SYSTEM_FOCUSABLE | unavailable;
        if (::GetFocus() == hWnd) state |= STATE_SYSTEM_FOCUSED;
        if (!::IsWindowVisible(hWnd)) state |= STATE_SYSTEM_INVISIBLE;
        SetI4(pvarState, state);
        return S_OK;
    }
    if (item.iLink >= 0) {
        long state = STATE_SYSTEM_LINKED | unavailable;
        if (!item.pControl->IsEnabled()) state |= STATE_SYSTEM_UNAVAILABLE;
        SetI4(pvarState, state);
        return S_OK;
    }
    DWORD dwState = item.pControl->GetAccessibleState() | static_cast<DWORD>(unavailable);
    // Only the control with the manager's focus in the window with the system's focus is focused.
    if (::GetFocus() != hWnd) dwState &= ~static_cast<DWORD>(STATE_SYSTEM_FOCUSED);
    SetI4(pvarState, static_cast<long>(dwState));
    return S_OK;
}

HRESULT CUIAccessible::get_accHelp(VARIANT varChild, BSTR* pszHelp)
{
    if (pszHelp == nullptr) return E_POINTER;
    *pszHelp = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CUIAccessible::get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic)
{
    if (pszHelpFile == nullptr || pidTopic == nullptr) return E_POINTER;
    *pszHelpFile = nullptr;
    *pidTopic = 0;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    return FAILED(hr) ? hr : S_FALSE;
}

HRESULT CUIAccessible::get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut)
{
    if (pszKeyboardShortcut == nullptr) return E_POINTER;
    *pszKeyboardShortcut = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (hr != S_OK) return FAILED(hr) ? hr : S_FALSE;
    const wchar_t ch = item.iLink < 0 ? item.pControl->GetShortcut() : L'\0';
    if (ch == L'\0') return S_FALSE;
    const wchar_t szKeys[] = {L'A', L'l', L't', L'+', static_cast<wchar_t>(::towupper(ch)), L'\0'};
    return TextResult(szKeys, pszKeyboardShortcut);
}

HRESULT CUIAccessible::get_accFocus(VARIANT* pvarChild)
{
    if (pvarChild == nullptr) return E_POINTER;
    ::VariantInit(pvarChild);
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    if (::GetFocus() != m_pManager->GetPaintWindow()) return S_FALSE;
    CControlUI* pFocus = m_pManager->GetFocus();
    SetI4(pvarChild, pFocus != nullptr ? ChildIdOf(m_pManager->GetRoot(), pFocus) : CHILDID_SELF);
    return S_OK;
}

HRESULT CUIAccessible::get_accSelection(VARIANT* pvarChildren)
{
    if (pvarChildren == nullptr) return E_POINTER;
    ::VariantInit(pvarChildren);
    return m_pManager == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
}

HRESULT CUIAccessible::get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction)
{
    if (pszDefaultAction == nullptr) return E_POINTER;
    *pszDefaultAction = nullptr;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (hr != S_OK) return FAILED(hr) ? hr : S_FALSE;
    if (item.iLink >= 0) return TextResult(L"Jump", pszDefaultAction);
    return TextResult(item.pControl->GetAccessibleDefaultAction().GetData(), pszDefaultAction);
}

HRESULT CUIAccessible::accSelect(long flagsSelect, VARIANT varChild)
{
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    if (flagsSelect != SELFLAG_TAKEFOCUS) return DISP_E_MEMBERNOTFOUND;
    if (hr == S_OK && (item.pControl->GetAccessibleState() & STATE_SYSTEM_FOCUSABLE) == 0) return E_INVALIDARG;
    return PostAction(varChild, kTakeFocus);
}

HRESULT CUIAccessible::accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight, VARIANT varChild)
{
    if (pxLeft == nullptr || pyTop == nullptr || pcxWidth == nullptr || pcyHeight == nullptr) return E_POINTER;
    *pxLeft = *pyTop = *pcxWidth = *pcyHeight = 0;
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    RECT rc = {0, 0, 0, 0};
    if (hr == S_FALSE) {
        ::GetClientRect(m_pManager->GetPaintWindow(), &rc);
        ::MapWindowPoints(m_pManager->GetPaintWindow(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    } else {
        rc = ScreenRect(item);
    }
    *pxLeft = rc.left;
    *pyTop = rc.top;
    *pcxWidth = rc.right - rc.left;
    *pcyHeight = rc.bottom - rc.top;
    return S_OK;
}

HRESULT CUIAccessible::accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt)
{
    if (pvarEndUpAt == nullptr) return E_POINTER;
    ::VariantInit(pvarEndUpAt);
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varStart, item);
    if (FAILED(hr)) return hr;
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    const long count = static_cast<long>(items.size());
    long target = 0;  // a position, 1-based
    if (hr == S_FALSE) {
        if (navDir == NAVDIR_FIRSTCHILD) target = 1;
        else if (navDir == NAVDIR_LASTCHILD) target = count;
        else return DISP_E_MEMBERNOTFOUND;  // the window object answers for the client's siblings
    } else if (navDir == NAVDIR_NEXT || navDir == NAVDIR_DOWN || navDir == NAVDIR_RIGHT) {
        target = IndexOfId(items, varStart.lVal) + 2;
    } else if (navDir == NAVDIR_PREVIOUS || navDir == NAVDIR_UP || navDir == NAVDIR_LEFT) {
        target = IndexOfId(items, varStart.lVal);
    } else {
        return DISP_E_MEMBERNOTFOUND;
    }
    if (target < 1 || target > count) return S_FALSE;
    SetI4(pvarEndUpAt, IdOf(items[static_cast<size_t>(target - 1)]));
    return S_OK;
}

HRESULT CUIAccessible::accHitTest(long xLeft, long yTop, VARIANT* pvarChild)
{
    if (pvarChild == nullptr) return E_POINTER;
    ::VariantInit(pvarChild);
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    HWND hWnd = m_pManager->GetPaintWindow();
    POINT pt = {xLeft, yTop};
    ::ScreenToClient(hWnd, &pt);
    RECT rcClient = {0, 0, 0, 0};
    ::GetClientRect(hWnd, &rcClient);
    if (!::PtInRect(&rcClient, pt)) return S_FALSE;
    // The innermost exposed item under the point: links before their text, later (topmost) items first.
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    long found = CHILDID_SELF;
    for (size_t i = items.size(); i-- > 0 && found == CHILDID_SELF;) {
        RECT rc = items[i].pControl->GetPos();
        if (items[i].iLink >= 0) {
            auto* pText = static_cast<CTextUI*>(items[i].pControl->GetInterface(L"Text"));
            if (pText != nullptr) rc = pText->GetLinkRect(items[i].iLink);
        }
        if (::PtInRect(&rc, pt)) found = IdOf(items[i]);
    }
    SetI4(pvarChild, found);
    return S_OK;
}

HRESULT CUIAccessible::accDoDefaultAction(VARIANT varChild)
{
    TAccessibleItem item = {};
    HRESULT hr = Resolve(varChild, item);
    if (FAILED(hr)) return hr;
    if (hr == S_FALSE) return DISP_E_MEMBERNOTFOUND;
    if (item.iLink < 0 && item.pControl->GetAccessibleDefaultAction().IsEmpty()) return DISP_E_MEMBERNOTFOUND;
    // The same checks a click meets; the action itself runs from the message loop (see RunPostedAction).
    if (!item.pControl->IsEnabled()) return E_FAIL;
    return PostAction(varChild, kDefaultAction);
}

HRESULT CUIAccessible::put_accName(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

HRESULT CUIAccessible::put_accValue(VARIANT, BSTR)
{
    return E_NOTIMPL;
}

// ---- IEnumVARIANT -----------------------------------------------------------------------------------

HRESULT CUIAccessible::Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched)
{
    if (pCeltFetched != nullptr) *pCeltFetched = 0;
    if (rgVar == nullptr) return E_POINTER;
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    ULONG fetched = 0;
    for (; fetched < celt && m_nEnumNext < items.size(); ++fetched) SetI4(&rgVar[fetched], IdOf(items[m_nEnumNext++]));
    if (pCeltFetched != nullptr) *pCeltFetched = fetched;
    return fetched == celt ? S_OK : S_FALSE;
}

HRESULT CUIAccessible::Skip(ULONG celt)
{
    if (m_pManager == nullptr) return CO_E_OBJNOTCONNECTED;
    std::vector<TAccessibleItem> items;
    CurrentItems(items);
    m_nEnumNext += celt;
    if (m_nEnumNext <= items.size()) return S_OK;
    m_nEnumNext = items.size();
    return S_FALSE;
}

HRESULT CUIAccessible::Reset()
{
    m_nEnumNext = 0;
    return m_pManager == nullptr ? CO_E_OBJNOTCONNECTED : S_OK;
}

HRESULT CUIAccessible::Clone(IEnumVARIANT** ppEnum)
{
    // Readers list the children with Reset, Skip and Next (AccessibleChildren); a copy would outlive the
    // window's right to cut it off.
    if (ppEnum != nullptr) *ppEnum = nullptr;
    return E_NOTIMPL;
}

}  // namespace Veneer
