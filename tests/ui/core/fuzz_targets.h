// Mutation targets shared by the robustness test (short runs in CI, replay of saved inputs) and
// the fuzz command (tools/fuzz.sh): for every parser and decoder, seed inputs, a structure-aware
// mutator and the call that feeds one input through it.
//
// Every input is derived from (target, seed, iteration) alone, so any of them can be made again.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/PngWriter.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "installer/install/DownloadUrlLookup.h"
#include "installer/net/UsageReporter.h"
#include "ui/controls/UIContainer.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UIDrawInfo.h"
#include "ui/core/UILangPackage.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIXmlDocument.h"
#include "ui/core/UIZip.h"

namespace fuzz {

using namespace Veneer;
using test_support::MakePng;
typedef std::vector<unsigned char> Bytes;

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
    unsigned Below(size_t n) { return n == 0 ? 0 : static_cast<unsigned>(Next() % n); }

private:
    unsigned m_x;
};

inline Bytes FromText(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline std::string ToText(const Bytes& b) { return std::string(b.begin(), b.end()); }

inline void Put32(Bytes& b, size_t at, unsigned v)
{
    for (size_t i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void PutBE(Bytes& b, size_t at, unsigned v, int n)
{
    for (int i = 0; i < n && at + i < b.size(); ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * (n - 1 - i)));
}

// Values that break size and length arithmetic.
inline unsigned Boundary(Rng& rng)
{
    const unsigned values[] = {0, 1, 0x7F, 0x80, 0xFF, 0x7FFF, 0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000u,
                               0xFFFFFFFFu, 0xFFFFFFFEu, 32768, 32769, 20000};
    return rng.Below(3) == 0 ? rng.Next() : values[rng.Below(sizeof(values) / sizeof(values[0]))];
}

// Generic damage: bit flips, truncation, dropped and repeated slices, random bytes, length fields.
template <class Seq>
void Mutate(Seq& data, Rng& rng)
{
    if (data.empty()) return;
    switch (rng.Below(7)) {
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
    case 3: {   // repeat a slice somewhere else, sometimes many times
        size_t at = rng.Below(data.size());
        size_t len = std::min<size_t>(data.size() - at, 1 + rng.Below(200));
        Seq slice(data.begin() + at, data.begin() + at + len);
        unsigned times = rng.Below(8) == 0 ? 1 + rng.Below(64) : 1;
        size_t to = rng.Below(data.size());
        for (unsigned t = 0; t < times && data.size() < 1u << 20; ++t) data.insert(data.begin() + to, slice.begin(), slice.end());
        break;
    }
    case 4:   // random bytes
        for (unsigned n = 1 + rng.Below(16); n > 0; --n) data[rng.Below(data.size())] = static_cast<char>(rng.Next());
        break;
    case 5: {   // a 16- or 32-bit field gets a boundary value
        size_t at = rng.Below(data.size());
        unsigned v = Boundary(rng);
        int n = rng.Below(2) ? 4 : 2;
        for (int i = 0; i < n && at + i < data.size(); ++i) data[at + i] = static_cast<char>(v >> (8 * i));
        break;
    }
    default:   // bit rot spread over the whole input
        for (size_t i = rng.Below(97); i < data.size(); i += 97 + rng.Below(300)) data[i] ^= 0x20;
        break;
    }
}

// Text mutation: generic damage or one of the given fragments spliced in (sometimes repeated).
inline void MutateText(Bytes& text, Rng& rng, const char* const* splices, size_t nSplices)
{
    for (unsigned round = 1 + rng.Below(3); round > 0; --round) {
        if (nSplices > 0 && rng.Below(2) == 0) {
            std::string splice = splices[rng.Below(nSplices)];
            unsigned times = rng.Below(10) == 0 ? 1 + rng.Below(200) : 1;
            std::string all;
            for (unsigned t = 0; t < times; ++t) all += splice;
            text.insert(text.begin() + rng.Below(text.size() + 1), all.begin(), all.end());
        } else {
            Mutate(text, rng);
        }
    }
}

template <size_t N>
void MutateText(Bytes& text, Rng& rng, const char* const (&splices)[N])
{
    MutateText(text, rng, splices, N);
}

inline std::wstring Wide(const Bytes& utf8)
{
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(utf8.data()), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(utf8.data()), static_cast<int>(utf8.size()), &out[0], n);
    // An embedded NUL ends the text the framework sees.
    return std::wstring(out.c_str());
}

inline bool ReadFileBytes(const std::wstring& path, Bytes& out)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        out.resize(static_cast<size_t>(size.QuadPart));
        DWORD done = 0;
        ok = out.empty() || (ReadFile(h, out.data(), static_cast<DWORD>(out.size()), &done, nullptr) && done == out.size());
    }
    CloseHandle(h);
    return ok;
}

