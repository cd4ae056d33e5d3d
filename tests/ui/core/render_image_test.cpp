// Image descriptors, image decoding and the nine-grid blit.
#include "render_test_support.h"
#include "tests/support/RectMatchers.h"

#include "ui/core/UIScaledImageCache.h"

using namespace RenderTest;

namespace {

// Frames of 2x1 pixels over a four-colour table: red, blue, green, white.
std::vector<BYTE> TwoFrameGif()
{
    std::vector<BYTE> gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x81, 0, 0};
    const BYTE table[] = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF};
    gif.insert(gif.end(), table, table + sizeof(table));
    auto frame = [&gif](BYTE delay, int p0, int p1) {
        const BYTE gce[] = {0x21, 0xF9, 0x04, 0x00, delay, 0x00, 0x00, 0x00};
        gif.insert(gif.end(), gce, gce + sizeof(gce));
        const BYTE desc[] = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x00, 0x02};
        gif.insert(gif.end(), desc, desc + sizeof(desc));
        // Codes of three bits: clear (4), p0, p1, end (5).
        const unsigned bits = 4u | (static_cast<unsigned>(p0) << 3) | (static_cast<unsigned>(p1) << 6) | (5u << 9);
        const BYTE data[] = {2, static_cast<BYTE>(bits & 0xFF), static_cast<BYTE>(bits >> 8), 0};
        gif.insert(gif.end(), data, data + sizeof(data));
    };
    frame(10, 0, 1);
    frame(20, 2, 3);
    gif.push_back(0x3B);
    return gif;
}

std::string SquareSvg(int w, int h, const char* fill)
{
    char text[256];
    snprintf(text, sizeof(text),
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\">"
             "<rect x=\"0\" y=\"0\" width=\"%d\" height=\"%d\" fill=\"%s\"/></svg>",
             w, h, w, h, fill);
    return text;
}

DWORD PixelOf(const TImageInfo* image, int x, int y)
{
    ::GdiFlush();
    return reinterpret_cast<const DWORD*>(image->pBits)[y * image->nX + x];
}

class SoftwareBlendScope {
public:
    SoftwareBlendScope() { CRenderEngine::ForceSoftwareBlend(true); }
    ~SoftwareBlendScope() { CRenderEngine::ForceSoftwareBlend(false); }
};

void ExpectNear(DWORD actual, int r, int g, int b, int tolerance)
{
    EXPECT_NEAR(Channel(actual, 16), r, tolerance) << std::hex << actual;
    EXPECT_NEAR(Channel(actual, 8), g, tolerance) << std::hex << actual;
    EXPECT_NEAR(Channel(actual, 0), b, tolerance) << std::hex << actual;
}

struct ImageDeleter {
    void operator()(TImageInfo* p) const { CRenderEngine::FreeImage(p); }
};
typedef std::unique_ptr<TImageInfo, ImageDeleter> ImagePtr;

ImagePtr FromBytes(const std::vector<BYTE>& bytes, DWORD mask = 0, int w = 0, int h = 0, DWORD fill = 0,
                   CPaintManagerUI* pm = nullptr)
{
    return ImagePtr(CRenderEngine::LoadImageFromMemory(bytes.data(), static_cast<DWORD>(bytes.size()), mask, w, h, fill, pm));
}

ImagePtr FromText(const std::string& text, int w = 0, int h = 0, DWORD fill = 0, CPaintManagerUI* pm = nullptr)
{
    return FromBytes(std::vector<BYTE>(text.begin(), text.end()), 0, w, h, fill, pm);
}

// Nine distinct cells on a 160x40 picture with 5-pixel borders.
const DWORD kTL = 0xFFFF0000, kTR = 0xFF00FF00, kBL = 0xFF0000FF, kBR = 0xFFFFFF00, kTop = 0xFF00FFFF,
            kBottom = 0xFFFF00FF, kLeft = 0xFF808080, kRight = 0xFF404040, kMid = 0xFFFF8000;

std::vector<BYTE> NineCellPng()
{
    std::vector<DWORD> px(160 * 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) {
            const int col = x < 5 ? 0 : (x >= 155 ? 2 : 1);
            const int row = y < 5 ? 0 : (y >= 35 ? 2 : 1);
            const DWORD cells[3][3] = {{kTL, kTop, kTR}, {kLeft, kMid, kRight}, {kBL, kBottom, kBR}};
            px[static_cast<size_t>(y * 160 + x)] = cells[row][col];
        }
    return MakePng(160, 40, px);
}

void ExpectNineCells(const Canvas& c, int ox, int oy)
{
    EXPECT_EQ(kTL & 0xFFFFFF, c.Rgb(ox + 0, oy + 0));
    EXPECT_EQ(kTL & 0xFFFFFF, c.Rgb(ox + 4, oy + 4));
    EXPECT_EQ(kTop & 0xFFFFFF, c.Rgb(ox + 5, oy + 4));
    EXPECT_EQ(kTop & 0xFFFFFF, c.Rgb(ox + 294, oy + 0));
    EXPECT_EQ(kTR & 0xFFFFFF, c.Rgb(ox + 295, oy + 0));
    EXPECT_EQ(kTR & 0xFFFFFF, c.Rgb(ox + 299, oy + 4));
    EXPECT_EQ(kLeft & 0xFFFFFF, c.Rgb(ox + 4, oy + 5));
    EXPECT_EQ(kLeft & 0xFFFFFF, c.Rgb(ox + 0, oy + 54));
    EXPECT_EQ(kMid & 0xFFFFFF, c.Rgb(ox + 5, oy + 5));
    EXPECT_EQ(kMid & 0xFFFFFF, c.Rgb(ox + 150, oy + 30));
    EXPECT_EQ(kMid & 0xFFFFFF, c.Rgb(ox + 294, oy + 54));
    EXPECT_EQ(kRight & 0xFFFFFF, c.Rgb(ox + 295, oy + 30));
    EXPECT_EQ(kBL & 0xFFFFFF, c.Rgb(ox + 0, oy + 55));
    EXPECT_EQ(kBottom & 0xFFFFFF, c.Rgb(ox + 150, oy + 59));
    EXPECT_EQ(kBR & 0xFFFFFF, c.Rgb(ox + 295, oy + 55));
    EXPECT_EQ(kBR & 0xFFFFFF, c.Rgb(ox + 299, oy + 59));
}

