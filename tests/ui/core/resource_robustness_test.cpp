// Mutation test: thousands of corrupted archives, markup files and language
// files go through the readers and the builder. Each must end in a documented
// failure or a (partial) result: no crash, no endless loop, no allocation
// beyond what the input can honestly claim.
//
// Every case is derived from (seed, iteration) alone. A failing or crashing
// iteration is printed; set VENEER_REPLAY=<iteration> to run only that one.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/core/resource_test_zip.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIControlFactory.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UILangManager.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIXmlDocument.h"
#include "ui/core/UIZip.h"

using namespace Veneer;
using restest::Bytes;
using restest::ZipWriter;

namespace {

const unsigned kZipSeed = 0x5EED0001;
const int kZipIterations = 4000;
const unsigned kZipFileSeed = 0x5EED0002;
const int kZipFileIterations = 300;
const unsigned kMarkupSeed = 0x5EED0003;
const int kMarkupIterations = 1000;
const unsigned kLangSeed = 0x5EED0004;
const int kLangIterations = 1500;

const char* g_suite = "";
int g_iteration = -1;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info)
{
    std::fprintf(stderr, "\nCRASH 0x%08lX in %s at iteration %d (replay with VENEER_REPLAY=%d)\n",
                 info->ExceptionRecord->ExceptionCode, g_suite, g_iteration, g_iteration);
    std::fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

int ReplayIteration()
{
    const char* v = std::getenv("VENEER_REPLAY");
    return v != nullptr ? std::atoi(v) : -1;
}

bool Selected(int i)
{
    int only = ReplayIteration();
    return only < 0 || only == i;
}

// Small deterministic generator (xorshift).
class Rng
{
public:
    Rng(unsigned seed, int iteration) : m_x(seed * 2654435761u ^ (static_cast<unsigned>(iteration) * 40503u + 1)) { Next(); }
    unsigned Next()
    {
        m_x ^= m_x << 13;
        m_x ^= m_x >> 17;
        m_x ^= m_x << 5;
        return m_x;
    }
    unsigned Below(unsigned n) { return n == 0 ? 0 : Next() % n; }

private:
    unsigned m_x;
};

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return pmc.PrivateUsage;
}