// A folder the build names with forward slashes, as Windows writes it, with a trailing backslash.
inline std::wstring WindowsFolder(std::wstring dir)
{
    for (wchar_t& c : dir) if (c == L'/') c = L'\\';
    return dir + L"\\";
}

// The real skin shipped with the installer, when the build knows where it is.
inline std::wstring SkinDir()
{
#ifdef SKIN_SOURCE_DIR
    return WindowsFolder(SKIN_SOURCE_DIR);
#else
    return std::wstring();
#endif
}

inline void AddSkinFile(std::vector<Bytes>& seeds, const wchar_t* name)
{
    Bytes b;
    if (!SkinDir().empty() && ReadFileBytes(SkinDir() + name, b) && !b.empty()) seeds.push_back(b);
}

// ---- shared state of the targets ----------------------------------------------------------

// A hidden window, a scratch resource folder with include files and pictures, and a canvas.
class Environment
{
public:
    static Environment& Get()
    {
        static Environment env;
        return env;
    }
    HWND Window() const { return m_hWnd; }
    HDC Canvas() const { return m_hDC; }
    const std::wstring& Folder() const { return m_dir.Path(); }

private:
    Environment()
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VeneerFuzz";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowW(L"VeneerFuzz", L"f", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        m_hDC = CreateCompatibleDC(nullptr);
        m_hBitmap = CRenderEngine::CreateARGB32Bitmap(m_hDC, 320, 240, nullptr);
        SelectObject(m_hDC, m_hBitmap);
        m_dir.Write(L"part.xml", "<Window><Label name=\"part\" text=\"p\"/><Include source=\"part.xml\"/></Window>");
        m_dir.Write(L"self.xml", "<Window><Include source=\"self.xml\" count=\"3\"/><Button/></Window>");
        std::vector<DWORD> px(16 * 16, 0xFF3366CC);
        px[0] = 0x80FF0000;
        const Bytes png = MakePng(16, 16, px);
        m_dir.Write(L"a.png", png);
        m_dir.Write(L"btn_close.png", png);
        m_dir.Write(L"page_home.png", png);
        CPaintManagerUI::SetInstance(GetModuleHandleW(nullptr));
        CDialogBuilder::SetErrorReporter(&IgnoreReport);
    }
    static void IgnoreReport(LPCTSTR, LPCTSTR) {}

    test_support::ScratchFolder m_dir;
    HWND m_hWnd = nullptr;
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
};

// Points the resources at the scratch folder for one input.
class ResourceScope
{
public:
    ResourceScope()
    {
        CPaintManagerUI::SetResourceZip(L"", true);
        CPaintManagerUI::SetResourcePath(Environment::Get().Folder().c_str());
    }
};

// ---- zip archives -------------------------------------------------------------------------

inline Bytes BaseArchive()
{
    test_support::ZipWriter w;
    w.Add("Lang/", Bytes(), test_support::ZipWriter::Stored);
    w.Add("MainFrame.xml", "<Window size=\"600,400\"><VerticalLayout><Label text=\"a\"/></VerticalLayout></Window>");
    w.Add("Lang/English/MainFrame.lng", "<Language><Text id=\"1\" text=\"Lumbra\"/></Language>", test_support::ZipWriter::Stored);
    w.Add("noise.bin", test_support::NoiseBytes(20000, 9), test_support::ZipWriter::Deflated);
    std::string text;
    for (int i = 0; i < 400; ++i) text += "<Label name=\"n" + std::to_string(i) + "\"/>";
    w.Add("big.xml", text, test_support::ZipWriter::Deflated);
    w.Add("secret.xml", "<Window/>", test_support::ZipWriter::Deflated, "pw");
    w.Add("../../evil.txt", "evil", test_support::ZipWriter::Stored);
    return w.Build();
}

