// Figures for the resource readers and the builder (run by hand:
// bash bench/run.sh prints them, or tools/wine-run <build>/bench/bench_resource.exe).
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/BenchClock.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/controls/UIControl.h"
#include "ui/core/UIDlgBuilder.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIXmlDocument.h"
#include "ui/core/UIZip.h"

using namespace Veneer;
using test_support::ZipWriter;

namespace {

using bench::Now;

std::string SkinMarkup(int labels)
{
    std::string m = "<Window size=\"600,400\"><Font id=\"0\" name=\"Arial\" size=\"14\" default=\"true\"/>"
                    "<Style name=\"st\" value=\"textcolor=&quot;#FF444444&quot;\"/><VerticalLayout>";
    for (int i = 0; i < labels; ++i) {
        m += "<HorizontalLayout height=\"20\"><Label name=\"l" + std::to_string(i) +
             "\" style=\"st\" text=\"text\" resourceid=\"" + std::to_string(i) + "\"/><Button text=\"b\"/>"
             "</HorizontalLayout>";
    }
    return m + "</VerticalLayout></Window>";
}

} // namespace

int main()
{
    ZipWriter w;
    for (int i = 0; i < 60; ++i) w.Add("img" + std::to_string(i) + ".png", test_support::NoiseBytes(8000, i), ZipWriter::Stored);
    w.Add("MainFrame.xml", SkinMarkup(40));
    w.Add("Big.xml", SkinMarkup(2000));
    test_support::Bytes archive = w.Build();

    const int reads = 2000;
    HZIP cached = CUIZip::OpenZip(archive.data(), static_cast<unsigned>(archive.size()), nullptr);
    std::vector<unsigned char> buf(8000);
    double t0 = Now();
    for (int i = 0; i < reads; ++i) {
        int index;
        ZIPENTRY ze;
        std::wstring name = L"img" + std::to_wstring(i % 60) + L".png";
        CUIZip::FindZipItem(cached, name.c_str(), true, &index, &ze);
        CUIZip::UnzipItem(cached, index, buf.data(), static_cast<unsigned>(buf.size()));
    }
    double t1 = Now();
    for (int i = 0; i < reads; ++i) {
        HZIP once = CUIZip::OpenZip(archive.data(), static_cast<unsigned>(archive.size()), nullptr);
        int index;
        ZIPENTRY ze;
        std::wstring name = L"img" + std::to_wstring(i % 60) + L".png";
        CUIZip::FindZipItem(once, name.c_str(), true, &index, &ze);
        CUIZip::UnzipItem(once, index, buf.data(), static_cast<unsigned>(buf.size()));
        CUIZip::CloseZip(once);
    }
    double t2 = Now();
    CUIZip::CloseZip(cached);
    std::printf("image read, cached archive:   %8.1f us per read\n", (t1 - t0) * 1e6 / reads);
    std::printf("image read, archive per read: %8.1f us per read\n", (t2 - t1) * 1e6 / reads);

    CPaintManagerUI::SetResourceZip(archive.data(), static_cast<unsigned>(archive.size()));
    CXmlDocumentUI doc;
    double t3 = Now();
    for (int i = 0; i < 20; ++i) doc.load_file(L"Big.xml");
    double t4 = Now();
    std::printf("markup load (%u KB document):  %8.2f ms\n", static_cast<unsigned>(SkinMarkup(2000).size() / 1024),
                (t4 - t3) * 1e3 / 20);

    CPaintManagerUI pm;
    double t5 = Now();
    const int builds = 50;
    for (int i = 0; i < builds; ++i) {
        CDialogBuilder builder;
        delete builder.Create(L"MainFrame.xml", nullptr, nullptr, &pm);
    }
    double t6 = Now();
    std::printf("build of a 121-control window: %8.2f ms\n", (t6 - t5) * 1e3 / builds);
    return 0;
}