void Put32(Bytes& b, size_t at, unsigned v)
{
    for (int i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

template <class Seq>
void Mutate(Seq& data, Rng& rng)
{
    if (data.empty()) return;
    switch (rng.Below(6)) {
    case 0:   // flip a few bytes
        for (unsigned n = 1 + rng.Below(8); n > 0; --n) data[rng.Below(data.size())] ^= static_cast<char>(1 + rng.Below(255));
        break;
    case 1:   // truncate
        data.resize(rng.Below(data.size()));
        break;
    case 2: {   // drop a slice
        size_t at = rng.Below(data.size());
        size_t len = std::min<size_t>(data.size() - at, 1 + rng.Below(64));
        data.erase(data.begin() + at, data.begin() + at + len);
        break;
    }
    case 3: {   // duplicate a slice somewhere else
        size_t at = rng.Below(data.size());
        size_t len = std::min<size_t>(data.size() - at, 1 + rng.Below(200));
        Seq slice(data.begin() + at, data.begin() + at + len);
        data.insert(data.begin() + rng.Below(data.size()), slice.begin(), slice.end());
        break;
    }
    case 4:   // random bytes
        for (unsigned n = 1 + rng.Below(16); n > 0; --n) data[rng.Below(data.size())] = static_cast<char>(rng.Next());
        break;
    default:   // bit rot spread over the whole input
        for (size_t i = rng.Below(97); i < data.size(); i += 97 + rng.Below(300)) data[i] ^= 0x20;
        break;
    }
}

Bytes BaseArchive()
{
    ZipWriter w;
    w.Add("Lang/", Bytes(), ZipWriter::Stored);
    w.Add("MainFrame.xml", "<Window size=\"600,400\"><VerticalLayout><Label text=\"a\"/></VerticalLayout></Window>");
    w.Add("Lang/English/MainFrame.lng", "<Language><Text id=\"1\" text=\"Lumbra\"/></Language>", ZipWriter::Stored);
    w.Add("noise.bin", restest::NoiseBytes(20000, 9), ZipWriter::Deflated);
    std::string text;
    for (int i = 0; i < 400; ++i) text += "<Label name=\"n" + std::to_string(i) + "\"/>";
    w.Add("big.xml", text, ZipWriter::Deflated);
    w.Add("secret.xml", "<Window/>", ZipWriter::Deflated, "pw");
    w.Add("../../evil.txt", "evil", ZipWriter::Stored);
    return w.Build();
}

// Zip-specific damage: headers and the fields readers trust most.
void MutateArchive(Bytes& zip, Rng& rng)
{
    if (zip.size() < 30) return;
    unsigned kind = rng.Below(4);
    if (kind == 0) {
        Mutate(zip, rng);
        return;
    }
    // Find the central directory from the end record.
    size_t eocd = zip.size() - 22;
    size_t dir = zip[eocd + 16] | (zip[eocd + 17] << 8) | (zip[eocd + 18] << 16) | (static_cast<size_t>(zip[eocd + 19]) << 24);
    if (kind == 1) {   // an end-record field
        const size_t fields[] = {eocd + 8, eocd + 10, eocd + 12, eocd + 16};
        size_t at = fields[rng.Below(4)];
        if (at == eocd + 8 || at == eocd + 10) {
            zip[at] = static_cast<unsigned char>(rng.Next());
            zip[at + 1] = static_cast<unsigned char>(rng.Next());
        } else {
            Put32(zip, at, rng.Below(2) ? rng.Next() : 0xFFFFFFF0u + rng.Below(16));
        }
        return;
    }
    // A central-directory field of some entry: sizes, offset, name length.
    size_t entry = dir;
    for (unsigned skip = rng.Below(7); skip > 0 && entry + 46 < zip.size(); --skip) {
        entry += 46 + (zip[entry + 28] | (zip[entry + 29] << 8));
    }
    if (entry + 46 >= zip.size()) return;
    const size_t offsets[] = {16, 20, 24, 42, 28, 10, 8};
    size_t field = offsets[rng.Below(7)];
    unsigned value = rng.Below(3) == 0 ? 0xFFFFFFFFu : (rng.Below(2) ? rng.Next() : rng.Below(1 << 20));
    if (field == 28 || field == 10 || field == 8) {
        zip[entry + field] = static_cast<unsigned char>(value);
        zip[entry + field + 1] = static_cast<unsigned char>(value >> 8);
    } else {
        Put32(zip, entry + field, value);
    }
}

// Walks everything a reader could ask of the archive.
void ExerciseArchive(const Bytes& zip, int iteration)
{
    ZRESULT r;
    HZIP hz = CUIZip::OpenZip(zip.data(), static_cast<unsigned>(zip.size()), iteration % 2 ? "pw" : nullptr, &r);
    if (hz == nullptr) {
        EXPECT_NE(r, ZR_OK) << "iteration " << iteration;
        return;
    }
    ZIPENTRY ze;
    ASSERT_EQ(CUIZip::GetZipItem(hz, -1, &ze), ZR_OK);
    int count = ze.index;
    ASSERT_LE(count, static_cast<int>(zip.size() / 46)) << "iteration " << iteration;
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(CUIZip::GetZipItem(hz, i, &ze), ZR_OK);
        int index = -1;
        ZIPENTRY found;
        if (CUIZip::FindZipItem(hz, ze.name, (i & 1) != 0, &index, &found) != ZR_OK) continue;
        // Whatever is found can be allocated: deflate expands at most ~1032:1.
        ASSERT_LE(static_cast<unsigned long>(found.unc_size), 1033ul * zip.size() + 1033)
            << "iteration " << iteration;
        unsigned size = static_cast<unsigned long>(found.unc_size);
        std::vector<unsigned char> out(size);
        if ((iteration + i) % 3 == 0) {
            // Piecewise: must finish within the expected number of calls.
            unsigned char chunk[1000];
            ZRESULT zr = ZR_MORE;
            unsigned calls = 0;
            while (zr == ZR_MORE && calls <= size / sizeof(chunk) + 2) {
                zr = CUIZip::UnzipItem(hz, index, chunk, sizeof(chunk));
                ++calls;
            }
            EXPECT_NE(zr, ZR_MORE) << "iteration " << iteration << " never finished";
        } else {
            CUIZip::UnzipItem(hz, index, out.data(), size);
        }
    }
    EXPECT_EQ(CUIZip::CloseZip(hz), ZR_OK);
}

const char kBaseMarkup[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<Window size=\"600,400\" caption=\"0,0,0,400\" showshadow=\"true\" shadowsize=\"5\" shadowcorner=\"5,5,5,5\" "
    "shadowcolor=\"0xcccccc\" shadowsharpness=\"150\" shadowdarkness=\"122\" roundcorner=\"4,4\">\n"
    "  <Font id=\"0\" name=\"Arial\" size=\"14\" default=\"true\"/>\n"
    "  <Font id=\"1\" name=\"Arial\" size=\"23\"/>\n"
    "  <Style name=\"st\" value=\"normalimage=&quot;file='a.png' source='0,14,14,28'&quot; textcolor=&quot;#FFB9B9B9&quot;\" "
    "shared=\"false\"/>\n"
    "  <Default name=\"Label\" value=\"height=&quot;20&quot;\"/>\n"
    "  <Image name=\"\"/>\n"
    "  <VerticalLayout childalign=\"center\">\n"
    "    <VerticalLayout name=\"page_home\" bkimage=\"file='page_home.png' source='0,0,600,400' corner='5,5,5,5'\">\n"
    "      <Control height=\"20\"/>\n"
    "      <HorizontalLayout height=\"14\" inset=\"0,0,20,0\"><Control/>"
    "<Button name=\"btn_Close\" width=\"14\" height=\"14\" normalimage=\"file='btn_close.png' source='0,0,14,14'\"/>"
    "</HorizontalLayout>\n"
    "      <HorizontalLayout height=\"37\"><Label name=\"lb_AppName\" font=\"2\" textcolor=\"0x444444\" "
    "autocalcwidth=\"true\" resourceid=\"1\" text=\"Lumbra\"/></HorizontalLayout>\n"
    "      <Option name=\"opt_User\" style=\"st\" selected=\"true\" height=\"14\" align=\"left\" "
    "textpadding=\"18,0,0,0\" resourceid=\"3\" text=\"agree\"/>\n"
    "      <Text name=\"t\" text=\"x{\\n}y\" showhtml=\"true\"/>\n"
    "      <CheckBox name=\"c\" text=\"check\"/>\n"
    "      <Progress name=\"pro_Percent\" height=\"10\" mouse=\"false\" vaule=\"33\" value=\"33\"/>\n"
    "      <TabLayout name=\"maintab\" selectedid=\"1\"><Label/><Label/></TabLayout>\n"
    "      <Include source=\"part.xml\" count=\"2\"/>\n"
    "      <Include source=\"self.xml\" count=\"3\"/>\n"
    "    </VerticalLayout>\n"
    "  </VerticalLayout>\n"
    "</Window>\n";

// Fragments that a mutation splices in to reach the builder's branches.
const char* const kSplices[] = {
    "<Include source=\"self.xml\" count=\"3\"/>", "<Include source=\"part.xml\" count=\"-4\"/>",
    "<Include count=\"2\"/>",                      "<Bogus name=\"x\"><Label/></Bogus>",
    "</VerticalLayout>",                           "<VerticalLayout>",
    "<Font id=\"7\" size=\"-100000\"/>",           "<Font name=\"x\" default=\"true\"/>",
    "<Style name=\"st\" value=\"st=&quot;st&quot;\"/>", "<Label style=\"st\" style=\"st\" pos=\"-1,-1,-1\"/>",
    "<Window size=\"99999999,-5\"/>",              "<!--",
    "<![CDATA[",                                   "&quot;&amp;&#0;&#x110000;",
    "<Script>x</Script>",                          "<Import fontfile=\"missing.ttf\"/>",
    "<Default name=\"Button\" value=\"&quot;\"/>", "<Label text=\"" "\xE4\xB8\xAD\xFF\xFE" "\"/>",
};

void MutateMarkup(std::string& text, Rng& rng)
{
    unsigned rounds = 1 + rng.Below(3);
    for (unsigned i = 0; i < rounds; ++i) {
        if (rng.Below(3) == 0) {
            const char* splice = kSplices[rng.Below(sizeof(kSplices) / sizeof(kSplices[0]))];
            text.insert(rng.Below(static_cast<unsigned>(text.size() + 1)), splice);
        } else {
            Mutate(text, rng);
        }
    }
}

struct WindowHolder
{
    HWND hwnd = nullptr;
    ~WindowHolder()
    {
        if (hwnd != nullptr) DestroyWindow(hwnd);
    }
};

int g_reports = 0;
void CountReport(LPCTSTR, LPCTSTR) { ++g_reports; }

class Robustness : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // While replaying, a crash goes to the debugger for a backtrace.
        if (ReplayIteration() < 0) SetUnhandledExceptionFilter(&ReportCrash);
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(dir.Path().c_str());
        previous = CDialogBuilder::SetErrorReporter(&CountReport);
    }
    void TearDown() override
    {
        CDialogBuilder::SetErrorReporter(previous);
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(L"");
    }
    restest::TempDir dir;
    PFN_DIALOGBUILDER_ERROR previous = nullptr;
};

} // namespace