// Zip-specific damage: headers and the fields readers trust most.
inline void MutateArchive(Bytes& zip, Rng& rng)
{
    if (zip.size() < 30) return;
    unsigned kind = rng.Below(4);
    if (kind == 0) {
        Mutate(zip, rng);
        return;
    }
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
    // Compared as distances: the directory offset comes from the (damaged) data, and an
    // offset near 4 GiB would wrap the sum around on a 32-bit build.
    auto fits = [&zip](size_t at) { return at < zip.size() && zip.size() - at > 46; };
    size_t entry = dir;
    for (unsigned skip = rng.Below(7); skip > 0 && fits(entry); --skip) {
        entry += 46 + (zip[entry + 28] | (zip[entry + 29] << 8));
    }
    if (!fits(entry)) return;
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

inline void MutateZip(Bytes& zip, Rng& rng)
{
    for (unsigned n = 1 + rng.Below(2); n > 0; --n) MutateArchive(zip, rng);
}

// Opens the archive and extracts every entry it will give, whole or piecewise.
inline void RunZip(const Bytes& zip)
{
    if (zip.empty()) return;
    HZIP hz = CUIZip::OpenZip(zip.data(), static_cast<unsigned>(zip.size()), (zip.size() & 1) ? "pw" : nullptr);
    if (hz == nullptr) return;
    ZIPENTRY ze;
    CUIZip::GetZipItem(hz, -1, &ze);
    const int count = ze.index;
    for (int i = 0; i < count; ++i) {
        if (CUIZip::GetZipItem(hz, i, &ze) != ZR_OK) continue;
        int index = -1;
        ZIPENTRY found;
        if (CUIZip::FindZipItem(hz, ze.name, (i & 1) != 0, &index, &found) != ZR_OK) continue;
        if (found.unc_size < 0 || static_cast<size_t>(found.unc_size) > 1033 * zip.size() + 1033) {
            std::fprintf(stderr, "zip: entry claims %ld bytes from %u\n", found.unc_size, static_cast<unsigned>(zip.size()));
            RaiseException(0xE0000001, EXCEPTION_NONCONTINUABLE, 0, nullptr);
        }
        if (i % 2 == 0) {
            std::vector<unsigned char> out(static_cast<size_t>(found.unc_size));
            CUIZip::UnzipItem(hz, index, out.data(), static_cast<unsigned>(out.size()));
        } else {
            unsigned char chunk[1000];
            ZRESULT zr = ZR_MORE;
            for (unsigned calls = 0; zr == ZR_MORE && calls <= found.unc_size / sizeof(chunk) + 2; ++calls) {
                zr = CUIZip::UnzipItem(hz, index, chunk, sizeof(chunk));
            }
        }
    }
    CUIZip::CloseZip(hz);
}

// ---- markup -------------------------------------------------------------------------------

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
    "      <Option name=\"opt_User\" style=\"st\" selected=\"true\" height=\"14\" align=\"left\" group=\"g\" "
    "textpadding=\"18,0,0,0\" resourceid=\"3\" text=\"agree\"/>\n"
    "      <Text name=\"t\" text=\"x{\\n}y &lt;b&gt;bold&lt;/b&gt;\" showhtml=\"true\"/>\n"
    "      <CheckBox name=\"c\" text=\"check\"/>\n"
    "      <Progress name=\"pro_Percent\" height=\"10\" mouse=\"false\" value=\"33\"/>\n"
    "      <RichEdit name=\"edit\" readonly=\"true\" text=\"C:\\Program Files\" height=\"30\"/>\n"
    "      <TabLayout name=\"maintab\" selectedid=\"1\" animation=\"horizontal\"><Label/><Label/></TabLayout>\n"
    "      <Include source=\"part.xml\" count=\"2\"/>\n"
    "      <Include source=\"self.xml\" count=\"3\"/>\n"
    "    </VerticalLayout>\n"
    "  </VerticalLayout>\n"
    "</Window>\n";

// Fragments that reach the builder's branches and every control's attributes.
const char* const kMarkupSplices[] = {
    "<Include source=\"self.xml\" count=\"3\"/>", "<Include source=\"part.xml\" count=\"100000000\"/>",
    "<Include count=\"2\"/>", "<Bogus name=\"x\"><Label/></Bogus>", "</VerticalLayout>", "<VerticalLayout>",
    "<Font id=\"7\" size=\"-100000\"/>", "<Font id=\"3\" name=\"AFaceNameFarLongerThanThirtyOneCharactersEver\"/>",
    "<Font name=\"x\" default=\"true\"/>", "<Style name=\"st\" value=\"st=&quot;st&quot;\"/>",
    "<Label style=\"st\" style=\"st\" pos=\"-1,-1,-1\"/>", "<Window size=\"99999999,-5\"/>", "<!--", "<![CDATA[",
    "&quot;&amp;&#0;&#x110000;", "<Script>x</Script>", "<Import fontfile=\"missing.ttf\"/>",
    "<Default name=\"Button\" value=\"&quot;\"/>", "<Label text=\"\xE4\xB8\xAD\xFF\xFE\"/>",
    "<Image name=\"a.png\" restype=\"x\" mask=\"#zz\"/>",
    "<TabLayout selectedid=\"7\" animation=\"vertical\" framecount=\"0\"><Label/></TabLayout>",
    "<Option group=\"g\" selected=\"true\"/>", "<ScrollBar range=\"-5\" linesize=\"0\" hor=\"true\"/>",
    "<Progress min=\"10\" max=\"-10\" value=\"99999\" hor=\"false\"/>",
    "<Text showhtml=\"true\" text=\"&lt;c #f00&gt;a&lt;b&gt;b&lt;/c&gt;c&lt;/b&gt;\"/>",
    "<RichEdit multiline=\"true\" vscrollbar=\"true\" maxchar=\"-1\" text=\"x\"/>",
    "<HorizontalLayout autocalcwidth=\"true\" inset=\"99999,0,0,0\" childpadding=\"-7\"/>",
    "<Label bkimage=\"file='a.png' width='32769' height='32768'\"/>",
    "<Label bkimage=\"file='a.png' corner='999,999,999,999' hole='true' xtiled='true' ytiled='true'\"/>",
    "<Button float=\"true\" pos=\"0,0,-100,-100\" bordersize=\"9999\" borderround=\"5,5\"/>",
};

// Attributes of the controls, to be spliced in with odd values.
const char* const kAttributeNames[] = {
    "name", "text", "tooltip", "pos", "padding", "bkcolor", "bkcolor2", "bordercolor", "bordersize", "borderround",
    "bkimage", "width", "height", "minwidth", "maxwidth", "minheight", "maxheight", "float", "visible", "enabled",
    "mouse", "keyboard", "menu", "align", "valign", "textpadding", "textcolor", "disabledtextcolor", "font",
    "showhtml", "multiline", "autocalcwidth", "autocalcheight", "normalimage", "hotimage", "pushedimage",
    "focusedimage", "disabledimage", "foreimage", "selectedimage", "group", "selected", "inset", "childpadding",
    "childalign", "vscrollbar", "hscrollbar", "scrollstepsize", "sepwidth", "sepimm", "min", "max", "value", "hor",
    "isstretchfore", "readonly", "password", "maxchar", "rich", "wantreturn", "tipvalue", "selectedid", "animation",
    "framecount", "framedelay", "style", "dragenable", "dropenable", "resourceid", "statecount", "stateimage",
    "bindtabindex", "bindtablayoutname", "cursor", "shortcut", "range", "linesize", "thumbnormalimage",
};
const char* const kAttributeValues[] = {
    "", "-1", "0", "99999999", "-2147483648", "4294967296", "1,2", "1,2,3,4,5", "-5,-5,-5,-5", "#", "#FFFFFFFFFF",
    "0x", "true", "TRUE", "file='a.png' source='0,0,99999,99999' corner='-5,-5,99999,0'", "file='missing.png'",
    "res='130' restype='ZIPRES'", "left|right|bottom", "\xC3\x28", "&amp;&lt;b&gt;", "50%", "1e308",
};

inline std::vector<Bytes> MarkupSeeds()
{
    std::vector<Bytes> seeds;
    seeds.push_back(FromText(kBaseMarkup));
    AddSkinFile(seeds, L"MainFrame.xml");
    AddSkinFile(seeds, L"MsgWnd.xml");
    return seeds;
}

inline void MutateMarkup(Bytes& text, Rng& rng)
{
    if (rng.Below(3) == 0) {
        const char* const tags[] = {"Control", "Label", "Text", "Button", "Option", "CheckBox", "Progress",
                                    "RichEdit", "TabLayout", "VerticalLayout", "HorizontalLayout", "Container"};
        std::string element = std::string("<") + tags[rng.Below(sizeof(tags) / sizeof(tags[0]))];
        for (unsigned n = 1 + rng.Below(4); n > 0; --n) {
            element += std::string(" ") + kAttributeNames[rng.Below(sizeof(kAttributeNames) / sizeof(kAttributeNames[0]))] +
                       "=\"" + kAttributeValues[rng.Below(sizeof(kAttributeValues) / sizeof(kAttributeValues[0]))] + "\"";
        }
        element += "/>";
        // Inside the tree: after some empty element, so beside it under the same parent.
        std::vector<size_t> ends;
        for (size_t i = 1; i < text.size(); ++i) {
            if (text[i] == '>' && text[i - 1] == '/') ends.push_back(i + 1);
        }
        const size_t at = ends.empty() ? rng.Below(text.size() + 1) : ends[rng.Below(ends.size())];
        text.insert(text.begin() + at, element.begin(), element.end());
        return;
    }
    MutateText(text, rng, kMarkupSplices);
}

// Builds, attaches and paints the tree.
inline void BuildAndPaintMarkup(const std::wstring& markup)
{
    Environment& env = Environment::Get();
    CPaintManagerUI pm;
    pm.Init(env.Window());
    CDialogBuilder builder;
    CControlUI* root = builder.Create(markup.c_str(), nullptr, nullptr, &pm);
    if (root == nullptr) return;
    pm.AttachDialog(root);
    RECT rc = {0, 0, 320, 240};
    root->SetPos(rc, false);
    root->Paint(env.Canvas(), rc, nullptr);
}

// Empties this thread's message queue, as the message loop of a window's thread would.
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

inline void RunMarkup(const Bytes& input)
{
    ResourceScope resources;
    std::wstring markup = Wide(input);
    if (markup.empty() || markup[0] != L'<') markup.insert(0, L"<");
    BuildAndPaintMarkup(markup);
    // The system frees what it keeps for a destroyed window (the shadow window of a "showshadow" markup)
    // only once the thread's queue is read; a driver that never reads it would grow by some kilobytes
    // per window and report that as a leak of the markup's.
    PumpMessages();
}

// ---- language files -----------------------------------------------------------------------

const char kBaseLanguage[] =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Language>\n"
    "  <Text id=\"1\" text=\"Lumbra\"/>\n  <Text id=\"2\" text=\"Install Now\" tooltip=\"t\" tipvalue=\"v\"/>\n"
    "  <Text id=\"12\" text=\"\"/>\n  <String id=\"1\" text1=\"Select\" text2=\"0002\" text3=\"0003\"/>\n"
    "  <Text id=\"99999999999\" text=\"overflow\"/>\n</Language>\n";
const char* const kLanguageSplices[] = {
    "<Text id=\"-1\" text=\"x\"/>", "<Text id=\"3\"/>", "<Text text=\"no id\"/>", "<String id=\"2\" text9=\"z\"/>",
    "<Language>", "</Language>", "<Text id=\"1\" text=\"&#xD800;\"/>", "<Text id=\"4294967297\" text=\"w\"/>",
};

inline std::vector<Bytes> LanguageSeeds()
{
    std::vector<Bytes> seeds;
    seeds.push_back(FromText(kBaseLanguage));
    AddSkinFile(seeds, L"Lang\\English\\MainFrame.lng");
    AddSkinFile(seeds, L"Lang\\English\\StringTable.lng");
    return seeds;
}

inline void MutateLanguage(Bytes& text, Rng& rng)
{
    MutateText(text, rng, kLanguageSplices);
}

inline void RunLanguage(const Bytes& input)
{
    CXmlDocumentUI doc;
    CLangPackageUI package;
    if (doc.load_buffer(input.data(), input.size())) package.LoadResource(doc);
    for (int id : {1, 2, 3, 12, -1}) package.GetText(id);
    const std::wstring wide = Wide(input);
    if (!wide.empty() && wide[0] == L'<') {
        CLangPackageUI fromText;
        fromText.LoadResource(wide.c_str());
    }
}

// ---- image descriptors --------------------------------------------------------------------

const char* const kDescriptorSplices[] = {
    "file='a.png' ", "res='130' restype='PNG' ", "source='0,0,99999,99999' ", "source='-5,-5,3,3' ",
    "corner='5,5,5,5' ", "corner='-5,-5,99999,0' ", "dest='10,10,20,20' ", "dest='-99999,0,99999,1' ",
    "width='32769' height='32768' ", "width='20000' height='1' ", "fade='300' ", "fade='-1' ", "mask='#zz' ",
    "mask='#FFFF00FF' ", "hole='true' ", "xtiled='true' ", "ytiled='TRUE' ", "align='center' ", "valign='bottom' ",
    "padding='1,2,3,4' ", "padding='99999,99999,0,0' ", "fillcolor='#FF00FF00' ", "hsl='true' ", "file='' ",
    "file='missing.png' ", "file='a.png", "=''", "'", " ",
};

inline std::vector<Bytes> DescriptorSeeds()
{
    return {FromText("file='a.png' source='0,0,16,16' corner='2,2,2,2'"),
            FromText("file='btn_close.png' source='0,0,14,14' dest='1,1,15,15' align='right' fade='128'"),
            FromText("a.png")};
}

inline void MutateDescriptor(Bytes& text, Rng& rng)
{
    MutateText(text, rng, kDescriptorSplices);
}

inline void RunDescriptor(const Bytes& input)
{
    Environment& env = Environment::Get();
    ResourceScope resources;
    const std::wstring text = Wide(input);
    TDrawInfo info;
    info.Parse(text.c_str(), L"dest='0,0,40,40'", nullptr);
    CPaintManagerUI pm;
    const RECT rcItem = {10, 10, 300, 200};
    const RECT rcPaint = {0, 0, 320, 240};
    CRenderEngine::DrawImageString(env.Canvas(), &pm, rcItem, rcPaint, text.c_str(), nullptr);
    CRenderEngine::DrawImageString(env.Canvas(), &pm, rcItem, rcPaint, text.c_str(), L"fade='100'");
    CRenderEngine::DrawIconImageString(env.Canvas(), &pm, rcItem, rcPaint, text.c_str(), L"iconsize='16,16' iconalign='center'");
}

// ---- HTML text ----------------------------------------------------------------------------

const char* const kHtmlSplices[] = {
    "<b>", "</b>", "<i>", "</i>", "<u>", "</u>", "<s>", "</s>", "<c #FF0000>", "<c #>", "</c>", "<f 1>",
    "<f Arial 99999 bold italic underline>", "<f AVeryLongFaceNameBeyondThirtyOneCharactersForSure 12>", "</f>",
    "<a link>", "<a>", "</a>", "<i a.png>", "<i a.png 3 7>", "<i file='a.png' source='0,0,8,8'>", "<i missing.png>",
    "<x 99999>", "<x -99999>", "<y -5>", "<y 99999>", "<p 10>", "<p -99999>", "</p>", "<n>", "<r>", "</r>", "{b}",
    "{/b}", "{c FF0000}", "<<", "{{", "&lt;", "\n", "<", "{",
};

inline std::vector<Bytes> HtmlSeeds()
{
    return {FromText("<b>Bold</b> and <c #FF0000>red</c> <a link>link</a>{n}<f 1>font</f> <i a.png> <x 4>tail"),
            FromText("<c #f00>a<b>b</c>c</b> <p 5>para</p> <s>selected</s> <u>u</u>")};
}

inline void MutateHtml(Bytes& text, Rng& rng)
{
    MutateText(text, rng, kHtmlSplices);
}

inline void RunHtml(const Bytes& input)
{
    Environment& env = Environment::Get();
    ResourceScope resources;
    const std::wstring text = Wide(input);
    CPaintManagerUI pm;
    pm.AddFont(1, L"Arial", 14, false, false, false);
    RECT links[8];
    CUIString linkTexts[8];
    const UINT styles[] = {DT_SINGLELINE, DT_WORDBREAK, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CENTER | DT_VCENTER,
                           DT_WORDBREAK | DT_CALCRECT};
    for (UINT style : styles) {
        RECT rc = {5, 5, 200, 120};
        int nLinks = 8;
        CRenderEngine::DrawHtmlText(env.Canvas(), &pm, rc, text.c_str(), 0xFF000000, links, linkTexts, nLinks, 1, style);
    }
}

// ---- raster images and SVG ----------------------------------------------------------------

// Frames of 2x1 pixels over a four-colour table.
inline Bytes TwoFrameGif()
{
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x81, 0, 0};
    const unsigned char table[] = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0xFF, 0xFF};
    gif.insert(gif.end(), table, table + sizeof(table));
    auto frame = [&gif](unsigned char delay, int p0, int p1) {
        const unsigned char gce[] = {0x21, 0xF9, 0x04, 0x00, delay, 0x00, 0x00, 0x00};
        gif.insert(gif.end(), gce, gce + sizeof(gce));
        const unsigned char desc[] = {0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0x00, 0x02};
        gif.insert(gif.end(), desc, desc + sizeof(desc));
        const unsigned bits = 4u | (static_cast<unsigned>(p0) << 3) | (static_cast<unsigned>(p1) << 6) | (5u << 9);
        const unsigned char data[] = {2, static_cast<unsigned char>(bits & 0xFF), static_cast<unsigned char>(bits >> 8), 0};
        gif.insert(gif.end(), data, data + sizeof(data));
    };
    frame(10, 0, 1);
    frame(20, 2, 3);
    gif.push_back(0x3B);
    return gif;
}

