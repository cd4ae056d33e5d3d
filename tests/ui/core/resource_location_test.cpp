// The process-wide resource location and the whole-file readers behind
// markup documents and image loading: folder, zip file and in-memory archive.
#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/core/UIManager.h"
#include "ui/core/UIRender.h"
#include "ui/core/UIXmlDocument.h"

using namespace Veneer;
using test_support::Bytes;
using test_support::ScratchFolder;
using test_support::ZipWriter;

namespace {

const size_t kFourMiB = 4194304;

// A well-formed markup document of exactly n bytes.
std::string MarkupOfSize(size_t n)
{
    std::string head = "<Window><!--";
    std::string tail = "--></Window>";
    return head + std::string(n - head.size() - tail.size(), 'x') + tail;
}

// Puts the process back into folder mode at the given path.
void UseFolder(const std::wstring& path)
{
    CPaintManagerUI::SetResourceZip(L"", true);
    CPaintManagerUI::SetResourcePath(path.c_str());
}

std::string ReadBack(const wchar_t* name)
{
    LPBYTE data = nullptr;
    int n = CRenderEngine::LoadImage2Memory(name, nullptr, data);
    std::string out = n > 0 ? std::string(reinterpret_cast<char*>(data), static_cast<size_t>(n)) : std::string();
    CRenderEngine::FreeMemory(data);
    return out;
}

} // namespace

TEST(ResourcePath, SeparatorIsAppendedOnlyWhenMissing)
{
    CPaintManagerUI::SetResourcePath(L"C:\\skin");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"C:\\skin\\");
    CPaintManagerUI::SetResourcePath(L"C:\\skin\\");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"C:\\skin\\");
    CPaintManagerUI::SetResourcePath(L"C:/skin/");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"C:/skin/");
    CPaintManagerUI::SetResourcePath(L"");
    EXPECT_STREQ(CPaintManagerUI::GetResourcePath(), L"");
}

TEST(ResourcePath, ResourceModuleFallsBackToTheInstance)
{
    HINSTANCE exe = GetModuleHandleW(nullptr);
    CPaintManagerUI::m_hInstance = exe;
    CPaintManagerUI::SetResourceDll(nullptr);
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), exe);
    HINSTANCE other = GetModuleHandleW(L"kernel32.dll");
    CPaintManagerUI::SetResourceDll(other);
    EXPECT_EQ(CPaintManagerUI::GetResourceDll(), other);
    CPaintManagerUI::SetResourceDll(nullptr);
    CUIString folder = CPaintManagerUI::GetInstancePath();
    ASSERT_FALSE(folder.IsEmpty());
    EXPECT_EQ(folder[folder.GetLength() - 1], L'\\');
}

TEST(FolderReads, ErrorTextsAndTheSizeLimit)
{
    ScratchFolder dir;
    UseFolder(dir.Path());
    dir.Write(L"empty.xml", Bytes());
    dir.Write(L"exact.xml", MarkupOfSize(kFourMiB));
    dir.Write(L"over.xml", MarkupOfSize(kFourMiB + 1));
    dir.Write(L"sub\\ok.xml", "<Window caption=\"0,0,0,40\"/>");

    CXmlDocumentUI doc;
    EXPECT_FALSE(doc.load_file(L"missing.xml"));
    EXPECT_STREQ(doc.GetError(), L"Error opening file");
    EXPECT_FALSE(doc.load_file(L"empty.xml"));
    EXPECT_STREQ(doc.GetError(), L"File is empty");
    EXPECT_TRUE(doc.load_file(L"exact.xml")) << doc.GetError();
    EXPECT_FALSE(doc.load_file(L"over.xml"));
    EXPECT_STREQ(doc.GetError(), L"File too large");
    ASSERT_TRUE(doc.load_file(L"sub\\ok.xml"));
    EXPECT_STREQ(doc.document_element().name(), L"Window");
}

TEST(FolderReads, ParseErrorsKeepTheParserDescription)
{
    ScratchFolder dir;
    UseFolder(dir.Path());
    dir.Write(L"broken.xml", "<Window><Label></Window>");
    CXmlDocumentUI doc;
    EXPECT_FALSE(doc.load_file(L"broken.xml"));
    EXPECT_NE(CUIString(doc.GetError()), L"");
    EXPECT_TRUE(doc.document_element().empty());
}