class RenderImage : public ManagerFixture {
protected:
    void TearDown() override
    {
        m_pm.GetDPIObj()->SetScale(96);
        ManagerFixture::TearDown();
    }
};

} // namespace

// ---- descriptor grammar -------------------------------------------------------------------

TEST(RenderDescriptor, PairsAreParsedIntoTheRecord)
{
    TDrawInfo info;
    info.Parse(L"file='btn_close.png' source='0,0,14,14' corner='1,2,3,4' dest='5,6,7,8'", nullptr, nullptr);
    EXPECT_STREQ(L"btn_close.png", info.sImageName.GetData());
    EXPECT_EQ(14, info.rcSource.right);
    EXPECT_EQ(14, info.rcSource.bottom);
    EXPECT_EQ(1, info.rcCorner.left);
    EXPECT_EQ(4, info.rcCorner.bottom);
    EXPECT_EQ(5, info.rcDest.left);
    EXPECT_EQ(8, info.rcDest.bottom);
    EXPECT_EQ(255, info.uFade);
}

TEST(RenderDescriptor, BareNameIsTheImageName)
{
    TDrawInfo info;
    info.Parse(L"page_home.png", nullptr, nullptr);
    EXPECT_STREQ(L"page_home.png", info.sImageName.GetData());
    EXPECT_STREQ(L"page_home.png", info.sDrawString.GetData());
}

TEST(RenderDescriptor, ExtraBlanksBetweenPairsAreSkippedButACommaStops)
{
    TDrawInfo blanks;
    blanks.Parse(L"file='a.png'  source='0,0,14,14'", nullptr, nullptr);
    EXPECT_STREQ(L"a.png", blanks.sImageName.GetData());
    EXPECT_EQ(14, blanks.rcSource.right);

    TDrawInfo comma;
    comma.Parse(L"file='a.png',source='0,0,14,14'", nullptr, nullptr);
    EXPECT_STREQ(L"a.png", comma.sImageName.GetData());
    EXPECT_EQ(0, comma.rcSource.right);

    TDrawInfo spaced;
    spaced.Parse(L"  file = 'a.png' fade='10'", nullptr, nullptr);
    EXPECT_STREQ(L"a.png", spaced.sImageName.GetData());
    EXPECT_EQ(10, spaced.uFade);
}

TEST(RenderDescriptor, MalformedPairStopsAndKeepsWhatWasRead)
{
    TDrawInfo info;
    info.Parse(L"fade='20' corner=5,5,5,5 source='0,0,1,1'", nullptr, nullptr);
    EXPECT_EQ(20, info.uFade);
    EXPECT_EQ(0, info.rcCorner.left);
    EXPECT_EQ(0, info.rcSource.right);

    TDrawInfo unterminated;
    unterminated.Parse(L"fade='20' file='x.png", nullptr, nullptr);
    EXPECT_EQ(20, unterminated.uFade);
    EXPECT_STREQ(L"fade='20' file='x.png", unterminated.sImageName.GetData());
}

TEST(RenderDescriptor, EmptyValuesAndUnknownOrUpperCaseKeysAreIgnored)
{
    TDrawInfo info;
    info.Parse(L"file='a.png' fade='' FILE='b.png' colour='red' hole='TRUE'", nullptr, nullptr);
    EXPECT_STREQ(L"a.png", info.sImageName.GetData());
    EXPECT_EQ(255, info.uFade);
    EXPECT_TRUE(info.bHole);
}

TEST(RenderDescriptor, FlagsMaskAlignmentAndSizes)
{
    TDrawInfo info;
    info.Parse(L"res='130' restype='PNG' mask='#FFFF00FF' fade='128' xtiled='true' ytiled='True' hsl='true' "
               L"align='right' valign='bottom' width='24' height='12' fillcolor='#FF112233' padding='1,2,3,4'",
               nullptr, nullptr);
    EXPECT_STREQ(L"130", info.sImageName.GetData());
    EXPECT_STREQ(L"PNG", info.sResType.GetData());
    EXPECT_EQ(0xFFFF00FFu, info.dwMask);
    EXPECT_EQ(128, info.uFade);
    EXPECT_TRUE(info.bTiledX);
    EXPECT_TRUE(info.bTiledY);
    EXPECT_TRUE(info.bHSL);
    EXPECT_FALSE(info.bHole);
    EXPECT_EQ(DRAWINFO_ALIGN_RIGHT | DRAWINFO_ALIGN_BOTTOM, info.uAlign);
    EXPECT_EQ(24, info.width);
    EXPECT_EQ(12, info.height);
    EXPECT_EQ(0xFF112233u, info.fillcolor);
    EXPECT_EQ(3, info.rcPadding.right);

    TDrawInfo words;
    words.Parse(L"align='center' valign='vcenter' align='middle'", nullptr, nullptr);
    EXPECT_EQ(DRAWINFO_ALIGN_CENTER | DRAWINFO_ALIGN_VCENTER, words.uAlign);
}

