// The accessible tree a screen reader sees of a real window: every control's name, role, state, value and
// default action, the WinEvents the window raises, and the keyboard focus indicator.
#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/ui/controls/controls_test_host.h"
#include "ui/controls/UIOption.h"
#include "ui/controls/UIProgress.h"
#include "ui/controls/UIText.h"
#include "ui/core/UIDlgBuilder.h"

using namespace Veneer;
using controls_test::Host;

namespace {

// MinGW's import library resolves IID_IAccessible to a code thunk: the GUID is spelled out.
const IID kIIDAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

const wchar_t kMarkup[] =
    L"<Window><VerticalLayout bkcolor=\"#FFFFFFFF\">"
    L"<HorizontalLayout height=\"24\">"
    L"<Button name=\"close\" width=\"24\" tooltip=\"Close\"/>"
    L"<Button name=\"named\" width=\"80\" text=\"_\" accessiblename=\"Minimise\"/>"
    L"</HorizontalLayout>"
    L"<Label name=\"title\" height=\"20\" text=\"Welcome\"/>"
    L"<Label name=\"icon\" height=\"20\"/>"
    L"<Option name=\"agree\" height=\"20\" text=\"I agree\" selected=\"true\"/>"
    L"<Option name=\"one\" group=\"g\" height=\"20\" text=\"One\"/>"
    L"<Option name=\"two\" group=\"g\" height=\"20\" text=\"Two\" selected=\"true\"/>"
    L"<CheckBox name=\"cb\" height=\"20\" text=\"Check me\"/>"
    L"<Button name=\"off\" height=\"20\" text=\"Disabled\" enabled=\"false\"/>"
    L"<Progress name=\"pro\" height=\"10\" min=\"0\" max=\"200\" value=\"90\"/>"
    L"<HorizontalLayout height=\"30\">"
    L"<Label width=\"80\" text=\"Install to:\"/>"
    L"<RichEdit name=\"dir\" readonly=\"true\" text=\"C:\\Tools\"/>"
    L"</HorizontalLayout>"
    L"<Text name=\"txt\" height=\"20\" showhtml=\"true\"/>"
    L"<TabLayout name=\"tabs\" height=\"30\" selectedid=\"1\">"
    L"<Button text=\"Page zero\"/><Button text=\"Page one\"/>"
    L"</TabLayout>"
    L"<RichEdit name=\"pw\" height=\"20\" password=\"true\" accessiblename=\"Code\"/>"
    L"<VerticalLayout height=\"20\" vscrollbar=\"true\"><Button height=\"20\" text=\"In\"/>"
    L"<Button name=\"out\" height=\"20\" text=\"Out\"/></VerticalLayout>"  // "Out" is scrolled out of view
    L"</VerticalLayout></Window>";

class AccessibleWindow
{
public:
    AccessibleWindow() : m_host({0, 0, 400, 420})
    {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(kMarkup, nullptr, nullptr, &m_host.Manager());
        EXPECT_NE(nullptr, root);
        m_host.Attach(root);
        Find(L"txt")->SetText(L"Read <a http://x/>this</a>");
        m_host.Layout();
        m_host.Clear();
        ::AccessibleObjectFromWindow(m_host.Handle(), static_cast<DWORD>(OBJID_CLIENT), kIIDAccessible,
                                     reinterpret_cast<void**>(&m_pAcc));
    }
    ~AccessibleWindow()
    {
        if (m_pAcc != nullptr) m_pAcc->Release();
    }

    Host& HostWindow() { return m_host; }
    IAccessible* Acc() const { return m_pAcc; }
    CControlUI* Find(LPCTSTR name) { return m_host.Manager().FindControl(name); }

    long Count() const
    {
        long n = -1;
        m_pAcc->get_accChildCount(&n);
        return n;
    }
    // The helpers take children by position (1 = the first); the ids are the object's own, from its list.
    VARIANT At(long position) const
    {
        std::vector<VARIANT> ids(static_cast<size_t>(Count()));
        long got = 0;
        ::AccessibleChildren(m_pAcc, 0, static_cast<long>(ids.size()), ids.data(), &got);
        return position >= 1 && position <= got ? ids[static_cast<size_t>(position - 1)] : Child(position);
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*), long id) const
    {
        BSTR bstr = nullptr;
        (m_pAcc->*get)(At(id), &bstr);
        std::wstring text = bstr != nullptr ? bstr : L"";
        ::SysFreeString(bstr);
        return text;
    }
    std::wstring Name(long id) const { return Text(&IAccessible::get_accName, id); }
    std::wstring Value(long id) const { return Text(&IAccessible::get_accValue, id); }
    std::wstring Action(long id) const { return Text(&IAccessible::get_accDefaultAction, id); }
    long Role(long id) const { return Variant(&IAccessible::get_accRole, id); }
    long State(long id) const { return Variant(&IAccessible::get_accState, id); }