TEST_F(Robustness, CorruptedArchivesInMemory)
{
    g_suite = "CorruptedArchivesInMemory";
    const Bytes base = BaseArchive();
    size_t before = PrivateBytes();
    for (int i = 0; i < kZipIterations; ++i) {
        if (!Selected(i)) continue;
        g_iteration = i;
        Rng rng(kZipSeed, i);
        Bytes zip = base;
        for (unsigned n = 1 + rng.Below(2); n > 0; --n) MutateArchive(zip, rng);
        ExerciseArchive(zip, i);
        if (HasFatalFailure()) return;
    }
    EXPECT_LT(PrivateBytes(), before + 32u * 1024 * 1024) << "memory kept growing";
}

TEST_F(Robustness, CorruptedArchivesBehindTheMarkupReader)
{
    g_suite = "CorruptedArchivesBehindTheMarkupReader";
    const Bytes base = BaseArchive();
    for (int i = 0; i < kZipFileIterations; ++i) {
        if (!Selected(i)) continue;
        g_iteration = i;
        Rng rng(kZipFileSeed, i);
        Bytes zip = base;
        MutateArchive(zip, rng);
        dir.Write(L"skin.zip", zip);
        CPaintManagerUI::SetResourceZip(L"skin.zip", false, (i & 1) ? L"pw" : nullptr);
        const wchar_t* const names[] = {L"MainFrame.xml", L"big.xml", L"Lang\\English\\MainFrame.lng",
                                        L"secret.xml", L"noise.bin", L"evil.txt"};
        for (const wchar_t* name : names) {
            CXmlDocumentUI doc;
            if (doc.load_file(name)) continue;
            // Either a reader text or the parser's own description.
            std::wstring error = doc.GetError();
            EXPECT_FALSE(error.empty()) << "iteration " << i;
        }
        LPBYTE data = nullptr;
        int n = CRenderEngine::LoadImage2Memory(L"noise.bin", nullptr, data);
        EXPECT_EQ(n == 0, data == nullptr) << "iteration " << i;
        CRenderEngine::FreeMemory(data);
        CPaintManagerUI::SetResourceZip(L"", true);
    }
}