TEST(RenderDescriptor, ModifierOverridesTheDescriptor)
{
    TDrawInfo info;
    info.Parse(L"file='a.png' dest='0,0,5,5' fade='100'", L"dest='1,1,2,2'", nullptr);
    EXPECT_STREQ(L"a.png", info.sImageName.GetData());
    EXPECT_EQ(1, info.rcDest.left);
    EXPECT_EQ(2, info.rcDest.right);
    EXPECT_EQ(100, info.uFade);
    EXPECT_STREQ(L"dest='1,1,2,2'", info.sDrawModify.GetData());
}

TEST_F(RenderImage, ScaledPictureIsUsedOnlyWhenPresent)
{
    m_folder.Write(L"btn.png", SolidPng(10, 10, 0xFFFF0000));
    m_folder.Write(L"btn@150.png", SolidPng(15, 15, 0xFF0000FF));
    m_folder.Write(L"solo.png", SolidPng(10, 10, 0xFFFF0000));
    m_pm.GetDPIObj()->SetScale(144);
    ASSERT_EQ(150, m_pm.GetDPIObj()->GetScale());

    TDrawInfo scaled;
    scaled.Parse(L"file='btn.png' source='0,0,10,10' corner='2,2,2,2' dest='0,0,10,10'", nullptr, &m_pm);
    EXPECT_STREQ(L"btn@150.png", scaled.sImageName.GetData());
    EXPECT_EQ(15, scaled.rcSource.right);
    EXPECT_EQ(3, scaled.rcCorner.left);
    EXPECT_EQ(15, scaled.rcDest.right);

    TDrawInfo plain;
    plain.Parse(L"file='solo.png' source='0,0,10,10'", nullptr, &m_pm);
    EXPECT_STREQ(L"solo.png", plain.sImageName.GetData());
    EXPECT_EQ(10, plain.rcSource.right);

    m_pm.GetDPIObj()->SetScale(96);
    TDrawInfo normal;
    normal.Parse(L"file='btn.png' source='0,0,10,10'", nullptr, &m_pm);
    EXPECT_STREQ(L"btn.png", normal.sImageName.GetData());
}