    // The child id whose name is given (0 when none).
    long IdOf(const std::wstring& name) const
    {
        for (long id = 1; id <= Count(); ++id) {
            if (Name(id) == name) return At(id).lVal;
        }
        return 0;
    }

    static VARIANT Child(long id)
    {
        VARIANT v;
        ::VariantInit(&v);
        v.vt = VT_I4;
        v.lVal = id;
        return v;
    }

private:
    long Variant(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), long id) const
    {
        VARIANT v;
        ::VariantInit(&v);
        (m_pAcc->*get)(At(id), &v);
        return v.vt == VT_I4 ? v.lVal : -1;
    }

    Host m_host;
    IAccessible* m_pAcc = nullptr;
};

std::vector<std::pair<DWORD, LONG>> g_events;
HWND g_hEventWindow = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND hWnd, LONG idObject, LONG idChild, DWORD, DWORD)
{
    if (hWnd == g_hEventWindow && idObject == OBJID_CLIENT) g_events.emplace_back(event, idChild);
}

int CountEvents(DWORD event, LONG idChild)
{
    int n = 0;
    for (const auto& e : g_events) n += (e.first == event && e.second == idChild) ? 1 : 0;
    return n;
}

} // namespace

TEST(AccessibleTree, EveryVisibleControlWithItsNameRoleStateAndValue)
{
    AccessibleWindow w;
    ASSERT_NE(nullptr, w.Acc());
    // The client itself, then its children in tree order: the empty label, the layouts and the hidden tab
    // page are left out; the text's link follows the text.
    VARIANT self = AccessibleWindow::Child(CHILDID_SELF);
    VARIANT role;
    ::VariantInit(&role);
    w.Acc()->get_accRole(self, &role);
    EXPECT_EQ(ROLE_SYSTEM_CLIENT, role.lVal);

    const struct { const wchar_t* name; long role; } expected[] = {
        {L"Close", ROLE_SYSTEM_PUSHBUTTON},     {L"Minimise", ROLE_SYSTEM_PUSHBUTTON},
        {L"Welcome", ROLE_SYSTEM_STATICTEXT},   {L"I agree", ROLE_SYSTEM_CHECKBUTTON},
        {L"One", ROLE_SYSTEM_RADIOBUTTON},      {L"Two", ROLE_SYSTEM_RADIOBUTTON},
        {L"Check me", ROLE_SYSTEM_CHECKBUTTON}, {L"Disabled", ROLE_SYSTEM_PUSHBUTTON},
        {L"", ROLE_SYSTEM_PROGRESSBAR},         {L"Install to:", ROLE_SYSTEM_STATICTEXT},
        {L"Install to:", ROLE_SYSTEM_TEXT},     {L"Read this", ROLE_SYSTEM_STATICTEXT},
        {L"this", ROLE_SYSTEM_LINK},            {L"Page one", ROLE_SYSTEM_PUSHBUTTON},
        {L"Code", ROLE_SYSTEM_TEXT},            {L"In", ROLE_SYSTEM_PUSHBUTTON},      {L"Out", ROLE_SYSTEM_PUSHBUTTON},
    };
    ASSERT_EQ(static_cast<long>(sizeof(expected) / sizeof(expected[0])), w.Count());
    for (long id = 1; id <= w.Count(); ++id) {
        EXPECT_EQ(expected[id - 1].name, w.Name(id)) << id;
        EXPECT_EQ(expected[id - 1].role, w.Role(id)) << id;
    }

    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED, w.State(4));
    EXPECT_EQ(L"Uncheck", w.Action(4));
    EXPECT_EQ(STATE_SYSTEM_FOCUSABLE, w.State(5));
    EXPECT_EQ(L"Check", w.Action(5));
    EXPECT_EQ(L"Check", w.Action(6));  // a selected radio button stays selected
    EXPECT_EQ(STATE_SYSTEM_UNAVAILABLE, w.State(8));
    EXPECT_EQ(L"Press", w.Action(8));
    EXPECT_EQ(L"45%", w.Value(9));
    EXPECT_EQ(STATE_SYSTEM_READONLY, w.State(9));
    EXPECT_EQ(L"C:\\Tools", w.Value(11));
    EXPECT_NE(0, w.State(11) & STATE_SYSTEM_READONLY);
    EXPECT_EQ(L"http://x/", w.Value(13));
    EXPECT_EQ(L"Jump", w.Action(13));
    EXPECT_EQ(L"", w.Action(3));

    // Location in screen pixels, and the hit test finding the control back there.
    long x = 0, y = 0, cx = 0, cy = 0;
    ASSERT_EQ(S_OK, w.Acc()->accLocation(&x, &y, &cx, &cy, w.At(2)));
    RECT rc = w.Find(L"named")->GetPos();
    ::MapWindowPoints(w.HostWindow().Handle(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(rc.left, x);
    EXPECT_EQ(rc.top, y);
    EXPECT_EQ(rc.right - rc.left, cx);
    EXPECT_EQ(rc.bottom - rc.top, cy);
    VARIANT hit;
    ::VariantInit(&hit);
    ASSERT_EQ(S_OK, w.Acc()->accHitTest(x + cx / 2, y + cy / 2, &hit));
    EXPECT_EQ(w.At(2).lVal, hit.lVal);

    // Focus, as the keyboard moves it; the selected tab page and a language's text change the tree.
    ::SetFocus(w.HostWindow().Handle());
    w.Find(L"cb")->SetFocus();
    VARIANT focus;
    ::VariantInit(&focus);
    ASSERT_EQ(S_OK, w.Acc()->get_accFocus(&focus));
    EXPECT_EQ(w.At(7).lVal, focus.lVal);
    EXPECT_NE(0, w.State(7) & STATE_SYSTEM_FOCUSED);
    w.Find(L"title")->SetText(L"Bienvenue");
    EXPECT_EQ(L"Bienvenue", w.Name(3));
    BSTR none = nullptr;
    EXPECT_EQ(E_INVALIDARG, w.Acc()->get_accName(AccessibleWindow::Child(0x7FFFFFFF), &none));

    // An id stays with its control when others are hidden, and fails while its own control is hidden.
    const VARIANT agree = w.At(4), check = w.At(7);
    w.Find(L"agree")->SetVisible(false);
    ASSERT_EQ(S_OK, w.Acc()->get_accName(check, &none));
    EXPECT_STREQ(L"Check me", none);
    ::SysFreeString(none);
    EXPECT_EQ(E_INVALIDARG, w.Acc()->get_accName(agree, &none));
    // Read as drawn: a password not at all, markup text with its escapes and raw runs, a link by its text.
    w.Find(L"pw")->SetText(L"secret");
    w.Find(L"txt")->SetText(L"a<{>b {b}bold{/b} <r><b></r> <a http://x/>the <b>site</b></a>");
    w.HostWindow().Layout();
    EXPECT_EQ(L"", w.Value(14));  // positions after the hidden "I agree"
    EXPECT_NE(0, w.State(14) & STATE_SYSTEM_PROTECTED);
    EXPECT_EQ(L"a{b bold <b> the site", w.Name(11));
    EXPECT_EQ(L"the site", w.Name(12));
}

TEST(AccessibleTree, DefaultActionsActAsClicksFromTheMessageLoop)
{
    AccessibleWindow w;
    ASSERT_NE(nullptr, w.Acc());
    const long agree = w.IdOf(L"I agree");
    ASSERT_EQ(S_OK, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(agree)));
    // Carried out from the message loop, so a caller is never held inside what the click opens.
    EXPECT_TRUE(w.HostWindow().Types().empty());
    Host::Pump();
    EXPECT_FALSE(static_cast<COptionUI*>(w.Find(L"agree"))->IsSelected());
    EXPECT_EQ((std::vector<std::wstring>{L"selectchanged", L"click"}), w.HostWindow().Types());

    w.HostWindow().Clear();
    EXPECT_EQ(E_FAIL, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(w.IdOf(L"Disabled"))));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(w.IdOf(L"Welcome"))));
    ASSERT_EQ(S_OK, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(w.IdOf(L"this"))));
    ASSERT_EQ(S_OK, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(w.IdOf(L"Close"))));
    // A control hidden before the posted action runs is not acted on.
    ASSERT_EQ(S_OK, w.Acc()->accDoDefaultAction(AccessibleWindow::Child(w.IdOf(L"Minimise"))));
    w.Find(L"named")->SetVisible(false);
    Host::Pump();
    EXPECT_EQ(1, w.HostWindow().Count(L"link"));
    ASSERT_EQ(1, w.HostWindow().Count(L"click"));
    for (const test_support::Note& note : w.HostWindow().notes) {
        if (note.type == L"click") {
            EXPECT_EQ(w.Find(L"close"), note.sender);
        }
    }

    // Behind a modal window (its owner disabled) nothing is done for a reader, not even what was asked before.
    const VARIANT cb = AccessibleWindow::Child(w.IdOf(L"Check me"));
    ASSERT_EQ(S_OK, w.Acc()->accDoDefaultAction(cb));
    ::EnableWindow(w.HostWindow().Handle(), FALSE);
    Host::Pump();
    EXPECT_EQ(E_FAIL, w.Acc()->accSelect(SELFLAG_TAKEFOCUS, cb));
    ::EnableWindow(w.HostWindow().Handle(), TRUE);
    // A focus request, too, runs from the message loop, never inside the reader's call.
    ASSERT_EQ(S_OK, w.Acc()->accSelect(SELFLAG_TAKEFOCUS, cb));
    EXPECT_NE(w.Find(L"cb"), w.HostWindow().Manager().GetFocus());
    Host::Pump();
    EXPECT_EQ(w.Find(L"cb"), w.HostWindow().Manager().GetFocus());
    EXPECT_EQ(1, w.HostWindow().Count(L"click"));
}