// A 24-bit bottom-up BMP of w x h.
inline Bytes SmallBmp(int w, int h)
{
    const int stride = (w * 3 + 3) & ~3;
    Bytes b(54 + static_cast<size_t>(stride) * h, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<unsigned>(b.size()));
    Put32(b, 10, 54);
    Put32(b, 14, 40);
    Put32(b, 18, static_cast<unsigned>(w));
    Put32(b, 22, static_cast<unsigned>(h));
    b[26] = 1;
    b[28] = 24;
    Put32(b, 34, static_cast<unsigned>(stride * h));
    for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<unsigned char>(i * 7);
    return b;
}

// A baseline JPEG made by the platform's encoder; none when the system has no encoder.
Bytes EncodedJpeg();

inline std::vector<Bytes> PngSeeds()
{
    std::vector<DWORD> px(9 * 7, 0xFF00FF00);
    px[3] = 0x00000000;
    px[10] = 0x80FF0000;
    std::vector<Bytes> seeds = {MakePng(9, 7, px), MakePng(1, 1, std::vector<DWORD>(1, 0xFFFFFFFF))};
    for (const wchar_t* name : {L"btn_close.png", L"checkbox.png", L"btn_setup.png"}) AddSkinFile(seeds, name);
    return seeds;
}
inline std::vector<Bytes> BmpSeeds() { return {SmallBmp(5, 3), SmallBmp(1, 1)}; }
inline std::vector<Bytes> GifSeeds() { return {TwoFrameGif()}; }
inline std::vector<Bytes> JpegSeeds()
{
    Bytes jpeg = EncodedJpeg();
    if (jpeg.empty()) return {FromText("\xFF\xD8\xFF\xE0")};
    return {jpeg};
}