// At the installer's 115 % every skin image is first asked for as "name@115.png": that probe, and any relative
// name, is the skin's alone to answer, never a file planted in the current directory or beside the skin folder.
TEST_F(RenderImage, PicturesPlantedOutsideTheSkinAreNeverRead)
{
    m_folder.Write(L"btn.png", SolidPng(10, 10, 0xFFFF0000));
    const std::wstring planted = m_folder.Path() + L"..\\render_planted\\"; // the downloads folder, say
    ::CreateDirectoryW(planted.c_str(), nullptr);
    const std::vector<BYTE> png = SolidPng(12, 12, 0xFF00FF00);
    for (const wchar_t* name : {L"btn@115.png", L"planted.png"}) {
        HANDLE file = ::CreateFileW((planted + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD done = 0;
        ::WriteFile(file, png.data(), static_cast<DWORD>(png.size()), &done, nullptr);
        ::CloseHandle(file);
    }
    wchar_t previous[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ASSERT_TRUE(::SetCurrentDirectoryW(planted.c_str()));
    m_pm.GetDPIObj()->SetScale(110);
    ASSERT_EQ(115, m_pm.GetDPIObj()->GetScale());

    TDrawInfo info;
    info.Parse(L"file='btn.png' source='0,0,10,10'", nullptr, &m_pm);
    EXPECT_STREQ(L"btn.png", info.sImageName.GetData());
    EXPECT_EQ(10, info.rcSource.right);
    for (const wchar_t* name : {L"planted.png", L"..\\render_planted\\planted.png"})
        EXPECT_FALSE(ImagePtr(CRenderEngine::LoadImage(name))) << name;
    CPaintManagerUI::SetResourcePath(L""); // no skin folder: the current directory does not become one
    EXPECT_FALSE(ImagePtr(CRenderEngine::LoadImage(L"planted.png")));
    EXPECT_TRUE(ImagePtr(CRenderEngine::LoadImage((planted + L"planted.png").c_str()))); // a full path still loads

    ::SetCurrentDirectoryW(previous);
    for (const wchar_t* name : {L"btn@115.png", L"planted.png"})
        ::DeleteFileW((planted + name).c_str());
    ::RemoveDirectoryW(planted.c_str());
}

// ---- decoding -------------------------------------------------------------------------------

TEST(RenderDecode, PixelsArePremultipliedAndAlphaIsFlagged)
{
    ImagePtr opaque = FromBytes(SolidPng(3, 2, 0xFF336699));
    ASSERT_TRUE(opaque);
    EXPECT_EQ(3, opaque->nX);
    EXPECT_EQ(2, opaque->nY);
    EXPECT_FALSE(opaque->bAlpha);
    EXPECT_EQ(0xFF336699u, PixelOf(opaque.get(), 2, 1));
    EXPECT_EQ(0, opaque->delay);
    EXPECT_EQ(nullptr, opaque->pSrcBits);

    ImagePtr half = FromBytes(SolidPng(1, 1, 0x80FF0000));
    ASSERT_TRUE(half);
    EXPECT_TRUE(half->bAlpha);
    EXPECT_EQ(0x80800000u, PixelOf(half.get(), 0, 0));
}

TEST(RenderDecode, BitmapIsTopDown)
{
    std::vector<DWORD> px = {0xFFFF0000, 0xFF0000FF};
    ImagePtr image = FromBytes(MakePng(1, 2, px));
    ASSERT_TRUE(image);
    EXPECT_EQ(0xFFFF0000u, PixelOf(image.get(), 0, 0));
    BITMAP bm = {};
    ::GetObject(image->hBitmap, sizeof(bm), &bm);
    EXPECT_EQ(32, bm.bmBitsPixel);
    EXPECT_EQ(1, bm.bmWidth);
}

TEST(RenderDecode, MaskColourBecomesTransparent)
{
    std::vector<DWORD> px = {0xFFFF00FF, 0xFFFF0000};
    ImagePtr masked = FromBytes(MakePng(2, 1, px), 0xFFFF00FF);
    ASSERT_TRUE(masked);
    EXPECT_TRUE(masked->bAlpha);
    EXPECT_EQ(0u, PixelOf(masked.get(), 0, 0));
    EXPECT_EQ(0xFFFF0000u, PixelOf(masked.get(), 1, 0));
    EXPECT_EQ(0xFFFF00FFu, masked->dwMask);

    ImagePtr unmasked = FromBytes(MakePng(2, 1, px));
    EXPECT_FALSE(unmasked->bAlpha);
    EXPECT_EQ(0xFFFF00FFu, PixelOf(unmasked.get(), 0, 0));
}

TEST(RenderDecode, UndecodableBytesGiveNothing)
{
    EXPECT_FALSE(FromText("this is neither a picture nor an svg"));
    EXPECT_FALSE(FromText("<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>"));
    EXPECT_EQ(nullptr, CRenderEngine::LoadImageFromMemory(nullptr, 10, 0, 0, 0, 0, nullptr));
}

TEST(RenderDecode, SvgIsRasterisedAtItsOwnOrTheRequestedSize)
{
    ImagePtr own = FromText(SquareSvg(24, 24, "#ff0000"));
    ASSERT_TRUE(own);
    EXPECT_EQ(24, own->nX);
    EXPECT_EQ(0xFFFF0000u, PixelOf(own.get(), 12, 12));

    ImagePtr fitted = FromText(SquareSvg(24, 24, "#ff0000"), 48, 48);
    ASSERT_TRUE(fitted);
    EXPECT_EQ(48, fitted->nX);
    EXPECT_EQ(48, fitted->nY);
    EXPECT_EQ(0xFFFF0000u, PixelOf(fitted.get(), 47, 47));
}

TEST(RenderDecode, HugeSizesAreAFailedLoadNotACrash)
{
    // From the file: 32768 squared is 2^32 bytes (0 in 32 bits), one more overflows the heap.
    EXPECT_FALSE(FromText(SquareSvg(32768, 32768, "#ff0000")));
    EXPECT_FALSE(FromText(SquareSvg(32769, 32768, "#ff0000")));
    EXPECT_FALSE(FromText(SquareSvg(20000, 20000, "#ff0000")));
    EXPECT_FALSE(FromText("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1e30\" height=\"1e30\"></svg>"));
    // From the descriptor's width and height.
    EXPECT_FALSE(FromText(SquareSvg(24, 24, "#ff0000"), 20000, 20000));
    EXPECT_FALSE(FromText(SquareSvg(1, 40000, "#ff0000"), 24, 24));
    // A huge source fitted down to a small size is fine.
    ImagePtr small = FromText(SquareSvg(30000, 30000, "#ff0000"), 16, 16);
    ASSERT_TRUE(small);
    EXPECT_EQ(16, small->nX);

    // A raster header claiming 60000 x 60000 pixels over a few bytes of data.
    std::vector<BYTE> png = MakePng(1, 1, std::vector<DWORD>(1, 0xFFFF0000));
    ASSERT_TRUE(FromBytes(png));
    png[16] = 0;
    png[17] = 0;
    png[18] = 0xEA;
    png[19] = 0x60;
    png[20] = 0;
    png[21] = 0;
    png[22] = 0xEA;
    png[23] = 0x60;
    EXPECT_FALSE(FromBytes(png));
}

TEST_F(RenderImage, HugeSizeFromTheWindowScaleIsRefused)
{
    m_pm.GetDPIObj()->SetScale(192);
    EXPECT_FALSE(FromText(SquareSvg(10000, 10, "#ff0000"), 0, 0, 0, &m_pm));
}

TEST(RenderDecode, SvgFitsToTheWidthAndKeepsWholePixels)
{
    // 50/24 would give a height of 20.8: the scale is taken from the whole height 20 instead.
    ImagePtr image = FromText(SquareSvg(24, 10, "#00ff00"), 50, 1);
    ASSERT_TRUE(image);
    EXPECT_EQ(48, image->nX);
    EXPECT_EQ(20, image->nY);
    ImagePtr exact = FromText(SquareSvg(30, 20, "#00ff00"), 45, 100);
    ASSERT_TRUE(exact);
    EXPECT_EQ(45, exact->nX);
    EXPECT_EQ(30, exact->nY);
}

TEST(RenderDecode, SvgFillColourReplacesSolidFills)
{
    ImagePtr image = FromText(SquareSvg(8, 8, "#ff0000"), 0, 0, 0x0000FF00);
    ASSERT_TRUE(image);
    EXPECT_EQ(0xFF00FF00u, PixelOf(image.get(), 4, 4));
}

TEST_F(RenderImage, SvgFollowsTheWindowScale)
{
    m_pm.GetDPIObj()->SetScale(144);
    ImagePtr image = FromText(SquareSvg(24, 24, "#ff0000"), 0, 0, 0, &m_pm);
    ASSERT_TRUE(image);
    EXPECT_EQ(36, image->nX);
    EXPECT_EQ(36, image->nY);
}

TEST(RenderDecode, GifFramesCarryTheirDelays)
{
    const std::vector<BYTE> gif = TwoFrameGif();
    CStdPtrArray frames;
    ASSERT_TRUE(CRenderEngine::LoadGifImageFromMemory(gif.data(), static_cast<DWORD>(gif.size()), frames));
    ASSERT_EQ(2, frames.GetSize());
    TImageInfo* first = static_cast<TImageInfo*>(frames[0]);
    TImageInfo* second = static_cast<TImageInfo*>(frames[1]);
    EXPECT_EQ(2, first->nX);
    EXPECT_EQ(1, first->nY);
    EXPECT_EQ(100, first->delay);
    EXPECT_EQ(200, second->delay);
    EXPECT_EQ(0xFFFF0000u, PixelOf(first, 0, 0));
    EXPECT_EQ(0xFF0000FFu, PixelOf(first, 1, 0));
    EXPECT_EQ(0xFF00FF00u, PixelOf(second, 0, 0));
    EXPECT_EQ(0xFFFFFFFFu, PixelOf(second, 1, 0));
    for (int i = 0; i < frames.GetSize(); ++i) CRenderEngine::FreeImage(static_cast<TImageInfo*>(frames[i]));

    CStdPtrArray none;
    EXPECT_FALSE(CRenderEngine::LoadGifImageFromMemory(reinterpret_cast<const BYTE*>("GIF89a"), 6, none));
    EXPECT_EQ(0, none.GetSize());
}

TEST_F(RenderImage, LoadingByNameReadsTheResourceFolder)
{
    m_folder.Write(L"pic.png", SolidPng(7, 5, 0xFF0000FF));
    ImagePtr image(CRenderEngine::LoadImage(STRINGorID(L"pic.png")));
    ASSERT_TRUE(image);
    EXPECT_EQ(7, image->nX);
    EXPECT_EQ(5, image->nY);
    EXPECT_FALSE(CRenderEngine::LoadImage(STRINGorID(L"absent.png")));
    // A plain path outside the resource folder still loads.
    ImagePtr absolute(CRenderEngine::LoadImage(STRINGorID((m_folder.Path() + L"pic.png").c_str())));
    EXPECT_TRUE(absolute);
}

// ---- colour adjustment ----------------------------------------------------------------------

TEST(RenderAdjust, NeutralSettingsKeepTheColour)
{
    EXPECT_EQ(0xFF123456u, CRenderEngine::AdjustColor(0xFF123456, 180, 100, 100));
}

TEST(RenderAdjust, HueSaturationAndLightnessChange)
{
    EXPECT_EQ(0xFF00FF00u, CRenderEngine::AdjustColor(0xFFFF0000, 300, 100, 100));
    EXPECT_EQ(0xFF0000FFu, CRenderEngine::AdjustColor(0xFFFF0000, 60, 100, 100));
    EXPECT_EQ(0xFF000000u, CRenderEngine::AdjustColor(0xFFFF0000, 180, 100, 0));
    const DWORD grey = CRenderEngine::AdjustColor(0x80FF0000, 180, 0, 100);
    EXPECT_EQ(0x80u, grey >> 24);
    EXPECT_EQ(Channel(grey, 16), Channel(grey, 8));
    EXPECT_EQ(Channel(grey, 8), Channel(grey, 0));
}

TEST(RenderAdjust, PureBlackIsNudged)
{
    DWORD black = 0xFF000000;
    CRenderEngine::CheckAlphaColor(black);
    EXPECT_EQ(0xFF000001u, black);
    DWORD colour = 0xFF000100;
    CRenderEngine::CheckAlphaColor(colour);
    EXPECT_EQ(0xFF000100u, colour);
}

TEST(RenderAdjust, ImageIsRecolouredFromItsKeptPixelsAndRestored)
{
    ImagePtr image = FromBytes(SolidPng(2, 2, 0xFFFF0000));
    ASSERT_TRUE(image);
    image->bUseHSL = true;
    CRenderEngine::AdjustImage(true, image.get(), 300, 100, 100);
    EXPECT_EQ(0xFF00FF00u, PixelOf(image.get(), 1, 1));
    ASSERT_NE(nullptr, image->pSrcBits);
    // A second change starts again from the original red, not from the green.
    CRenderEngine::AdjustImage(true, image.get(), 60, 100, 100);
    EXPECT_EQ(0xFF0000FFu, PixelOf(image.get(), 1, 1));
    CRenderEngine::AdjustImage(false, image.get(), 60, 100, 100);
    EXPECT_EQ(0xFFFF0000u, PixelOf(image.get(), 1, 1));

    ImagePtr untouched = FromBytes(SolidPng(1, 1, 0xFFFF0000));
    CRenderEngine::AdjustImage(true, untouched.get(), 300, 100, 100);
    EXPECT_EQ(0xFFFF0000u, PixelOf(untouched.get(), 0, 0));
}

// ---- nine-grid blit -------------------------------------------------------------------------

TEST(RenderNineGrid, CornersKeepTheirSizeWhenStretchedOpaque)
{
    ImagePtr image = FromBytes(NineCellPng());
    ASSERT_TRUE(image);
    Canvas canvas(320, 80);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{10, 10, 310, 70}, RECT{0, 0, 320, 80},
                             RECT{0, 0, 160, 40}, RECT{5, 5, 5, 5}, false);
    ExpectNineCells(canvas, 10, 10);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(9, 9));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(310, 70));
}