TEST(AccessibleTree, AReaderHoldingTheObjectAfterTheWindowWentGetsAnError)
{
    IAccessible* pAcc = nullptr;
    {
        AccessibleWindow w;
        ASSERT_NE(nullptr, w.Acc());
        pAcc = w.Acc();
        pAcc->AddRef();
    }
    long n = 0;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, pAcc->get_accChildCount(&n));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, pAcc->accDoDefaultAction(AccessibleWindow::Child(1)));
    pAcc->Release();
}

TEST(AccessibleEvents, FocusStateValueAndVisibilityReachAHook)
{
    AccessibleWindow w;
    ASSERT_NE(nullptr, w.Acc());
    g_events.clear();
    g_hEventWindow = w.HostWindow().Handle();
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnWinEvent, ::GetCurrentProcessId(), 0,
                                           WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(nullptr, hook);
    ::SetFocus(w.HostWindow().Handle());

    LRESULT lRes = 0;
    // The first layout gave the close button the focus; Tab goes on to "Minimise", then past the label to
    // "I agree".
    ASSERT_EQ(w.Find(L"close"), w.HostWindow().Manager().GetFocus());
    w.HostWindow().Manager().PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, lRes);
    w.HostWindow().Manager().PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, lRes);
    static_cast<COptionUI*>(w.Find(L"agree"))->Selected(false);
    auto* pro = static_cast<CProgressUI*>(w.Find(L"pro"));
    pro->SetValue(91);  // 45.5 %: the same whole percent, no event
    pro->SetValue(92);  // 46 %
    pro->SetValue(93);
    w.Find(L"named")->SetVisible(false);
    w.Find(L"named")->SetVisible(true);
    Host::PumpFor(200);
    ::UnhookWinEvent(hook);

    EXPECT_EQ(1, CountEvents(EVENT_OBJECT_FOCUS, w.At(2).lVal));
    EXPECT_EQ(1, CountEvents(EVENT_OBJECT_FOCUS, w.At(4).lVal));
    EXPECT_EQ(1, CountEvents(EVENT_OBJECT_STATECHANGE, w.At(4).lVal));
    EXPECT_EQ(1, CountEvents(EVENT_OBJECT_VALUECHANGE, w.At(9).lVal));
    EXPECT_EQ(1, CountEvents(EVENT_OBJECT_SHOW, w.At(2).lVal));
    EXPECT_EQ(2, CountEvents(EVENT_OBJECT_REORDER, CHILDID_SELF));
}

