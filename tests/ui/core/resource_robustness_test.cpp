// Mutation test: thousands of corrupted archives, markup files and language
// files go through the readers and the builder. Each must end in a documented
// failure or a (partial) result: no crash, no endless loop, no allocation
// beyond what the input can honestly claim.
//
// Besides, every parser and decoder of fuzz_targets.h gets a short run here, and
// each input saved by the fuzz command (tools/fuzz.sh) under fuzz_regressions/<target>/
// is fed again. The same program is that command's driver: with VENEER_FUZZ_TARGET
// set, the test Fuzz.Command runs many inputs of one target (see tools/fuzz.sh).
//
// Every case is derived from (seed, iteration) alone. A failing or crashing
// iteration is printed; set VENEER_REPLAY=<iteration> to run only that one.
#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/core/fuzz_targets.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
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
using fuzz::BaseArchive;
using fuzz::MutateArchive;
using fuzz::Rng;
using test_support::Bytes;
using test_support::ZipWriter;

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
    std::fprintf(stderr, "\nCRASH 0x%08lX at %p (thread %lu) in %s at iteration %d (replay with VENEER_REPLAY=%d)\n",
                 info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress, GetCurrentThreadId(),
                 g_suite, g_iteration, g_iteration);
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

size_t PrivateBytes()
{
    // Wine leaves PrivateUsage at 0; its commit charge is the same figure there.
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage;
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

void MutateMarkup(std::string& text, Rng& rng)
{
    Bytes bytes(text.begin(), text.end());
    fuzz::MutateMarkup(bytes, rng);
    text.assign(bytes.begin(), bytes.end());
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
        if (ReplayIteration() < 0 && std::getenv("VENEER_BACKTRACE") == nullptr) SetUnhandledExceptionFilter(&ReportCrash);
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
    test_support::ScratchFolder dir;
    PFN_DIALOGBUILDER_ERROR previous = nullptr;
};

} // namespace

// ---- every parser and decoder ----------------------------------------------------------------

Bytes fuzz::EncodedJpeg()
{
    Gdiplus::GdiplusStartupInput startup;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &startup, nullptr) != Gdiplus::Ok) return Bytes();
    Bytes out;
    {
        UINT count = 0, size = 0;
        Gdiplus::GetImageEncodersSize(&count, &size);
        std::vector<BYTE> buffer(size);
        auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
        const Gdiplus::ImageCodecInfo* jpeg = nullptr;
        if (size > 0 && Gdiplus::GetImageEncoders(count, size, codecs) == Gdiplus::Ok) {
            for (UINT i = 0; i < count; ++i) {
                if (wcscmp(codecs[i].MimeType, L"image/jpeg") == 0) jpeg = &codecs[i];
            }
        }
        Gdiplus::Bitmap bitmap(24, 16, PixelFormat24bppRGB);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 24; ++x) bitmap.SetPixel(x, y, Gdiplus::Color(255, x * 10, y * 15, 128));
        IStream* stream = nullptr;
        if (jpeg != nullptr && SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) &&
            bitmap.Save(stream, &jpeg->Clsid, nullptr) == Gdiplus::Ok) {
            STATSTG stat = {};
            LARGE_INTEGER zero = {};
            if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
                out.resize(static_cast<size_t>(stat.cbSize.QuadPart));
                ULONG read = 0;
                stream->Read(out.data(), static_cast<ULONG>(out.size()), &read);
                out.resize(read);
            }
        }
        if (stream != nullptr) stream->Release();
    }
    Gdiplus::GdiplusShutdown(token);
    return out;
}

