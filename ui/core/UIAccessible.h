// The accessible object (MSAA IAccessible) of a skinned window's client area. The controls are windowless,
// so a screen reader learns of them only through this object: its children are the visible controls that
// carry meaning, in tree order, each a simple element addressed by a child id. Layouts and
// spacers are left out and their children taken in their place; each link of a text follows its text.
//
// A child id names one control for as long as it lives (its serial number, with a slot for each link of a
// text), whatever is shown or hidden meanwhile; ids are therefore not 1..count, and the children are listed
// through IEnumVARIANT (AccessibleChildren). The object holds no control pointers between calls: every call
// walks the current tree, so an id of a control that went, or is hidden, fails with E_INVALIDARG. The paint
// manager owns the object and cuts it off when the window goes (calls then fail with CO_E_OBJNOTCONNECTED),
// while a reader may still hold it.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <vector>

namespace Veneer {

class CPaintManagerUI;
class CControlUI;

// One child of the client object: a control, or one link of a text control.
struct TAccessibleItem
{
    CControlUI* pControl;
    int iLink;  // -1 for the control itself
};

class CUIAccessible final : public IAccessible, public IEnumVARIANT
{
public:
    explicit CUIAccessible(CPaintManagerUI* pManager);
    CUIAccessible(const CUIAccessible&) = delete;
    CUIAccessible& operator=(const CUIAccessible&) = delete;

    // The manager is going away: every later call fails.
    void Disconnect();

    // The children of the client object for the tree under pRoot, in tree order.
    static void CollectItems(CControlUI* pRoot, std::vector<TAccessibleItem>& items);
    // The child id of a control (CHILDID_SELF when it is not exposed).
    static long ChildIdOf(CControlUI* pRoot, CControlUI* pControl, int iLink = -1);
    // What a reader asked for, carried out from the message loop: a caller in another process is never held
    // inside a handler (a modal dialog the action opens, a focus handler), and nothing is done while the
    // window is disabled (a modal dialog in front of it).
    enum EAction { kDefaultAction, kTakeFocus };
    static void RunPostedAction(CPaintManagerUI* pManager, long idChild, int iAction);

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch (no type information: clients call the IAccessible slots directly)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid,
                                            DISPID* rgDispId) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags,
                                     DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                                     UINT* puArgErr) override;

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** ppdispParent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* pcountChildren) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT varChild, IDispatch** ppdispChild) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT varChild, BSTR* pszName) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT varChild, BSTR* pszValue) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT varChild, BSTR* pszDescription) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT varChild, VARIANT* pvarRole) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT varChild, VARIANT* pvarState) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT varChild, BSTR* pszHelp) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* pszHelpFile, VARIANT varChild, long* pidTopic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT varChild, BSTR* pszKeyboardShortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* pvarChildren) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT varChild, BSTR* pszDefaultAction) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flagsSelect, VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* pxLeft, long* pyTop, long* pcxWidth, long* pcyHeight,
                                          VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long navDir, VARIANT varStart, VARIANT* pvarEndUpAt) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long xLeft, long yTop, VARIANT* pvarChild) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT varChild) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT varChild, BSTR szName) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT varChild, BSTR szValue) override;

    // IEnumVARIANT: the child ids in tree order
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, VARIANT* rgVar, ULONG* pCeltFetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** ppEnum) override;

private:
    ~CUIAccessible() = default;

    // Resolves a child id against the current tree: S_OK with the item, S_FALSE for the client itself,
    // E_INVALIDARG for an unknown id, CO_E_OBJNOTCONNECTED once the window is gone.
    HRESULT Resolve(const VARIANT& varChild, TAccessibleItem& item) const;
    HRESULT TextResult(const wchar_t* pstrText, BSTR* pbstr) const;
    HRESULT PostAction(const VARIANT& varChild, int iAction) const;
    void CurrentItems(std::vector<TAccessibleItem>& items) const;
    RECT ScreenRect(const TAccessibleItem& item) const;

    LONG m_cRef = 1;
    CPaintManagerUI* m_pManager;
    size_t m_nEnumNext = 0;
};

}  // namespace Veneer