TEST(RenderNineGrid, CornersKeepTheirSizeWhenBlended)
{
    ImagePtr image = FromBytes(NineCellPng());
    Canvas canvas(300, 60);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 300, 60}, RECT{0, 0, 300, 60},
                             RECT{0, 0, 160, 40}, RECT{5, 5, 5, 5}, true);
    ExpectNineCells(canvas, 0, 0);
}

TEST(RenderNineGrid, HoleLeavesTheMiddleUntouched)
{
    ImagePtr image = FromBytes(NineCellPng());
    Canvas canvas(300, 60);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 300, 60}, RECT{0, 0, 300, 60},
                             RECT{0, 0, 160, 40}, RECT{5, 5, 5, 5}, false, 255, true);
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(150, 30));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(5, 5));
    EXPECT_EQ(kTop & 0xFFFFFF, canvas.Rgb(150, 2));
    EXPECT_EQ(kLeft & 0xFFFFFF, canvas.Rgb(2, 30));
}

TEST(RenderNineGrid, HoleAppliesToTheOneToOneCopyToo)
{
    // Without corners the middle cell is the whole picture: a hole draws nothing at all.
    ImagePtr image = FromBytes(SolidPng(20, 20, 0xFF0000FF));
    Canvas canvas(20, 20);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20},
                             RECT{0, 0, 20, 20}, RECT{0, 0, 0, 0}, false, 255, true);
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST(RenderNineGrid, CellsOutsideThePaintRectangleAreSkipped)
{
    ImagePtr image = FromBytes(NineCellPng());
    Canvas canvas(300, 60);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 300, 60}, RECT{0, 0, 5, 5},
                             RECT{0, 0, 160, 40}, RECT{5, 5, 5, 5}, false);
    EXPECT_EQ(kTL & 0xFFFFFF, canvas.Rgb(2, 2));
    EXPECT_EQ(25, canvas.CountNot(0xFFFFFF));
}

