// OLE drop target of a paint window and the data object of the control-image drag.
#include <gtest/gtest.h>

#include <shlobj.h>

#include "manager_test_support.h"
#include "ui/core/UIDataObject.h"
#include "ui/core/UIDropTarget.h"

using namespace Veneer;
using namespace pm_test;

namespace {

class OleScope {
public:
    OleScope() : m_hr(::OleInitialize(nullptr)) {}
    ~OleScope()
    {
        if (SUCCEEDED(m_hr)) ::OleUninitialize();
    }
    HRESULT m_hr;
};

// A CF_HDROP block naming one file.
HGLOBAL MakeFileList(LPCWSTR pstrPath)
{
    size_t cch = wcslen(pstrPath);
    size_t cb = sizeof(DROPFILES) + (cch + 2) * sizeof(wchar_t);
    HGLOBAL hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, cb);
    auto* pDrop = static_cast<DROPFILES*>(::GlobalLock(hGlobal));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    memcpy(reinterpret_cast<BYTE*>(pDrop) + sizeof(DROPFILES), pstrPath, cch * sizeof(wchar_t));
    ::GlobalUnlock(hGlobal);
    return hGlobal;
}

class DropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wnd = new WindowHost({100, 100, 400, 300}, WS_POPUP);
        root = new CHorizontalLayoutUI;
        target = new RecordingControl(L"target", nullptr);
        target->SetFixedWidth(150);
        other = new RecordingControl(L"other", nullptr);
        root->Add(target);
        root->Add(other);
        wnd->Attach(root);
    }
    void TearDown() override { delete wnd; }

    IDataObject* MakeFileData()
    {
        auto* pData = new CDataObjectUI;
        FORMATETC fmt = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        medium.tymed = TYMED_HGLOBAL;
        medium.hGlobal = MakeFileList(L"C:\\dropped.txt");
        EXPECT_EQ(S_OK, pData->SetData(&fmt, &medium, TRUE));
        return pData;
    }

    OleScope ole;
    WindowHost* wnd = nullptr;
    CHorizontalLayoutUI* root = nullptr;
    RecordingControl* target = nullptr;
    RecordingControl* other = nullptr;
};

TEST_F(DropTest, FilesDroppedOnADropEnabledControlReachItAsADropNotification)
{
    target->SetDropEnable(true);
    auto* pTarget = new CDropTargetUI(&wnd->Manager());
    IDataObject* pData = MakeFileData();
    POINT pt = {50, 50};
    ::ClientToScreen(wnd->Handle(), &pt);
    ::SetCursorPos(pt.x, pt.y);
    DWORD dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    POINTL ptl = {pt.x, pt.y};
    EXPECT_EQ(S_OK, pTarget->DragEnter(pData, MK_LBUTTON, ptl, &dwEffect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dwEffect);
    dwEffect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(S_OK, pTarget->Drop(pData, 0, ptl, &dwEffect));
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_COPY), dwEffect);
    ASSERT_EQ(1, wnd->Count(L"drop"));
    const Note& note = wnd->notes.back();
    EXPECT_EQ(target, note.sender);
    pData->Release();
    pTarget->Release();
}

TEST_F(DropTest, DropsOnControlsThatDoNotAcceptThemAreRefused)
{
    auto* pTarget = new CDropTargetUI(&wnd->Manager());
    IDataObject* pData = MakeFileData();
    POINT pt = {250, 50};  // "other", not drop-enabled
    ::ClientToScreen(wnd->Handle(), &pt);
    ::SetCursorPos(pt.x, pt.y);
    DWORD dwEffect = DROPEFFECT_COPY;
    POINTL ptl = {pt.x, pt.y};
    pTarget->Drop(pData, 0, ptl, &dwEffect);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dwEffect);
    EXPECT_EQ(0, wnd->Count(L"drop"));
    pData->Release();
    pTarget->Release();
}