namespace {

// Inputs of the short run in CI per target; the markup builder is far slower than the rest.
int ShortRunCount(const fuzz::Target& target)
{
    return std::string(target.name) == "markup" ? 300 : 2000;
}

std::wstring RegressionsDir()
{
#ifdef FUZZ_REGRESSIONS_DIR
    return fuzz::WindowsFolder(FUZZ_REGRESSIONS_DIR);
#else
    return std::wstring();
#endif
}

std::vector<std::wstring> FilesIn(const std::wstring& dir)
{
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return files;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.push_back(dir + data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return files;
}

} // namespace

TEST_F(Robustness, EveryParserAndDecoderSurvivesAShortMutationRun)
{
    for (const fuzz::Target& target : fuzz::Targets()) {
        g_suite = target.name;
        const std::vector<Bytes> seeds = target.seeds();
        ASSERT_FALSE(seeds.empty()) << target.name;
        for (const Bytes& seed : seeds) target.run(seed);
        const int count = ShortRunCount(target);
        for (int i = 0; i < count; ++i) {
            if (!Selected(i)) continue;
            g_iteration = i;
            const Bytes input = fuzz::MakeInput(target, seeds, target.seed, i);
            try {
                target.run(input);
            } catch (const std::exception& e) {
                ADD_FAILURE() << target.name << " iteration " << i << " threw " << e.what();
            } catch (...) {
                ADD_FAILURE() << target.name << " iteration " << i << " threw";
            }
        }
    }
}

TEST_F(Robustness, InputsThatOnceFailedAreHandled)
{
    // fuzz_regressions/<target>/<file>: what the fuzz command saved, each fed alone.
    const std::wstring root = RegressionsDir();
    ASSERT_FALSE(root.empty());
    int replayed = 0;
    for (const fuzz::Target& target : fuzz::Targets()) {
        std::wstring name(target.name, target.name + strlen(target.name));
        for (const std::wstring& file : FilesIn(root + name + L"\\")) {
            Bytes input;
            ASSERT_TRUE(fuzz::ReadFileBytes(file, input));
            g_suite = target.name;
            try {
                target.run(input);
            } catch (...) {
                ADD_FAILURE() << target.name << " threw on a saved input";
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "the saved inputs were not found";
}

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
        std::string markup = fuzz::kBaseMarkup;
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
            const int reportsBefore = g_reports;
            root = builder.Create(L"MainFrame.xml", nullptr, nullptr, &pm);
            if (root == nullptr) {
                // The reader's description, the builder's report of markup asking too much,
                // or a document with nothing below its root.
                bool childElement = false;
                CXmlNodeUI top = builder.GetMarkup()->document_element();
                for (CXmlNodeUI c = top.first_child(); !c.empty(); c = c.next_sibling()) {
                    childElement = childElement || c.type() == node_element_ui;
                }
                EXPECT_TRUE(*builder.GetLastErrorMessage() != 0 || g_reports > reportsBefore || !childElement)
                    << "iteration " << i;
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
        for (unsigned n = 1 + rng.Below(3); n > 0; --n) fuzz::Mutate(text, rng);
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

// ---- the fuzz command's driver -------------------------------------------------------------

namespace {

std::string Env(const char* name, const char* fallback = "")
{
    const char* v = std::getenv(name);
    return v != nullptr ? v : fallback;
}

// What the driver shares with its crash filter and watchdog.
struct FuzzRun
{
    const fuzz::Target* target = nullptr;
    unsigned seed = 0;
    std::string outDir, statusFile;
    std::atomic<int> iteration{-1};
    std::atomic<ULONGLONG> inputStart{0};
    const Bytes* input = nullptr;
    int exceptions = 0;
    int leaks = 0;
};

FuzzRun g_run;

size_t PeakKb()
{
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof(pmc);
    K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
    return pmc.PeakPagefileUsage / 1024;
}

void SaveInput(const char* why)
{
    if (g_run.outDir.empty() || g_run.input == nullptr) return;
    char path[MAX_PATH];
    std::snprintf(path, sizeof(path), "%s\\%s-%08x-%d.bin", g_run.outDir.c_str(), g_run.target->name, g_run.seed,
                  g_run.iteration.load());
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return;
    std::fwrite(g_run.input->data(), 1, g_run.input->size(), f);
    std::fclose(f);
    std::fprintf(stderr, "fuzz %s: %s at iteration %d, input saved to %s\n", g_run.target->name, why,
                 g_run.iteration.load(), path);
}

// One line the fuzz command reads after every run of this program.
void WriteStatus(int next, const char* state)
{
    if (g_run.statusFile.empty()) return;
    FILE* f = std::fopen(g_run.statusFile.c_str(), "w");
    if (f == nullptr) return;
    std::fprintf(f, "next %d exceptions %d leaks %d peakkb %u state %s\n", next, g_run.exceptions, g_run.leaks,
                 static_cast<unsigned>(PeakKb()), state);
    std::fclose(f);
}

LONG WINAPI FuzzCrash(EXCEPTION_POINTERS* info)
{
    std::fprintf(stderr, "fuzz %s: exception 0x%08lX\n", g_run.target->name, info->ExceptionRecord->ExceptionCode);
    SaveInput("crash");
    WriteStatus(g_run.iteration + 1, "crash");
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 2);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(LPVOID param)
{
    const ULONGLONG limit = *static_cast<ULONGLONG*>(param);
    for (;;) {
        Sleep(200);
        const ULONGLONG start = g_run.inputStart;
        if (start != 0 && GetTickCount64() - start > limit) {
            SaveInput("hang");
            WriteStatus(g_run.iteration + 1, "hang");
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

} // namespace

// Runs only when the fuzz command sets VENEER_FUZZ_TARGET; see tools/fuzz.sh.
TEST(Fuzz, Command)
{
    const std::string name = Env("VENEER_FUZZ_TARGET");
    if (name.empty()) GTEST_SKIP() << "set by tools/fuzz.sh";
    const fuzz::Target* target = fuzz::FindTarget(name);
    ASSERT_NE(target, nullptr) << "unknown target " << name;
    g_run.target = target;
    g_run.seed = static_cast<unsigned>(std::strtoul(Env("VENEER_FUZZ_SEED", "0").c_str(), nullptr, 0));
    if (g_run.seed == 0) g_run.seed = target->seed;
    g_run.outDir = Env("VENEER_FUZZ_OUT");
    g_run.statusFile = Env("VENEER_FUZZ_STATUS");
    fuzz::Environment::Get();
    const std::string replay = Env("VENEER_FUZZ_REPLAY_FILE");
    if (!replay.empty()) {
        // One saved input alone, with the ordinary crash report.
        Bytes input;
        std::wstring wide(replay.begin(), replay.end());
        ASSERT_TRUE(fuzz::ReadFileBytes(wide, input)) << replay;
        target->run(input);
        return;
    }
    const int count = std::atoi(Env("VENEER_FUZZ_COUNT", "1000").c_str());
    const int start = std::atoi(Env("VENEER_FUZZ_START", "0").c_str());
    static ULONGLONG hangMs = std::strtoull(Env("VENEER_FUZZ_HANG_MS", "10000").c_str(), nullptr, 10);
    if (std::getenv("VENEER_BACKTRACE") == nullptr) SetUnhandledExceptionFilter(&FuzzCrash);
    CloseHandle(CreateThread(nullptr, 0, &Watchdog, &hangMs, 0, nullptr));

    const std::vector<Bytes> seeds = target->seeds();
    const int warmUp = start + std::min(1000, std::max(1, (count - start) / 10));
    size_t baseline = 0, flagged = 0, lastPeakKb = PeakKb();
    for (int i = start; i < count; ++i) {
        const Bytes input = fuzz::MakeInput(*target, seeds, g_run.seed, i);
        g_run.input = &input;
        g_run.iteration = i;
        g_run.inputStart = GetTickCount64();
        try {
            target->run(input);
        } catch (...) {
            ++g_run.exceptions;
            SaveInput("uncaught exception");
        }
        g_run.inputStart = 0;
        // Names the input behind a jump of the peak, so a big allocation can be looked at.
        const size_t peak = PeakKb();
        if (peak > lastPeakKb + 64 * 1024) {
            std::fprintf(stderr, "fuzz %s: peak %u MB after iteration %d\n", target->name,
                         static_cast<unsigned>(peak >> 10), i);
            SaveInput("peak jump");
        }
        lastPeakKb = peak;
        g_run.input = nullptr;
        // Memory that keeps growing after the warm-up, 16 MB per 5000 inputs, counts as a leak.
        if (i + 1 == warmUp) baseline = flagged = PrivateBytes();
        if (baseline != 0 && (i + 1 - warmUp) % 5000 == 0) {
            const size_t now = PrivateBytes();
            if (now > flagged + 16u * 1024 * 1024) {
                ++g_run.leaks;
                flagged = now;
                std::fprintf(stderr, "fuzz %s: private memory grew to %u MB by iteration %d\n", target->name,
                             static_cast<unsigned>(now >> 20), i);
            }
        }
        if ((i + 1) % 1000 == 0) WriteStatus(i + 1, "running");
    }
    WriteStatus(count, "done");
}