TEST(RenderNineGrid, OneToOneCopyIsLimitedToThePaintRectangle)
{
    ImagePtr image = FromBytes(SolidPng(20, 20, 0xFF0000FF));
    Canvas canvas(20, 20);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 20, 20}, RECT{5, 5, 10, 10},
                             RECT{0, 0, 20, 20}, RECT{0, 0, 0, 0}, false);
    EXPECT_EQ(25, canvas.CountNot(0xFFFFFF));
    EXPECT_EQ(0x0000FFu, canvas.Rgb(5, 5));
}

// A stretched image is drawn from a picture made at its destination's size once that size is asked for
// again: the result must not differ from stretching it afresh, whatever the drawing keys, and a colour
// change must reach the picture.
TEST_F(RenderImage, StretchedImageDrawsTheSameFromItsKeptPictureAndFollowsColourChanges)
{
    m_folder.Write(L"nine.png", NineCellPng());
    m_folder.Write(L"glass.png", SolidPng(8, 8, 0x80FF0000));
    const wchar_t* descriptors[] = {
        L"file='nine.png' corner='5,5,5,5'",
        L"file='nine.png' corner='5,5,5,5' hole='true'",
        L"file='nine.png' corner='5,5,5,5' fade='128'",
        L"file='nine.png' source='0,0,40,40' corner='5,5,5,5' xtiled='true'",
        L"file='glass.png'",
    };
    const RECT rcItem = {10, 10, 310, 70};
    const RECT rcPaint = {0, 0, 320, 80};
    for (const wchar_t* descriptor : descriptors) {
        SCOPED_TRACE(testing::Message() << descriptor);
        Canvas first(320, 80, 0xFF336699), again(320, 80, 0xFF336699);
        ASSERT_TRUE(CRenderEngine::DrawImageString(first.DC(), &m_pm, rcItem, rcPaint, descriptor));
        for (int i = 0; i < 3; ++i) {
            again.Fill(0xFF336699);
            CRenderEngine::DrawImageString(again.DC(), &m_pm, rcItem, rcPaint, descriptor);
        }
        EXPECT_GT(first.CountNot(0x336699), 0);
        int differing = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 320; ++x) differing += first.Rgb(x, y) != again.Rgb(x, y) ? 1 : 0;
        EXPECT_EQ(0, differing);
    }

    m_folder.Write(L"tinted.png", NineCellPng());
    ASSERT_NE(nullptr, m_pm.AddImage(L"tinted.png", nullptr, 0, 0, 0, 0, true));
    const wchar_t* recoloured = L"file='tinted.png' corner='5,5,5,5'";
    Canvas canvas(320, 80);
    for (int i = 0; i < 2; ++i) CRenderEngine::DrawImageString(canvas.DC(), &m_pm, rcItem, rcPaint, recoloured);
    EXPECT_EQ(kMid & 0xFFFFFF, canvas.Rgb(150, 40));
    CPaintManagerUI::SetHSL(true, 300, 100, 100);
    CRenderEngine::DrawImageString(canvas.DC(), &m_pm, rcItem, rcPaint, recoloured);
    EXPECT_NE(kMid & 0xFFFFFF, canvas.Rgb(150, 40));
    CPaintManagerUI::SetHSL(false, 300, 100, 100);
    CRenderEngine::DrawImageString(canvas.DC(), &m_pm, rcItem, rcPaint, recoloured);
    EXPECT_EQ(kMid & 0xFFFFFF, canvas.Rgb(150, 40)) << "turning the change off must restore the colours";
}

// A destination that changes on every paint (a growing progress bar) must not push out the background's
// picture, nor be made at all.
TEST(RenderScaledCache, SizesAskedForOnceNeverDisplaceAPictureInUse)
{
    ImagePtr image = FromBytes(NineCellPng());
    ASSERT_TRUE(image);
    CScaledImageCache cache;
    const RECT part = {0, 0, 160, 40}, corners = {5, 5, 5, 5};
    const SIZE page = {300, 60};
    EXPECT_EQ(nullptr, cache.Get(nullptr, image->hBitmap, page, part, corners, false, false, false));
    const HBITMAP picture = cache.Get(nullptr, image->hBitmap, page, part, corners, false, false, false);
    ASSERT_NE(nullptr, picture);
    for (int width = 1; width <= 50; ++width)
        EXPECT_EQ(nullptr, cache.Get(nullptr, image->hBitmap, SIZE{width, 10}, part, corners, false, false, false));
    EXPECT_EQ(picture, cache.Get(nullptr, image->hBitmap, page, part, corners, false, false, false));
    cache.Clear();
    EXPECT_EQ(nullptr, cache.Get(nullptr, image->hBitmap, page, part, corners, false, false, false));
}

