// The zip reader: entry kinds, look-up rules, name clean-up, passwords and
// result codes.
#include <gtest/gtest.h>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ZipWriter.h"
#include "ui/core/UIZip.h"

#include <winioctl.h>

using namespace Veneer;
using test_support::Bytes;
using test_support::ZipWriter;

namespace {

// Owns an archive image and the reader opened over it.
class OpenArchive
{
public:
    explicit OpenArchive(const ZipWriter& writer, const char* password = nullptr)
        : m_bytes(writer.Build())
    {
        m_hz = CUIZip::OpenZip(m_bytes.data(), static_cast<unsigned>(m_bytes.size()), password, &m_result);
    }
    ~OpenArchive()
    {
        if (m_hz != nullptr) CUIZip::CloseZip(m_hz);
    }
    HZIP Get() const { return m_hz; }
    ZRESULT OpenResult() const { return m_result; }

    // Finds and extracts a whole entry; the result code of the step that failed.
    ZRESULT Read(const wchar_t* name, Bytes& out, bool ignoreCase = false) const
    {
        int index = -1;
        ZIPENTRY ze;
        ZRESULT r = CUIZip::FindZipItem(m_hz, name, ignoreCase, &index, &ze);
        if (r != ZR_OK) return r;
        out.assign(static_cast<size_t>(ze.unc_size), 0);
        return CUIZip::UnzipItem(m_hz, index, out.data(), static_cast<unsigned>(out.size()));
    }

private:
    Bytes m_bytes;
    HZIP m_hz = nullptr;
    ZRESULT m_result = ZR_OK;
};

} // namespace

TEST(ZipEntries, StoredAndDeflatedEntriesExtractToTheirOriginalBytes)
{
    Bytes noise = test_support::NoiseBytes(150000, 7);
    std::string text;
    for (int i = 0; i < 5000; ++i) text += "<Label text=\"line " + std::to_string(i) + "\"/>\n";
    ZipWriter w;
    w.Add("noise.bin", noise, ZipWriter::Stored);
    w.Add("text.xml", text, ZipWriter::Deflated);
    w.Add("empty.txt", Bytes(), ZipWriter::Stored);
    OpenArchive zip(w);
    ASSERT_NE(zip.Get(), nullptr);

    Bytes out;
    EXPECT_EQ(zip.Read(L"noise.bin", out), ZR_OK);
    EXPECT_EQ(out, noise);
    EXPECT_EQ(zip.Read(L"text.xml", out), ZR_OK);
    EXPECT_EQ(out, test_support::ToBytes(text));
    EXPECT_EQ(zip.Read(L"empty.txt", out), ZR_OK);
    EXPECT_TRUE(out.empty());
}

TEST(ZipEntries, ExtractionIntoSmallBuffersContinuesWithMore)
{
    Bytes noise = test_support::NoiseBytes(70000, 3);
    for (ZipWriter::Method method : {ZipWriter::Stored, ZipWriter::Deflated}) {
        ZipWriter w;
        w.Add("a.bin", noise, method);
        OpenArchive zip(w);
        int index = -1;
        ZIPENTRY ze;
        ASSERT_EQ(CUIZip::FindZipItem(zip.Get(), L"a.bin", false, &index, &ze), ZR_OK);
        Bytes joined;
        unsigned char chunk[4096];
        ZRESULT r = ZR_MORE;
        int calls = 0;
        while (r == ZR_MORE && calls < 100) {
            r = CUIZip::UnzipItem(zip.Get(), index, chunk, sizeof(chunk));
            size_t got = std::min(sizeof(chunk), noise.size() - joined.size());
            joined.insert(joined.end(), chunk, chunk + got);
            ++calls;
        }
        EXPECT_EQ(r, ZR_OK);
        EXPECT_EQ(calls, static_cast<int>((noise.size() + sizeof(chunk) - 1) / sizeof(chunk)));
        EXPECT_EQ(joined, noise);
    }
}