inline size_t FindMarker(const Bytes& b, unsigned char m0, unsigned char m1, size_t from = 0)
{
    for (size_t i = from; i + 1 < b.size(); ++i) {
        if (b[i] == m0 && b[i + 1] == m1) return i;
    }
    return b.size();
}

// Headers claiming huge or odd sizes, besides generic damage.
inline void MutateImage(Bytes& image, Rng& rng)
{
    if (image.size() < 12 || rng.Below(3) != 0) {
        Mutate(image, rng);
        if (rng.Below(2) == 0) Mutate(image, rng);
        return;
    }
    const unsigned w = Boundary(rng), h = Boundary(rng);
    if (image[0] == 0x89 && image[1] == 'P') {          // PNG: IHDR width and height, big-endian
        PutBE(image, 16, w, 4);
        PutBE(image, 20, h, 4);
    } else if (image[0] == 'B' && image[1] == 'M') {   // BMP: signed little-endian
        Put32(image, 18, w);
        Put32(image, 22, rng.Below(2) ? h : static_cast<unsigned>(-static_cast<int>(h)));
    } else if (image[0] == 'G' && image[1] == 'I') {   // GIF: screen, then a frame descriptor
        image[6] = static_cast<unsigned char>(w);
        image[7] = static_cast<unsigned char>(w >> 8);
        image[8] = static_cast<unsigned char>(h);
        image[9] = static_cast<unsigned char>(h >> 8);
        size_t at = FindMarker(image, 0x2C, 0x00, 13);
        if (at + 9 < image.size()) {
            image[at + 5] = static_cast<unsigned char>(w);
            image[at + 6] = static_cast<unsigned char>(w >> 8);
            image[at + 7] = static_cast<unsigned char>(h);
            image[at + 8] = static_cast<unsigned char>(h >> 8);
        }
    } else if (image[0] == 0xFF && image[1] == 0xD8) {  // JPEG: the frame header's height and width
        size_t at = FindMarker(image, 0xFF, 0xC0);
        if (at + 9 < image.size()) {
            PutBE(image, at + 5, h, 2);
            PutBE(image, at + 7, w, 2);
        }
    } else {
        Mutate(image, rng);
    }
}