// What one image keeps is bounded in bytes (the picture used longest ago goes first); a picture beyond the
// bound is drawn from the source every time.
TEST(RenderScaledCache, KeptPicturesStayWithinTheirByteBound)
{
    ImagePtr image = FromBytes(NineCellPng());
    CScaledImageCache cache;
    const RECT part = {0, 0, 160, 40}, corners = {5, 5, 5, 5};
    for (LONG side : {1800, 1900, 2000, 2100, 3000}) {
        cache.Get(nullptr, image->hBitmap, SIZE{side, side}, part, corners, false, false, false);
        EXPECT_EQ(side < 3000, cache.Get(nullptr, image->hBitmap, SIZE{side, side}, part, corners, false, false,
                                         false) != nullptr) << side;
        EXPECT_LE(cache.GetBytes(), 32u << 20) << side;
    }
}

TEST(RenderNineGrid, HorizontalTilesAreCutNotSqueezed)
{
    std::vector<DWORD> tile(10 * 4, 0xFF00FF00);
    for (int y = 0; y < 4; ++y) tile[static_cast<size_t>(y * 10)] = 0xFFFF0000;
    ImagePtr image = FromBytes(MakePng(10, 4, tile));
    Canvas canvas(40, 8);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 25, 8}, RECT{0, 0, 40, 8}, RECT{0, 0, 10, 4},
                             RECT{0, 0, 0, 0}, false, 255, false, true, false);
    for (int x : {0, 10, 20}) EXPECT_EQ(0xFF0000u, canvas.Rgb(x, 6)) << x;
    for (int x : {1, 9, 11, 21, 24}) EXPECT_EQ(0x00FF00u, canvas.Rgb(x, 6)) << x;
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(25, 3));
}

TEST(RenderNineGrid, TilingBothWaysLaysOneToOneTiles)
{
    std::vector<DWORD> tile(4 * 4, 0xFF00FF00);
    tile[0] = 0xFFFF0000;
    ImagePtr image = FromBytes(MakePng(4, 4, tile));
    Canvas canvas(20, 20);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 10, 10}, RECT{0, 0, 20, 20}, RECT{0, 0, 4, 4},
                             RECT{0, 0, 0, 0}, true, 255, false, true, true);
    for (int y : {0, 4, 8})
        for (int x : {0, 4, 8}) EXPECT_EQ(0xFF0000u, canvas.Rgb(x, y)) << x << "," << y;
    EXPECT_EQ(0x00FF00u, canvas.Rgb(9, 9));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 10));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(10, 0));
}

TEST(RenderNineGrid, VerticalTilesAreStretchedAcross)
{
    std::vector<DWORD> tile(2 * 5, 0xFF00FF00);
    tile[0] = tile[1] = 0xFFFF0000;
    ImagePtr image = FromBytes(MakePng(2, 5, tile));
    Canvas canvas(10, 20);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 8, 12}, RECT{0, 0, 10, 20}, RECT{0, 0, 2, 5},
                             RECT{0, 0, 0, 0}, false, 255, false, false, true);
    for (int y : {0, 5, 10}) EXPECT_EQ(0xFF0000u, canvas.Rgb(7, y)) << y;
    EXPECT_EQ(0x00FF00u, canvas.Rgb(7, 11));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(7, 12));
}

TEST(RenderNineGrid, FadeBlendsAnOpaqueImage)
{
    ImagePtr image = FromBytes(SolidPng(4, 4, 0xFFFF0000));
    Canvas canvas(4, 4);
    CRenderEngine::DrawImage(canvas.DC(), image->hBitmap, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4},
                             RECT{0, 0, 0, 0}, false, 128);
    ExpectNear(canvas.At(2, 2), 255, 127, 127, 2);
}

TEST(RenderNineGrid, SoftwareBlendMatchesAlphaBlend)
{
    ImagePtr image = FromBytes(SolidPng(4, 4, 0x80FF0000));
    Canvas hardware(8, 8);
    CRenderEngine::DrawImage(hardware.DC(), image->hBitmap, RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4},
                             RECT{0, 0, 0, 0}, true, 255);
    SoftwareBlendScope software;
    Canvas soft(8, 8);
    CRenderEngine::DrawImage(soft.DC(), image->hBitmap, RECT{0, 0, 8, 8}, RECT{0, 0, 8, 8}, RECT{0, 0, 4, 4},
                             RECT{0, 0, 0, 0}, true, 255);
    // Half-transparent red over white.
    ExpectNear(hardware.At(4, 4), 255, 127, 127, 2);
    ExpectNear(soft.At(4, 4), 255, 127, 127, 2);

    ImagePtr opaque = FromBytes(SolidPng(4, 4, 0xFF0000FF));
    Canvas faded(4, 4);
    CRenderEngine::DrawImage(faded.DC(), opaque->hBitmap, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4}, RECT{0, 0, 4, 4},
                             RECT{0, 0, 0, 0}, false, 64);
    ExpectNear(faded.At(1, 1), 191, 191, 255, 2);
}

// ---- drawing by descriptor ------------------------------------------------------------------