TEST(FocusIndicator, HiddenUntilTheKeyboardIsUsedThenDrawnInsideTheControl)
{
    // The system's "always underline access keys" setting, off for this test (as Windows ships it).
    BOOL bAlwaysCues = FALSE;
    ::SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &bAlwaysCues, 0);
    ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(FALSE)), 0);
    struct Restore
    {
        BOOL b;
        ~Restore() { ::SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<PVOID>(static_cast<INT_PTR>(b)), 0); }
    } restore{bAlwaysCues};
    AccessibleWindow w;
    CPaintManagerUI& pm = w.HostWindow().Manager();
    CControlUI* button = w.Find(L"named");
    // The row 2 pixels inside the control's top, as the screen shows it after the system asked for the whole
    // window again (an expose: nothing in the window changed).
    auto edgePixels = [&](CControlUI* pControl) {
        w.HostWindow().Layout();
        const RECT rc = pControl->GetPos();
        std::vector<COLORREF> pixels;
        HDC hDC = ::GetDC(w.HostWindow().Handle());
        for (LONG x = rc.left; x < rc.right; ++x) pixels.push_back(::GetPixel(hDC, x, rc.top + 2));
        ::ReleaseDC(w.HostWindow().Handle(), hDC);
        return pixels;
    };
    const std::vector<COLORREF> plain = edgePixels(button);
    button->SetFocus();  // as a click would: no indicator yet
    EXPECT_FALSE(pm.IsFocusIndicatorShown());
    EXPECT_EQ(plain, edgePixels(button));

    LRESULT lRes = 0;
    pm.PreMessageHandler(WM_KEYDOWN, VK_TAB, 0, lRes);  // the first navigation key shows it...
    EXPECT_TRUE(pm.IsFocusIndicatorShown());
    button->SetFocus();
    const std::vector<COLORREF> focused = edgePixels(button);
    EXPECT_NE(plain, focused);  // ...drawn 2 pixels inside the focused control
    EXPECT_EQ(focused, edgePixels(button)) << "a second expose keeps it";
    // Only around tab stops, and only where the ancestors show the control.
    for (CControlUI* pOther : {w.Find(L"title"), w.Find(L"out")}) {
        const std::vector<COLORREF> before = edgePixels(pOther);
        pOther->SetFocus();
        EXPECT_EQ(before, edgePixels(pOther)) << pOther->GetText().GetData();
    }

    button->SetFocus();
    w.HostWindow().Send(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS));
    EXPECT_FALSE(pm.IsFocusIndicatorShown());
    EXPECT_EQ(plain, edgePixels(button));
}