// Decodes, draws the result, and for GIFs every frame.
inline void RunImage(const Bytes& input)
{
    Environment& env = Environment::Get();
    const BYTE* data = input.empty() ? reinterpret_cast<const BYTE*>("") : input.data();
    TImageInfo* image = CRenderEngine::LoadImageFromMemory(data, static_cast<DWORD>(input.size()), 0xFFFF00FF, 0, 0, 0, nullptr);
    if (image != nullptr) {
        const RECT rc = {0, 0, 64, 48};
        const RECT part = {0, 0, image->nX, image->nY};
        const RECT corner = {1, 1, 1, 1};
        CRenderEngine::DrawImage(env.Canvas(), image->hBitmap, rc, rc, part, corner, image->bAlpha);
        CRenderEngine::FreeImage(image);
    }
    if (input.size() > 3 && input[0] == 'G' && input[1] == 'I') {
        CStdPtrArray frames;
        CRenderEngine::LoadGifImageFromMemory(data, static_cast<DWORD>(input.size()), frames);
        for (int i = 0; i < frames.GetSize(); ++i) CRenderEngine::FreeImage(static_cast<TImageInfo*>(frames[i]));
    }
}

const char* const kSvgSplices[] = {
    "<rect x=\"0\" y=\"0\" width=\"1e9\" height=\"1e9\" fill=\"#f00\"/>", "<g>", "</g>", "<g transform=\"scale(1e20)\">",
    "<path d=\"M0 0 L1e30 1e30 Z\" stroke=\"#000\" stroke-width=\"1e9\"/>",
    "<path d=\"M0,0 C1,2,3,4,5,6 Q1,2,3,4 A5,5,0,1,1,9,9 z\"/>", "<circle cx=\"5\" cy=\"5\" r=\"-3\"/>",
    "<linearGradient id=\"g\"><stop offset=\"2\" stop-color=\"#0f0\"/></linearGradient>", "fill=\"url(#g)\" ",
    " width=\"32769\" height=\"32768\"", " width=\"20000\" height=\"20000\"", " width=\"0\"", " height=\"-1\"",
    " viewBox=\"0 0 0 0\"", " viewBox=\"0 0 1e-30 1e-30\"", " width=\"nan\" height=\"inf\"", "<polygon points=\"1 2 3\"/>",
    "<style>*{}</style>", "<!--", "<![CDATA[", "&#x0;",
};

