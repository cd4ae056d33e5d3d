// Snapshots of controls into bitmaps.
#include "render_test_support.h"

#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"

using namespace RenderTest;

namespace {

DWORD BitmapPixel(HBITMAP hBitmap, int x, int y)
{
    DIBSECTION ds = {};
    if (::GetObject(hBitmap, sizeof(ds), &ds) != sizeof(ds) || ds.dsBm.bmBits == nullptr) return 0xDEADBEEF;
    ::GdiFlush();
    return static_cast<const DWORD*>(ds.dsBm.bmBits)[y * ds.dsBm.bmWidth + x];
}

SIZE BitmapSize(HBITMAP hBitmap)
{
    BITMAP bm = {};
    ::GetObject(hBitmap, sizeof(bm), &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

class RenderBitmap : public ManagerFixture {
protected:
    void SetUp() override
    {
        ManagerFixture::SetUp();
        m_pRoot = new CContainerUI;
        m_pRoot->SetBkColor(0xFF0000FF);
        m_pChild = new CControlUI;
        m_pChild->SetFloat(true);
        m_pChild->SetBkColor(0xFFFF0000);
        m_pRoot->Add(m_pChild);
        ASSERT_TRUE(m_pm.AttachDialog(m_pRoot));
        m_pRoot->SetPos(RECT{0, 0, 100, 60});
        m_pChild->SetPos(RECT{20, 10, 50, 30});
    }

    CContainerUI* m_pRoot = nullptr;
    CControlUI* m_pChild = nullptr;
};

} // namespace

TEST_F(RenderBitmap, WindowAreaIsPaintedIntoANewBitmap)
{
    HBITMAP hBitmap = CRenderEngine::GenerateBitmap(&m_pm, RECT{10, 5, 60, 35});
    ASSERT_NE(nullptr, hBitmap);
    const SIZE size = BitmapSize(hBitmap);
    EXPECT_EQ(50, size.cx);
    EXPECT_EQ(30, size.cy);
    EXPECT_EQ(0x0000FFu, BitmapPixel(hBitmap, 0, 0) & 0xFFFFFF);
    // The child's top-left (20,10) lands at (10,5) of the snapshot.
    EXPECT_EQ(0xFF0000u, BitmapPixel(hBitmap, 10, 5) & 0xFFFFFF);
    EXPECT_EQ(0x0000FFu, BitmapPixel(hBitmap, 9, 5) & 0xFFFFFF);
    EXPECT_EQ(0xFF0000u, BitmapPixel(hBitmap, 39, 24) & 0xFFFFFF);
    ::DeleteObject(hBitmap);
}

TEST_F(RenderBitmap, ControlSnapshotStartsFromTheFilterColour)
{
    HBITMAP hBitmap = CRenderEngine::GenerateBitmap(&m_pm, m_pChild, RECT{10, 0, 60, 40}, 0xFF00FF00);
    ASSERT_NE(nullptr, hBitmap);
    // Only the child paints: around it the filter colour stays.
    EXPECT_EQ(0xFF00FF00u, BitmapPixel(hBitmap, 0, 0));
    EXPECT_EQ(0xFF0000u, BitmapPixel(hBitmap, 10, 10) & 0xFFFFFF);
    EXPECT_EQ(0xFF00FF00u, BitmapPixel(hBitmap, 45, 35));
    ::DeleteObject(hBitmap);
}

TEST_F(RenderBitmap, EmptyOrInvalidAreasGiveNothing)
{
    EXPECT_EQ(nullptr, CRenderEngine::GenerateBitmap(&m_pm, RECT{10, 10, 10, 20}));
    EXPECT_EQ(nullptr, CRenderEngine::GenerateBitmap(nullptr, RECT{0, 0, 10, 10}));
    EXPECT_EQ(nullptr, CRenderEngine::GenerateBitmap(&m_pm, nullptr, RECT{0, 0, 10, 10}));
}