TEST_F(DropTest, DataWithoutAnAcceptedFormatIsNotAllowed)
{
    auto* pTarget = new CDropTargetUI(&wnd->Manager());
    auto* pData = new CDataObjectUI;
    FORMATETC fmt = {CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 16);
    pData->SetData(&fmt, &medium, TRUE);
    DWORD dwEffect = DROPEFFECT_COPY;
    POINTL ptl = {0, 0};
    pTarget->DragEnter(pData, 0, ptl, &dwEffect);
    EXPECT_EQ(static_cast<DWORD>(DROPEFFECT_NONE), dwEffect);
    pData->Release();
    pTarget->Release();
}

TEST_F(DropTest, DraggingAControlOutEndsItsPressWhenTheDragLoopReturns)
{
    std::vector<EventRecord> log;
    auto* dragged = new RecordingControl(L"dragged", &log);
    dragged->SetDragEnable(true);
    root->Add(dragged);
    wnd->Manager().NeedUpdate();
    ::UpdateWindow(wnd->Handle());
    WindowHost::Pump();
    const RECT rc = dragged->GetPos();
    const int x = rc.left + 5, y = rc.top + 5;
    ::SendMessageW(wnd->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    ASSERT_TRUE(wnd->Manager().IsCaptured());
    // Starts the system drag loop; no button is really down, so the loop ends at once and
    // the button-up it swallowed never arrives.
    ::SendMessageW(wnd->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 20, y + 10));
    EXPECT_FALSE(wnd->Manager().IsCaptured());
    int ups = 0;
    for (const EventRecord& r : log) ups += r.type == UIEVENT_BUTTONUP ? 1 : 0;
    EXPECT_EQ(1, ups) << "the press is ended";
    log.clear();
    ::SendMessageW(wnd->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    for (const EventRecord& r : log) EXPECT_NE(UIEVENT_MOUSEMOVE, r.type) << "moves elsewhere no longer reach it";
}

// Revoked on WM_DESTROY, while the window still exists: OLE keeps no target (and no manager) for it.
TEST_F(DropTest, TheDropTargetIsRevokedAsTheWindowIsDestroyed)
{
    ASSERT_NE(nullptr, ::GetPropW(wnd->Handle(), L"OleDropTargetInterface"));
    ::SendMessageW(wnd->Handle(), WM_DESTROY, 0, 0);
    EXPECT_EQ(nullptr, ::GetPropW(wnd->Handle(), L"OleDropTargetInterface"));
}

TEST(DataObject, HandsOutCopiesOfABitmapAndEnumeratesItsFormats)
{
    HDC hDC = ::GetDC(nullptr);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hDC, 7, 5);
    ::ReleaseDC(nullptr, hDC);
    ASSERT_NE(nullptr, hBitmap);
    auto* pData = new CDataObjectUI;
    FORMATETC fmt = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI};
    STGMEDIUM medium = {};
    medium.tymed = TYMED_GDI;
    medium.hBitmap = hBitmap;
    ASSERT_EQ(S_OK, pData->SetData(&fmt, &medium, TRUE));
    EXPECT_EQ(S_OK, pData->QueryGetData(&fmt));
    FORMATETC dib = {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_NE(S_OK, pData->QueryGetData(&dib));

    STGMEDIUM out = {};
    ASSERT_EQ(S_OK, pData->GetData(&fmt, &out));
    EXPECT_NE(hBitmap, out.hBitmap) << "a copy: the receiver releases its own";
    BITMAP bm = {};
    ASSERT_NE(0, ::GetObjectW(out.hBitmap, sizeof(bm), &bm));
    EXPECT_EQ(7, bm.bmWidth);
    ::ReleaseStgMedium(&out);

    IEnumFORMATETC* pEnum = nullptr;
    ASSERT_EQ(S_OK, pData->EnumFormatEtc(DATADIR_GET, &pEnum));
    FORMATETC got = {};
    ULONG n = 0;
    EXPECT_EQ(S_OK, pEnum->Next(1, &got, &n));
    EXPECT_EQ(CF_BITMAP, got.cfFormat);
    EXPECT_EQ(S_FALSE, pEnum->Next(1, &got, &n));
    pEnum->Release();
    pData->Release();
}

}  // namespace