inline std::vector<Bytes> SvgSeeds()
{
    return {FromText("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"24\" height=\"24\" viewBox=\"0 0 24 24\">"
                     "<rect x=\"2\" y=\"2\" width=\"20\" height=\"20\" fill=\"#ff0000\"/>"
                     "<path d=\"M4 12 L10 18 L20 6\" stroke=\"#00ff00\" stroke-width=\"2\" fill=\"none\"/></svg>"),
            FromText("<svg width=\"16\" height=\"8\"><g transform=\"translate(1,1)\"><circle cx=\"4\" cy=\"4\" r=\"3\" "
                     "fill=\"#00f\"/></g></svg>")};
}

inline void MutateSvg(Bytes& text, Rng& rng)
{
    MutateText(text, rng, kSvgSplices);
}

// Loaded at its own size, at a requested size and at a window scale.
inline void RunSvg(const Bytes& input)
{
    const BYTE* data = input.empty() ? reinterpret_cast<const BYTE*>("") : input.data();
    const DWORD size = static_cast<DWORD>(input.size());
    CRenderEngine::FreeImage(CRenderEngine::LoadImageFromMemory(data, size, 0, 0, 0, 0, nullptr));
    CRenderEngine::FreeImage(CRenderEngine::LoadImageFromMemory(data, size, 0, 48, 48, 0xFF00FF00, nullptr));
    CPaintManagerUI pm;
    pm.GetDPIObj()->SetScale(144);
    CRenderEngine::FreeImage(CRenderEngine::LoadImageFromMemory(data, size, 0, 0, 0, 0, &pm));
}