TEST(ZipEntries, EntryRecordReportsSizesCountAndDirectories)
{
    ZipWriter w;
    w.Add("Lang/", Bytes(), ZipWriter::Stored);
    w.Add("Lang/a.txt", std::string(1000, 'a'), ZipWriter::Deflated);
    OpenArchive zip(w);
    ZIPENTRY ze;
    ASSERT_EQ(CUIZip::GetZipItem(zip.Get(), -1, &ze), ZR_OK);
    EXPECT_EQ(ze.index, 2);
    ASSERT_EQ(CUIZip::GetZipItem(zip.Get(), 0, &ze), ZR_OK);
    EXPECT_STREQ(ze.name, L"Lang/");
    EXPECT_TRUE(ze.attr & FILE_ATTRIBUTE_DIRECTORY);
    ASSERT_EQ(CUIZip::GetZipItem(zip.Get(), 1, &ze), ZR_OK);
    EXPECT_EQ(ze.unc_size, 1000);
    EXPECT_LT(ze.comp_size, 100);
    EXPECT_FALSE(ze.attr & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(ze.mtime.dwLowDateTime | ze.mtime.dwHighDateTime, 0u);
    EXPECT_NE(CUIZip::GetZipItem(zip.Get(), 2, &ze), ZR_OK);
}

TEST(ZipLookup, IgnoreCaseFoldsAsciiLettersOnly)
{
    ZipWriter w;
    w.Add("Lang/English/MainFrame.lng", "x");
    w.Add(test_support::Utf8(L"\u00C4pfel.txt"), "y");   // upper-case A with diaeresis
    OpenArchive zip(w);
    int index = -1;
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"lang/english/mainframe.lng", true, &index, nullptr), ZR_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"lang/english/mainframe.lng", false, &index, nullptr), ZR_NOTFOUND);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"\u00C4pfel.txt", false, &index, nullptr), ZR_OK);
    EXPECT_EQ(index, 1);
    // Non-ASCII letters are not folded.
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"\u00E4pfel.txt", true, &index, nullptr), ZR_NOTFOUND);
}

TEST(ZipLookup, SlashAndBackslashAreDifferent)
{
    ZipWriter w;
    w.Add("Lang/English/MainFrame.lng", "x");
    OpenArchive zip(w);
    int index = -1;
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"Lang\\English\\MainFrame.lng", true, &index, nullptr), ZR_NOTFOUND);
}

TEST(ZipLookup, NamesOf256BytesOrMoreAreNeverFound)
{
    std::string name255(251, 'n');
    name255 += ".txt";
    std::string name256 = "m" + name255;
    ZipWriter w;
    w.Add(name255, "short enough");
    w.Add(name256, "too long");
    OpenArchive zip(w);
    std::wstring w255(name255.begin(), name255.end());
    std::wstring w256(name256.begin(), name256.end());
    int index = -1;
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), w255.c_str(), false, &index, nullptr), ZR_OK);
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), w256.c_str(), false, &index, nullptr), ZR_NOTFOUND);
}

TEST(ZipNames, EntriesCannotLeaveTheirBaseFolder)
{
    ZipWriter w;
    w.Add("../../evil.txt", "1");
    w.Add("C:\\evil2.txt", "2");
    w.Add("/abs/evil3.txt", "3");
    w.Add("a/b/../../../c/evil4.txt", "4");
    w.Add("x\\..\\evil5.txt", "5");
    w.Add("d:/..\\../evil6.txt", "6");
    w.Add("keep/..name/ok.txt", "7");
    OpenArchive zip(w);
    const wchar_t* expected[] = {L"evil.txt",      L"evil2.txt", L"abs/evil3.txt", L"c/evil4.txt",
                                 L"evil5.txt",     L"evil6.txt", L"keep/..name/ok.txt"};
    for (int i = 0; i < 7; ++i) {
        ZIPENTRY ze;
        ASSERT_EQ(CUIZip::GetZipItem(zip.Get(), i, &ze), ZR_OK);
        EXPECT_STREQ(ze.name, expected[i]);
    }
    Bytes out;
    EXPECT_EQ(zip.Read(L"evil.txt", out), ZR_OK);
    EXPECT_EQ(out, test_support::ToBytes("1"));
    EXPECT_EQ(zip.Read(L"evil2.txt", out), ZR_OK);
    EXPECT_EQ(out, test_support::ToBytes("2"));
}