class MemoryArchive : public ::testing::Test
{
protected:
    // The in-memory archive is set once per process (a second call keeps the
    // first), so every test of this fixture shares the same image.
    static void SetUpTestSuite()
    {
        ZipWriter w;
        w.Add("Lang/", Bytes(), ZipWriter::Stored);
        w.Add("Lang/English/MainFrame.lng", "<Language><Text id=\"2\" text=\"Install Now\"/></Language>");
        w.Add("lang/chinesesimplified/mainframe.lng", "<Language><Text id=\"2\" text=\"x\"/></Language>");
        w.Add("MainFrame.xml", "<Window size=\"600,400\"/>", ZipWriter::Stored);
        w.Add("empty.xml", Bytes(), ZipWriter::Stored);
        w.Add("exact.xml", MarkupOfSize(kFourMiB));
        w.Add("over.xml", MarkupOfSize(kFourMiB + 1));
        w.Add("image.png", test_support::NoiseBytes(3000, 1), ZipWriter::Stored);
        w.Add("../../evil.txt", "evil");
        w.Add("C:\\evil2.txt", "evil2");
        s_image = new Bytes(w.Build());
        ZipWriter other;
        other.Add("second.xml", "<Window/>");
        s_second = new Bytes(other.Build());
    }
    static void TearDownTestSuite()
    {
        UseFolder(L"");
    }
    void SetUp() override
    {
        CPaintManagerUI::SetResourcePath(L"");
        CPaintManagerUI::SetResourceZip(s_image->data(), static_cast<unsigned>(s_image->size()));
    }

    static Bytes* s_image;
    static Bytes* s_second;
};
Bytes* MemoryArchive::s_image = nullptr;
Bytes* MemoryArchive::s_second = nullptr;

TEST_F(MemoryArchive, BackslashNamesFindSlashEntriesInAnyCase)
{
    CXmlDocumentUI doc;
    ASSERT_TRUE(doc.load_file(L"Lang\\English\\MainFrame.lng")) << doc.GetError();
    EXPECT_STREQ(doc.child(L"Language").child(L"Text").attribute(L"text").value(), L"Install Now");
    // The archive stores this one in lower case.
    ASSERT_TRUE(doc.load_file(L"Lang\\ChineseSimplified\\MainFrame.lng")) << doc.GetError();
    EXPECT_STREQ(doc.child(L"Language").child(L"Text").attribute(L"text").value(), L"x");
}

TEST_F(MemoryArchive, ErrorTextsAndTheSizeLimit)
{
    CXmlDocumentUI doc;
    EXPECT_FALSE(doc.load_file(L"missing.xml"));
    EXPECT_STREQ(doc.GetError(), L"Could not find ziped file");
    EXPECT_FALSE(doc.load_file(L"empty.xml"));
    EXPECT_STREQ(doc.GetError(), L"File is empty");
    EXPECT_TRUE(doc.load_file(L"exact.xml")) << doc.GetError();
    EXPECT_FALSE(doc.load_file(L"over.xml"));
    EXPECT_STREQ(doc.GetError(), L"File too large");
}

TEST_F(MemoryArchive, NoFallBackToTheFolderForMarkup)
{
    ScratchFolder dir;
    dir.Write(L"onlyondisk.xml", "<Window/>");
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());
    CXmlDocumentUI doc;
    EXPECT_FALSE(doc.load_file(L"onlyondisk.xml"));
    EXPECT_STREQ(doc.GetError(), L"Could not find ziped file");
}

TEST_F(MemoryArchive, SecondMemoryArchiveIsIgnored)
{
    HANDLE first = CPaintManagerUI::GetResourceZipHandle();
    ASSERT_NE(first, nullptr);
    CPaintManagerUI::SetResourceZip(s_second->data(), static_cast<unsigned>(s_second->size()));
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), first);
    EXPECT_STREQ(CPaintManagerUI::GetResourceZip(), L"membuffer");
    EXPECT_TRUE(CPaintManagerUI::IsCachedResourceZip());
    CXmlDocumentUI doc;
    EXPECT_TRUE(doc.load_file(L"MainFrame.xml"));
    EXPECT_FALSE(doc.load_file(L"second.xml"));
}

TEST_F(MemoryArchive, EntriesOutsideTheBaseAreReadByTheirCleanName)
{
    EXPECT_EQ(ReadBack(L"evil.txt"), "evil");
    EXPECT_EQ(ReadBack(L"evil2.txt"), "evil2");
    EXPECT_EQ(ReadBack(L"../../evil.txt"), "");
}