// ---- service replies ----------------------------------------------------------------------

const char* const kJsonSplices[] = {
    "{", "}", "[", "]", "\"", "\\u0000", "\\uD800", ",", ":", "null", "1e999", "-0", "\"data\":", "\"state\":0",
    "\"state\":\"0\"", "\"ip\":", "\"onlineUrl\":\"file:///C:/x\"", "\"offlineUrl\":\"\\\\\\\\host\\\\share\"",
    "\"data\":\"{\\\"onlineUrl\\\":1}\"", "[[[[[[[[[[[[[[[[", "{\"a\":{\"a\":{\"a\":{\"a\":", "/*", "//",
};

inline std::vector<Bytes> DownloadReplySeeds()
{
    return {FromText("{\"state\":0,\"data\":{\"onlineUrl\":\"https://dl.example.com/CORVEX_Online.exe\","
                     "\"offlineUrl\":\"https://dl.example.com/CORVEX_Offline.exe\",\"sha256\":"
                     "\"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef\"}}"),
            FromText("{\"state\":0,\"data\":\"{\\\"onlineUrl\\\":\\\"dl.example.com/a.exe\\\"}\"}"),
            FromText("{\"state\":1,\"msg\":\"busy\"}")};
}

inline std::vector<Bytes> IpReplySeeds()
{
    return {FromText("{\"ip\":\"203.0.113.7\",\"country\":\"XX\"}"), FromText("callback({\"ip\":\"198.51.100.1\"});"),
            FromText("{\"ip\":12}")};
}

inline void MutateJson(Bytes& text, Rng& rng)
{
    MutateText(text, rng, kJsonSplices);
}

inline void RunDownloadReply(const Bytes& input)
{
    DownloadAddresses out;
    CDownloadUrlLookup::ParseReply(ToText(input), out);
}

inline void RunIpReply(const Bytes& input)
{
    std::string ip;
    CUsageReporter::ExtractIpText(ToText(input), ip);
}

// ---- the table ----------------------------------------------------------------------------

inline std::vector<Bytes> ZipSeeds() { return {BaseArchive()}; }

struct Target
{
    const char* name;
    std::vector<Bytes> (*seeds)();
    void (*mutate)(Bytes&, Rng&);
    void (*run)(const Bytes&);
    unsigned seed;
};

inline const std::vector<Target>& Targets()
{
    static const std::vector<Target> targets = {
        {"zip", ZipSeeds, MutateZip, RunZip, 0x5EED0101},
        {"markup", MarkupSeeds, MutateMarkup, RunMarkup, 0x5EED0102},
        {"language", LanguageSeeds, MutateLanguage, RunLanguage, 0x5EED0103},
        {"descriptor", DescriptorSeeds, MutateDescriptor, RunDescriptor, 0x5EED0104},
        {"html", HtmlSeeds, MutateHtml, RunHtml, 0x5EED0105},
        {"png", PngSeeds, MutateImage, RunImage, 0x5EED0106},
        {"jpeg", JpegSeeds, MutateImage, RunImage, 0x5EED0107},
        {"gif", GifSeeds, MutateImage, RunImage, 0x5EED0108},
        {"bmp", BmpSeeds, MutateImage, RunImage, 0x5EED0109},
        {"svg", SvgSeeds, MutateSvg, RunSvg, 0x5EED010A},
        {"download-reply", DownloadReplySeeds, MutateJson, RunDownloadReply, 0x5EED010B},
        {"ip-reply", IpReplySeeds, MutateJson, RunIpReply, 0x5EED010C},
    };
    return targets;
}

inline const Target* FindTarget(const std::string& name)
{
    for (const Target& t : Targets()) {
        if (name == t.name) return &t;
    }
    return nullptr;
}

// Input number `iteration` of a target: a seed mutated one to three times.
inline Bytes MakeInput(const Target& target, const std::vector<Bytes>& seeds, unsigned seed, int iteration)
{
    Rng rng(seed, iteration);
    Bytes input = seeds[rng.Below(seeds.size())];
    for (unsigned n = 1 + rng.Below(3); n > 0; --n) target.mutate(input, rng);
    return input;
}

} // namespace fuzz