TEST_F(Robustness, CorruptedMarkupThroughTheBuilder)
{
    g_suite = "CorruptedMarkupThroughTheBuilder";
    dir.Write(L"part.xml", "<Window><Label name=\"part\"/><Include source=\"part.xml\"/></Window>");
    dir.Write(L"self.xml", "<Window><Include source=\"self.xml\" count=\"3\"/><Button/></Window>");
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VeneerRobustness";
    RegisterClassW(&wc);
    size_t before = PrivateBytes();
    int built = 0;
    for (int i = 0; i < kMarkupIterations; ++i) {
        if (!Selected(i)) continue;
        g_iteration = i;
        Rng rng(kMarkupSeed, i);
        std::string markup = kBaseMarkup;
        MutateMarkup(markup, rng);
        dir.Write(L"MainFrame.xml", markup);
        if (ReplayIteration() >= 0) std::fprintf(stderr, "markup:\n%s\n", markup.c_str());
        WindowHolder window;
        window.hwnd = CreateWindowW(L"VeneerRobustness", L"r", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                    wc.hInstance, nullptr);
        CPaintManagerUI pm;
        pm.Init(window.hwnd);
        CDialogBuilder builder;
        CControlUI* root = nullptr;
        if (i % 4 == 0) {
            // Into a parent container, by markup text.
            std::wstring wide(markup.begin(), markup.end());
            CControlUI* parent = CControlFactory::GetInstance()->CreateControl(L"CVerticalLayoutUI");
            builder.Create(wide.c_str(), nullptr, nullptr, &pm, parent);
            root = parent;
        } else {
            root = builder.Create(L"MainFrame.xml", nullptr, nullptr, &pm);
            if (root == nullptr) {
                EXPECT_STRNE(builder.GetLastErrorMessage(), L"") << "iteration " << i;
            }
        }
        if (root != nullptr) {
            ++built;
            pm.AttachDialog(root);   // the manager deletes the tree
        }
        if (HasFailure()) return;
    }
    if (ReplayIteration() < 0) {
        EXPECT_GT(built, kMarkupIterations / 10);   // many documents stay buildable
    }
    EXPECT_LT(PrivateBytes(), before + 48u * 1024 * 1024) << "memory kept growing";
}