TEST(HighContrast, TextTakesTheSystemColoursInsteadOfTheSkins)
{
    HIGHCONTRASTW before = {};
    before.cbSize = sizeof(before);
    ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(before), &before, 0);
    auto redPixels = [](Host& host, const RECT& rc, COLORREF* pOther) {
        host.Layout();
        int red = 0;
        HDC hDC = ::GetDC(host.Handle());
        for (LONG y = rc.top; y < rc.bottom; ++y) {
            for (LONG x = rc.left; x < rc.right; ++x) {
                const COLORREF cr = ::GetPixel(hDC, x, y);
                if (cr == RGB(255, 0, 0)) ++red;
                else if (cr == ::GetSysColor(COLOR_WINDOWTEXT) && pOther != nullptr) *pOther = cr;
            }
        }
        ::ReleaseDC(host.Handle(), hDC);
        return red;
    };
    Host host({0, 0, 200, 60});
    CDialogBuilder builder;
    host.Attach(builder.Create(L"<Window><Font id=\"0\" name=\"Arial\" size=\"30\" bold=\"true\" default=\"true\"/>"
                               L"<VerticalLayout bkcolor=\"#FF00FF00\"><Label name=\"l\" text=\"HHHH\" "
                               L"textcolor=\"#FFFF0000\"/></VerticalLayout></Window>",
                               nullptr, nullptr, &host.Manager()));
    const RECT rc = host.Manager().FindControl(L"l")->GetPos();
    ASSERT_GT(redPixels(host, rc, nullptr), 0);  // the skin's red text

    HIGHCONTRASTW on = before;
    on.dwFlags |= HCF_HIGHCONTRASTON;
    ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(on), &on, 0);
    struct Restore
    {
        HIGHCONTRASTW hc;
        ~Restore() { ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(hc), &hc, 0); }
    } restore{before};
    if (!CPaintManagerUI::IsHighContrast()) GTEST_SKIP() << "the system cannot switch to high contrast";
    host.Send(WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST);
    COLORREF text = CLR_INVALID;
    EXPECT_EQ(0, redPixels(host, rc, &text));
    EXPECT_EQ(::GetSysColor(COLOR_WINDOWTEXT), text);
}