TEST_F(MemoryArchive, ImagesComeFromTheArchiveOrAnAbsolutePath)
{
    Bytes expected = test_support::NoiseBytes(3000, 1);
    EXPECT_EQ(ReadBack(L"image.png"), std::string(expected.begin(), expected.end()));
    ScratchFolder dir;
    std::wstring outside = dir.Write(L"outside.png", "PNGDATA");
    EXPECT_EQ(ReadBack(outside.c_str()), "PNGDATA");
    LPBYTE data = reinterpret_cast<LPBYTE>(1);
    EXPECT_EQ(CRenderEngine::LoadImage2Memory(L"nowhere.png", nullptr, data), 0);
    EXPECT_EQ(data, nullptr);
}

TEST(ZipFileArchive, CachedAndPerReadHandles)
{
    ScratchFolder dir;
    ZipWriter w;
    w.Add("MainFrame.xml", "<Window size=\"1,2\"/>");
    w.Add("secret.xml", "<Window/>", ZipWriter::Deflated, "pw");
    dir.Write(L"skin.zip", w.Build());
    CPaintManagerUI::SetResourceZip(L"", true);
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());

    CPaintManagerUI::SetResourceZip(L"skin.zip", true, L"pw");
    HANDLE cached = CPaintManagerUI::GetResourceZipHandle();
    EXPECT_NE(cached, nullptr);
    CPaintManagerUI::SetResourceZip(L"skin.zip", true, L"pw");   // same name and flag: nothing happens
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), cached);
    CXmlDocumentUI doc;
    EXPECT_TRUE(doc.load_file(L"MainFrame.xml"));
    EXPECT_TRUE(doc.load_file(L"secret.xml")) << doc.GetError();

    CPaintManagerUI::SetResourceZip(L"skin.zip", false, L"wrong");
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    EXPECT_TRUE(doc.load_file(L"MainFrame.xml"));
    EXPECT_FALSE(doc.load_file(L"secret.xml"));
    EXPECT_STREQ(doc.GetError(), L"Could not unzip file");

    CPaintManagerUI::SetResourceZip(L"absent.zip", true);
    EXPECT_EQ(CPaintManagerUI::GetResourceZipHandle(), nullptr);
    EXPECT_FALSE(doc.load_file(L"MainFrame.xml"));
    EXPECT_STREQ(doc.GetError(), L"Error opening zip file");

    CPaintManagerUI::SetResourceZip(L"absent.zip", false);
    EXPECT_FALSE(doc.load_file(L"MainFrame.xml"));
    EXPECT_STREQ(doc.GetError(), L"Error opening zip file");
    UseFolder(L"");
}

TEST(ZipFileArchive, AbsoluteArchiveNameIsNotJoinedToTheFolder)
{
    ScratchFolder dir;
    ScratchFolder elsewhere;
    ZipWriter w;
    w.Add("MainFrame.xml", "<Window/>");
    std::wstring absolute = dir.Write(L"skin.zip", w.Build());
    CPaintManagerUI::SetResourceZip(L"", true);
    CPaintManagerUI::SetResourcePath(elsewhere.Path().c_str());
    for (bool cached : {true, false}) {
        CPaintManagerUI::SetResourceZip(absolute.c_str(), cached);
        CXmlDocumentUI doc;
        EXPECT_TRUE(doc.load_file(L"MainFrame.xml")) << doc.GetError();
    }
    UseFolder(L"");
}

TEST(ZipFileArchive, DamagedEntryGivesUnzipError)
{
    ScratchFolder dir;
    ZipWriter w;
    w.Add("MainFrame.xml", std::string(2000, ' ') + "<Window/>");
    Bytes image = w.Build();
    image[30 + 13 + 20] ^= 0x55;   // inside the deflated data
    image[30 + 13 + 21] ^= 0x55;
    dir.Write(L"skin.zip", image);
    CPaintManagerUI::SetResourceZip(L"", true);
    CPaintManagerUI::SetResourcePath(dir.Path().c_str());
    CPaintManagerUI::SetResourceZip(L"skin.zip", true);
    CXmlDocumentUI doc;
    EXPECT_FALSE(doc.load_file(L"MainFrame.xml"));
    EXPECT_STREQ(doc.GetError(), L"Could not unzip file");
    UseFolder(L"");
}