TEST(ZipNames, CleanEntryNameHandlesEdgeForms)
{
    EXPECT_EQ(CUIZip::CleanEntryName(L"a/.."), L"");
    EXPECT_EQ(CUIZip::CleanEntryName(L"..\\..\\/x"), L"x");
    EXPECT_EQ(CUIZip::CleanEntryName(L"../C:/x"), L"x");
    EXPECT_EQ(CUIZip::CleanEntryName(L"a/.../b"), L"a/.../b");
    EXPECT_EQ(CUIZip::CleanEntryName(L"plain.txt"), L"plain.txt");
}

TEST(ZipPassword, EncryptedEntriesNeedTheRightPassword)
{
    Bytes secret = test_support::ToBytes("<Window><Label text=\"secret\"/></Window>");
    for (ZipWriter::Method method : {ZipWriter::Stored, ZipWriter::Deflated}) {
        ZipWriter w;
        w.Add("secret.xml", secret, method, "s3cret");
        Bytes out;
        {
            OpenArchive zip(w, "s3cret");
            EXPECT_EQ(zip.Read(L"secret.xml", out), ZR_OK);
            EXPECT_EQ(out, secret);
        }
        {
            OpenArchive zip(w, "wrong");
            ZRESULT r = zip.Read(L"secret.xml", out);
            EXPECT_NE(r, ZR_OK);
            EXPECT_NE(r, ZR_MORE);
        }
        {
            OpenArchive zip(w);
            ZRESULT r = zip.Read(L"secret.xml", out);
            EXPECT_NE(r, ZR_OK);
            EXPECT_NE(r, ZR_MORE);
        }
    }
}

TEST(ZipResultCodes, BadHandlesAndArguments)
{
    ZipWriter w;
    w.Add("a.txt", "a");
    OpenArchive zip(w);
    int index;
    ZIPENTRY ze;
    unsigned char buf[4];
    EXPECT_EQ(CUIZip::FindZipItem(nullptr, L"a.txt", false, &index, &ze), ZR_ARGS);
    EXPECT_EQ(CUIZip::UnzipItem(nullptr, 0, buf, 4), ZR_ARGS);
    int notAReader = 0;
    HZIP bogus = reinterpret_cast<HZIP>(&notAReader);
    EXPECT_EQ(CUIZip::FindZipItem(bogus, L"a.txt", false, &index, &ze), ZR_ZMODE);
    EXPECT_EQ(CUIZip::CloseZip(bogus), ZR_ZMODE);
    EXPECT_EQ(CUIZip::UnzipItem(zip.Get(), 5, buf, 4), ZR_ARGS);
    EXPECT_EQ(CUIZip::FindZipItem(zip.Get(), L"b.txt", false, &index, &ze), ZR_NOTFOUND);

    Bytes image = w.Build();
    HZIP once = CUIZip::OpenZip(image.data(), static_cast<unsigned>(image.size()), nullptr);
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(CUIZip::CloseZip(once), ZR_OK);
    EXPECT_EQ(CUIZip::FindZipItem(once, L"a.txt", false, &index, &ze), ZR_ZMODE);
}