TEST_F(RenderImage, SourcePartIsStretchedOverTheItem)
{
    std::vector<DWORD> px(28 * 28, 0xFF0000FF);
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 14; ++x) px[static_cast<size_t>(y * 28 + x)] = 0xFFFF0000;
    m_folder.Write(L"btn_close.png", MakePng(28, 28, px));
    Canvas canvas(50, 50);
    EXPECT_TRUE(CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{5, 5, 45, 45}, RECT{0, 0, 50, 50},
                                               L"file='btn_close.png' source='0,0,14,14'"));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(5, 5));
    EXPECT_EQ(0xFF0000u, canvas.Rgb(44, 44));
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(45, 45));
    EXPECT_EQ(1600, canvas.CountNot(0xFFFFFF));
}

TEST_F(RenderImage, MissingImageDrawsNothingAndReportsFalse)
{
    Canvas canvas(20, 20);
    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20},
                                                L"file='nowhere.png'"));
    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20}, L""));
    EXPECT_FALSE(CRenderEngine::DrawImageString(canvas.DC(), nullptr, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20},
                                                L"a.png"));
    EXPECT_EQ(0, canvas.CountNot(0xFFFFFF));
}

TEST_F(RenderImage, DestinationIsPlacedByAlignmentAndPaddingInsideTheItem)
{
    m_folder.Write(L"dot.png", SolidPng(4, 4, 0xFF00FF00));
    const RECT kNoInk = {120, 60, -1, -1};
    const struct {
        RECT rcItem;
        const wchar_t* descriptor;
        RECT ink;
    } rows[] = {
        {{0, 0, 100, 40}, L"file='dot.png' dest='10,10,20,20' align='right'", {90, 10, 100, 20}},
        {{0, 0, 100, 60}, L"file='dot.png' dest='0,0,10,10' align='center' valign='vcenter'", {45, 25, 55, 35}},
        {{0, 0, 100, 60}, L"file='dot.png' dest='0,0,10,10' padding='5,6,2,3'", {3, 3, 13, 13}},
        // Outside the item: nothing drawn, yet the descriptor was good.
        {{0, 0, 50, 50}, L"file='dot.png' dest='60,0,70,10'", kNoInk},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(row.descriptor)));
        Canvas canvas(120, 60);
        EXPECT_TRUE(CRenderEngine::DrawImageString(canvas.DC(), &m_pm, row.rcItem, RECT{0, 0, 120, 60},
                                                   row.descriptor));
        EXPECT_EQ(row.ink, canvas.InkBox(0xFFFFFF));
    }
}

TEST_F(RenderImage, FadeAndMaskFromTheDescriptor)
{
    std::vector<DWORD> px = {0xFFFF00FF, 0xFFFF0000, 0xFFFF0000, 0xFFFF00FF};
    m_folder.Write(L"checks.png", MakePng(2, 2, px));
    Canvas canvas(2, 2);
    CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 2, 2}, RECT{0, 0, 2, 2},
                                   L"file='checks.png' mask='#FFFF00FF' fade='128'");
    EXPECT_EQ(0xFFFFFFu, canvas.Rgb(0, 0));
    ExpectNear(canvas.At(1, 0), 255, 127, 127, 2);
}

TEST_F(RenderImage, RepaintNeitherParsesNorDecodes)
{
    m_folder.Write(L"dot.png", SolidPng(4, 4, 0xFF00FF00));
    Canvas canvas(20, 20);
    const wchar_t* descriptor = L"file='dot.png' corner='1,1,1,1'";
    ASSERT_TRUE(CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20},
                                               descriptor, L"dest='0,0,10,10'"));
    const LONG decoded = CRenderEngine::GetDecodeCount();
    const LONG parsed = CRenderEngine::GetParseCount();
    for (int i = 0; i < 5; ++i) {
        CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20}, descriptor,
                                       L"dest='0,0,10,10'");
    }
    EXPECT_EQ(decoded, CRenderEngine::GetDecodeCount());
    EXPECT_EQ(parsed, CRenderEngine::GetParseCount());
    // A new modifier is a new descriptor, but the picture is not decoded again.
    CRenderEngine::DrawImageString(canvas.DC(), &m_pm, RECT{0, 0, 20, 20}, RECT{0, 0, 20, 20}, descriptor,
                                   L"dest='5,5,10,10'");
    EXPECT_EQ(parsed + 1, CRenderEngine::GetParseCount());
    EXPECT_EQ(decoded, CRenderEngine::GetDecodeCount());
}

TEST_F(RenderImage, IconIsPlacedBySizeAndAlignment)
{
    m_folder.Write(L"icon.png", SolidPng(8, 8, 0xFF0000FF));
    Canvas centred(60, 60);
    EXPECT_TRUE(CRenderEngine::DrawIconImageString(centred.DC(), &m_pm, RECT{0, 0, 40, 40}, RECT{0, 0, 60, 60},
                                                   L"file='icon.png' iconsize='10,10' iconalign='center'"));
    RECT ink = centred.InkBox(0xFFFFFF);
    EXPECT_EQ(15, ink.left);
    EXPECT_EQ(15, ink.top);
    EXPECT_EQ(25, ink.right);

    RECT rc;
    ASSERT_TRUE(CRenderEngine::MakeFitIconDest(RECT{0, 0, 40, 30}, SIZE{10, 10}, L"vcenter", rc));
    EXPECT_EQ(0, rc.left);
    EXPECT_EQ(10, rc.top);
    ASSERT_TRUE(CRenderEngine::MakeFitIconDest(RECT{0, 0, 40, 30}, SIZE{10, 10}, L"hcenter", rc));
    EXPECT_EQ(15, rc.left);
    EXPECT_EQ(0, rc.top);
    ASSERT_TRUE(CRenderEngine::MakeFitIconDest(RECT{0, 0, 8, 30}, SIZE{10, 10}, L"left", rc));
    EXPECT_EQ(8, rc.right);
}