TEST_F(Robustness, CorruptedLanguageFiles)
{
    g_suite = "CorruptedLanguageFiles";
    std::string base =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n"
        "  <Text id=\"1\" text=\"Lumbra\"/>\n  <Text id=\"2\" text=\"Install Now\" tooltip=\"t\" tipvalue=\"v\"/>\n"
        "  <Text id=\"12\" text=\"\"/>\n  <String id=\"1\" text1=\"Select\" text2=\"0002\" text3=\"0003\"/>\n"
        "  <Text id=\"99999999999\" text=\"overflow\"/>\n</Language>\n";
    for (int i = 0; i < kLangIterations; ++i) {
        if (!Selected(i)) continue;
        g_iteration = i;
        Rng rng(kLangSeed, i);
        std::string text = base;
        for (unsigned n = 1 + rng.Below(3); n > 0; --n) Mutate(text, rng);
        if (i % 2 == 0) {
            dir.Write(L"Lang\\X\\MainFrame.lng", text);
            dir.Write(L"Lang\\X\\StringTable.lng", text);
            CLangManagerUI::SetLanguage(L"Lang\\X", L"x");
            CLangManagerUI manager;
            CLangPackageUI* package = manager.AddPackage(L"MainFrame.xml");
            ASSERT_NE(package, nullptr) << "iteration " << i;
            package->GetText(static_cast<int>(rng.Next()));
            manager.ReloadLanguage();
            ASSERT_NE(manager.GetPackage(L"MainFrame.xml"), nullptr) << "iteration " << i;
            CLangManagerUI::GetString(1);
        } else {
            CXmlDocumentUI doc;
            std::wstring wide(text.begin(), text.end());
            CLangPackageUI package;
            if (doc.load_buffer(text.data(), text.size())) package.LoadResource(doc);
            package.LoadResource(wide.c_str()[0] == L'<' ? wide.c_str() : L"<x/>");
            EXPECT_EQ(package.AddText(-7, L"first"), 1);
        }
    }
    CLangManagerUI::SetLanguage(L"", L"");
}