TEST(ZipFile, ArchiveOnDiskReadsLikeMemory)
{
    test_support::ScratchFolder dir;
    Bytes noise = test_support::NoiseBytes(100000, 11);
    ZipWriter w;
    w.Add("big.bin", noise, ZipWriter::Deflated);
    std::wstring path = dir.Write(L"skin.zip", w.Build());
    ZRESULT r = ZR_OK;
    HZIP hz = CUIZip::OpenZip(path.c_str(), nullptr, &r);
    ASSERT_NE(hz, nullptr);
    int index = -1;
    ZIPENTRY ze;
    ASSERT_EQ(CUIZip::FindZipItem(hz, L"big.bin", false, &index, &ze), ZR_OK);
    Bytes out(static_cast<size_t>(ze.unc_size));
    EXPECT_EQ(CUIZip::UnzipItem(hz, index, out.data(), static_cast<unsigned>(out.size())), ZR_OK);
    EXPECT_EQ(out, noise);
    CUIZip::CloseZip(hz);
    EXPECT_EQ(CUIZip::OpenZip((dir.Path() + L"missing.zip").c_str(), nullptr, &r), nullptr);
    EXPECT_NE(r, ZR_OK);
}

TEST(ZipDamage, DamagedArchivesFailCleanly)
{
    ZipWriter w;
    w.Add("a.txt", std::string(5000, 'a') + "tail", ZipWriter::Deflated);
    Bytes good = w.Build();
    ZRESULT r;

    // No end record at all.
    Bytes cut(good.begin(), good.begin() + good.size() / 2);
    EXPECT_EQ(CUIZip::OpenZip(cut.data(), static_cast<unsigned>(cut.size()), nullptr, &r), nullptr);
    EXPECT_EQ(CUIZip::OpenZip("PK", 2, nullptr, &r), nullptr);

    // A wrong checksum is noticed at the end of the entry.
    Bytes badCrc = good;
    badCrc[14] ^= 0xFF;   // local header CRC is not used...
    size_t dir = good.size() - 22 - 46 - 5;
    badCrc[dir + 16] ^= 0xFF;   // ...the directory's is
    Bytes out;
    {
        HZIP hz = CUIZip::OpenZip(badCrc.data(), static_cast<unsigned>(badCrc.size()), nullptr, &r);
        ASSERT_NE(hz, nullptr);
        int index;
        ZIPENTRY ze;
        ASSERT_EQ(CUIZip::FindZipItem(hz, L"a.txt", false, &index, &ze), ZR_OK);
        out.resize(static_cast<size_t>(ze.unc_size));
        EXPECT_EQ(CUIZip::UnzipItem(hz, index, out.data(), static_cast<unsigned>(out.size())), ZR_CORRUPT);
        CUIZip::CloseZip(hz);
    }

    // A declared size the data cannot expand to is refused before anyone allocates it.
    Bytes huge = good;
    huge[dir + 24] = 0xFF;
    huge[dir + 25] = 0xFF;
    huge[dir + 26] = 0xFF;
    huge[dir + 27] = 0x7F;
    {
        HZIP hz = CUIZip::OpenZip(huge.data(), static_cast<unsigned>(huge.size()), nullptr, &r);
        ASSERT_NE(hz, nullptr);
        int index;
        ZIPENTRY ze;
        EXPECT_EQ(CUIZip::FindZipItem(hz, L"a.txt", false, &index, &ze), ZR_CORRUPT);
        CUIZip::CloseZip(hz);
    }
}

TEST(ZipDamage, SizesBeyondTheLargestSupportedAreRefused)
{
    // About 2 MB of incompressible data passes the deflate ratio check for a claim of 2 GiB.
    ZipWriter w;
    w.Add("big.bin", test_support::NoiseBytes(2100 * 1000, 7), ZipWriter::Deflated);
    Bytes image = w.Build();
    const size_t dir = image.size() - 22 - 46 - 7;
    image[dir + 24] = 0x00;
    image[dir + 25] = 0x00;
    image[dir + 26] = 0x00;
    image[dir + 27] = 0x80;
    ZRESULT r;
    HZIP hz = CUIZip::OpenZip(image.data(), static_cast<unsigned>(image.size()), nullptr, &r);
    ASSERT_NE(hz, nullptr);
    int index;
    ZIPENTRY ze;
    EXPECT_EQ(CUIZip::FindZipItem(hz, L"big.bin", false, &index, &ze), ZR_CORRUPT);
    CUIZip::CloseZip(hz);

    // An archive file over 2 GiB (sparse: nothing is written but its end record) whose
    // directory claims more than 2 GiB.
    wchar_t dirPath[MAX_PATH], path[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, dirPath), 0u);
    ASSERT_NE(GetTempFileNameW(dirPath, L"zip", 0, path), 0u);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &done, nullptr);
    const LONGLONG dirBytes = 0x80000100LL;
    LARGE_INTEGER at;
    at.QuadPart = dirBytes;
    ASSERT_TRUE(SetFilePointerEx(file, at, nullptr, FILE_BEGIN));
    BYTE end[22] = {0x50, 0x4b, 0x05, 0x06};
    end[8] = end[10] = 1;
    end[12] = 0x00, end[13] = 0x01, end[14] = 0x00, end[15] = 0x80;   // directory size, offset 0
    ASSERT_TRUE(WriteFile(file, end, sizeof(end), &done, nullptr));
    CloseHandle(file);
    EXPECT_EQ(CUIZip::OpenZip(path, nullptr, &r), nullptr);
    EXPECT_EQ(r, ZR_CORRUPT);
    DeleteFileW(path);
}

TEST(ZipDamage, UnknownMethodsAndDisagreeingStoredSizesAreRefused)
{
    ZipWriter w;
    w.Add("a.txt", "stored data", ZipWriter::Stored);
    Bytes good = w.Build();
    size_t dir = good.size() - 22 - 46 - 5;
    ZRESULT r;
    int index;
    ZIPENTRY ze;

    Bytes unknown = good;
    unknown[dir + 10] = 12;   // bzip2: not supported, and its declared size cannot be trusted
    for (int i = 24; i < 28; ++i) unknown[dir + i] = 0xFF;
    HZIP hz = CUIZip::OpenZip(unknown.data(), static_cast<unsigned>(unknown.size()), nullptr, &r);
    ASSERT_NE(hz, nullptr);
    EXPECT_EQ(CUIZip::FindZipItem(hz, L"a.txt", false, &index, &ze), ZR_CORRUPT);
    CUIZip::CloseZip(hz);

    Bytes longer = good;
    longer[dir + 24] = 200;   // stored, but claims more bytes than it holds
    hz = CUIZip::OpenZip(longer.data(), static_cast<unsigned>(longer.size()), nullptr, &r);
    ASSERT_NE(hz, nullptr);
    EXPECT_EQ(CUIZip::FindZipItem(hz, L"a.txt", false, &index, &ze), ZR_CORRUPT);
    CUIZip::CloseZip(hz);
}

TEST(ZipDamage, LeadingStubShiftsOffsets)
{
    // A self-extractor style stub in front of the archive.
    ZipWriter w;
    w.Add("a.txt", "payload", ZipWriter::Stored);
    Bytes image = test_support::NoiseBytes(777, 5);
    Bytes zipped = w.Build();
    image.insert(image.end(), zipped.begin(), zipped.end());
    HZIP hz = CUIZip::OpenZip(image.data(), static_cast<unsigned>(image.size()), nullptr);
    ASSERT_NE(hz, nullptr);
    int index;
    ZIPENTRY ze;
    ASSERT_EQ(CUIZip::FindZipItem(hz, L"a.txt", false, &index, &ze), ZR_OK);
    char out[7];
    EXPECT_EQ(CUIZip::UnzipItem(hz, index, out, 7), ZR_OK);
    EXPECT_EQ(std::string(out, 7), "payload");
    CUIZip::CloseZip(hz);
}
