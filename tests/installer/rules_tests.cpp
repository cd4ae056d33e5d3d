// Rules that need no network: text conversion, digests, install folders, what makes a download folder
// trusted, the settings path, the command line, reading the address reply and writing usage bodies.
#include "installer/install/CommandLine.h"
#include "installer/install/DownloadFolder.h"
#include "installer/install/DownloadUrlLookup.h"
#include "installer/install/IniText.h"
#include "installer/install/InstallPaths.h"
#include "installer/install/PublisherCheck.h"
#include "installer/install/SettingsStore.h"
#include "installer/net/InstallLog.h"
#include "installer/net/ResponseHeaders.h"
#include "installer/net/RetryPolicy.h"
#include "installer/net/Sha256.h"
#include "installer/net/TextConvert.h"
#include "installer/net/UsageReporter.h"

#include "ServiceFixture.h"

#include <gtest/gtest.h>
#include <json/json.h>
#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <memory>
#include <string>

namespace {

bool IsWholeUtf8(const std::string& text)
{
    return WideToUtf8String(Utf8ToWideString(text)) == text;
}

Json::Value ParseOrNull(const std::string& text)
{
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &value, &errors))
        return Json::Value();
    return value;
}

} // namespace

// ---- bounded text conversion -------------------------------------------------------------------------

TEST(TextConversion, NullOrEmptySourceGivesEmptyText)
{
    wchar_t wide[8] = L"junk";
    EXPECT_STREQ(L"", Utf8ToWide(wide, nullptr, 8));
    char narrow[8] = "junk";
    EXPECT_STREQ("", WideToUtf8(narrow, nullptr, 8));
    EXPECT_STREQ("", WideToUtf8(narrow, L"", 8));
}

TEST(TextConversion, RoundTripsChineseAndAstralCharacters)
{
    const std::wstring text = L"D:\\\x8f6f\x4ef6\\\xD83D\xDE00 Lumbra";
    char narrow[64];
    WideToUtf8(narrow, text.c_str(), sizeof(narrow));
    wchar_t wide[64];
    EXPECT_EQ(text, std::wstring(Utf8ToWide(wide, narrow, 64)));
}

TEST(TextConversion, LongAddressIntoFixedBufferKeepsItsBeginning)
{
    // A 600-character address into the 520-byte buffer of the transfer keeps the first 519 bytes.
    std::wstring address = L"https://download.example/down/down?path=";
    while (address.size() < 600)
        address += static_cast<wchar_t>(L'a' + address.size() % 26);
    char narrow[520];
    WideToUtf8(narrow, address.c_str(), sizeof(narrow));
    EXPECT_EQ(519u, std::string(narrow).size());
    EXPECT_EQ(WideToUtf8String(address.substr(0, 519)), std::string(narrow));

    wchar_t wide[520];
    Utf8ToWide(wide, WideToUtf8String(address).c_str(), 520);
    EXPECT_EQ(address.substr(0, 519), std::wstring(wide));
}

TEST(TextConversion, CutNeverSplitsAMultiByteCharacter)
{
    // "ab" + three-byte characters: every capacity must give whole characters only.
    const std::wstring text = L"ab\x4e2d\x6587\x5b57\xD83D\xDE00z";
    const std::string full = WideToUtf8String(text);
    for (size_t capacity = 1; capacity <= full.size() + 1; ++capacity) {
        std::string buffer(capacity, '\x7f');
        WideToUtf8(&buffer[0], text.c_str(), capacity);
        const std::string got = buffer.c_str();
        EXPECT_LE(got.size(), capacity - 1) << capacity;
        EXPECT_TRUE(IsWholeUtf8(got)) << "capacity " << capacity;
        EXPECT_EQ(0u, full.find(got)) << "capacity " << capacity; // a prefix of the whole text
    }
}

TEST(TextConversion, WideCutNeverLeavesHalfASurrogatePair)
{
    const std::string text = WideToUtf8String(L"ab\xD83D\xDE00");
    wchar_t wide[4];
    Utf8ToWide(wide, text.c_str(), 4); // room for three characters: "ab" and half the pair
    EXPECT_EQ(std::wstring(L"ab"), std::wstring(wide));
}

// ---- SHA-256 ------------------------------------------------------------------------------------------

TEST(Sha256Digest, MatchesPublishedVectors)
{
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", CSha256::HexOf("", 0));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", CSha256::HexOf("abc", 3));
    const std::string twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              CSha256::HexOf(twoBlocks.data(), twoBlocks.size()));
    const std::string million(1000000, 'a');
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0",
              CSha256::HexOf(million.data(), million.size()));
}

TEST(Sha256Digest, PiecewiseUpdatesEqualOneUpdate)
{
    std::string data;
    for (int i = 0; i < 1000; ++i)
        data += static_cast<char>(i * 7);
    const std::string whole = CSha256::HexOf(data.data(), data.size());
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
        CSha256 hash;
        for (size_t at = 0; at < data.size(); at += piece)
            hash.Update(data.data() + at, std::min(piece, data.size() - at));
        EXPECT_EQ(whole, hash.FinishHex()) << piece;
    }
}

// ---- install and download folders ---------------------------------------------------------------------

TEST(InstallFolder, ChosenFolderGetsTheProductFolderUnlessItNamesIt)
{
    const std::wstring desktop = L"C:\\Users\\u\\Desktop";
    EXPECT_EQ(L"D:\\Apps\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, true, L"D:\\Apps"));
    EXPECT_EQ(L"D:\\Apps\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, true, L"D:\\Apps\\Lumbra"));
    EXPECT_EQ(L"D:\\Tools\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, true, L"D:\\Tools"));
    // The product-folder test is case-sensitive.
    EXPECT_EQ(L"D:\\lumbra\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, true, L"D:\\lumbra"));
    // A drive root picked in the folder dialog ends in a backslash already.
    EXPECT_EQ(L"D:\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, true, L"D:\\"));
}

TEST(InstallFolder, WithoutAChosenFolderTheDesktopDriveDecides)
{
    EXPECT_EQ(L"E:\\Program Files (x86)\\tarvix\\Lumbra\\",
              CInstallPaths::DeriveInstallDir(L"E:\\Users\\u\\Desktop", false, L""));
    EXPECT_EQ(L"E:\\Program Files (x86)\\tarvix\\Lumbra\\",
              CInstallPaths::DeriveInstallDir(L"E:\\Users\\u\\Desktop", true, L""));
    EXPECT_EQ(L"E:\\tarvix", CInstallPaths::DownloadFolderFor(L"E:\\Users\\u\\Desktop"));
}

TEST(InstallFolder, DesktopWithoutADriveLetterUsesTheSystemDrive)
{
    wchar_t system[260] = {};
    ASSERT_GT(GetSystemDirectoryW(system, 260), 0u);
    const std::wstring drive(1, system[0]);
    for (const wchar_t* desktop : {L"\\\\server\\share\\Desktop", L"", L"\\\\?\\UNC\\server\\d", L"1:\\x"}) {
        EXPECT_EQ(drive + L":\\tarvix", CInstallPaths::DownloadFolderFor(desktop)) << desktop;
        EXPECT_EQ(drive + L":\\Program Files (x86)\\tarvix\\Lumbra\\", CInstallPaths::DeriveInstallDir(desktop, false, L""))
            << desktop;
    }
    EXPECT_EQ(L"E:\\tarvix", CInstallPaths::DownloadFolderFor(L"e:\\Users\\u\\Desktop"));
    EXPECT_EQ(L"E:\\Program Files (x86)\\tarvix\\Lumbra\\", CInstallPaths::DefaultInstallDirFor(L"e:\\Users"));
}

TEST(InstallFolder, OverlongChoiceIsCutToTheBufferAndSaidNotToFit)
{
    const std::wstring chosen = L"D:\\" + std::wstring(300, L'x');
    const std::wstring dir = CInstallPaths::DeriveInstallDir(L"C:\\", true, chosen);
    EXPECT_EQ(259u, dir.size());
    EXPECT_EQ(chosen.substr(0, 259), dir);
    // With the product folder added: 251 characters give 259, one more does not fit.
    EXPECT_TRUE(CInstallPaths::FitsInstallDir(L"D:\\" + std::wstring(248, L'x')));
    EXPECT_FALSE(CInstallPaths::FitsInstallDir(L"D:\\" + std::wstring(249, L'x')));
    EXPECT_TRUE(CInstallPaths::FitsInstallDir(L"D:\\" + std::wstring(249, L'x') + L"Lumbra\\"));
    EXPECT_FALSE(CInstallPaths::FitsInstallDir(chosen));
}

TEST(SettingsFile, PathFollowsTheSystemDrive)
{
    EXPECT_EQ(L"D:\\tarvix\\Lumbra\\Configures.ini", CSettingsStore::ConfigIniPathForSystemDir(L"D:\\Windows\\System32"));
    EXPECT_EQ(L"C:\\tarvix\\Lumbra\\Configures.ini", CSettingsStore::ConfigIniPathForSystemDir(L"C:\\WINDOWS\\system32"));
}

// The settings file is changed through a checked handle: one key set as the profile functions would set it.
TEST(SettingsFile, OneKeyIsSetAndEverythingElseKept)
{
    const std::string wide = std::string("\xFF\xFE[\0a\0]\0\r\0\n\0", 12);
    const struct
    {
        std::string before, after;
    } cases[] = {
        {"", "[Language]\r\nLanguageType=1\r\n"},
        {"[Platform]\r\nPlatform=", "[Platform]\r\nPlatform=\r\n[Language]\r\nLanguageType=1\r\n"},
        {"[language]\r\n languagetype = 7\r\nOther=\xE4\r\n[X]\r\n", "[language]\r\nLanguageType=1\r\nOther=\xE4\r\n[X]\r\n"},
        {"[Language]\r\nOther=2\r\n\r\n[X]\r\n", "[Language]\r\nOther=2\r\nLanguageType=1\r\n\r\n[X]\r\n"},
        {"[Language]\nOther=2", "[Language]\nOther=2\r\nLanguageType=1\r\n"},
        {wide, wide + std::string("[\0L\0a\0n\0g\0u\0a\0g\0e\0]\0\r\0\n\0", 24) +
                   std::string("L\0a\0n\0g\0u\0a\0g\0e\0T\0y\0p\0e\0=\0001\0\r\0\n\0", 32)},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.after, CIniText::SetValue(test.before, L"Language", L"LanguageType", L"1")) << test.before;
}

// ---- download folder security ------------------------------------------------------------------------

// What the installer asks for when it makes the folder (the file system of the test host may not keep it).
TEST(DownloadFolderSecurity, RequestedDaclIsProtectedAndLeavesChangesToAdministratorsAndSystem)
{
    CSafeFolder::LocalPtr security = CSafeFolder::BuildSecurity();
    ASSERT_TRUE(security);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(security.get(), &control, &revision));
    EXPECT_NE(0, control & SE_DACL_PROTECTED) << "the drive root's permissions must not flow in";
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(security.get(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != nullptr);
    ACL_SIZE_INFORMATION size = {};
    ASSERT_TRUE(GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation));
    ASSERT_EQ(3u, size.AceCount);
    const ACCESS_MASK writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                               FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
    int full = 0, readers = 0;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        void* raw = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, &raw));
        const ACCESS_ALLOWED_ACE* ace = static_cast<const ACCESS_ALLOWED_ACE*>(raw);
        ASSERT_EQ(ACCESS_ALLOWED_ACE_TYPE, ace->Header.AceType);
        EXPECT_EQ(OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE, ace->Header.AceFlags) << "entry " << i;
        PSID sid = const_cast<DWORD*>(&ace->SidStart);
        if (IsWellKnownSid(sid, WinLocalSystemSid) || IsWellKnownSid(sid, WinBuiltinAdministratorsSid)) {
            EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_ALL_ACCESS), ace->Mask);
            ++full;
        } else {
            // The product runs as the user and reads its settings below this folder.
            EXPECT_TRUE(IsWellKnownSid(sid, WinBuiltinUsersSid)) << "entry " << i << " names another SID";
            EXPECT_EQ(static_cast<ACCESS_MASK>(FILE_GENERIC_READ | FILE_GENERIC_EXECUTE), ace->Mask);
            EXPECT_EQ(0u, ace->Mask & writes);
            ++readers;
        }
    }
    EXPECT_EQ(2, full);
    EXPECT_EQ(1, readers);
}

TEST(DownloadFolderSecurity, OnlyTrustedOwnersAndWritersAreAccepted)
{
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    BYTE buffer[256] = {};
    DWORD length = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &length));
    CloseHandle(token);
    wchar_t* userText = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &userText));
    const std::wstring user = userText;
    LocalFree(userText);
    const std::wstring installer = L"S-1-5-80-956008885-3425934469-3193245925-2345789185-1960128530";

    struct Case
    {
        std::wstring sddl;
        std::wstring refusal; // part of the reason, or empty when the folder is trusted
    };
    const Case cases[] = {
        {L"O:BA" + std::wstring(CSafeFolder::kSddl), L""},
        {L"O:" + installer + L"D:(A;;FA;;;" + installer + L")(A;;FA;;;SY)(A;;0x1200a9;;;BU)", L""},
        // This process's user is also the user of every program the administrator runs unelevated: a folder
        // it owns or may change is one those programs could have prepared.
        {L"O:" + user + L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;" + user + L")(A;OICI;FR;;;WD)", user + L" may change it"},
        {L"O:" + user + L"D:(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", L"owned by " + user},
        {L"O:BAD:(A;OICIIO;GA;;;CO)(A;;FA;;;BA)", L""},
        {L"O:BAD:(D;;FA;;;WD)(A;;FA;;;BA)", L""},
        // A folder opened to everybody (as a world-writable folder reads back).
        {L"O:BAD:(A;;FA;;;BA)(A;OICI;0x1301ff;;;WD)", L"S-1-1-0 may change it"},
        {L"O:S-1-5-21-1-2-3-1001D:(A;;FA;;;SY)", L"owned by S-1-5-21-1-2-3-1001"},
        // A drive root's gift to its users: modify rights inherited by whatever is made inside.
        {L"O:BAD:(A;;FA;;;BA)(A;OICIIO;SDGRGWGX;;;AU)", L"S-1-5-11 may change it"},
        {L"O:BAD:(A;;FA;;;BA)(A;;GW;;;BU)", L"S-1-5-32-545"},
        {L"O:BAD:(A;;FA;;;BA)(A;;0x00100040;;;BU)", L"S-1-5-32-545"}, // delete what is inside
        {L"O:BAD:(A;;FA;;;BA)(A;;0x00040000;;;BU)", L"S-1-5-32-545"}, // change the permissions
        {L"D:(A;;FA;;;BA)", L"no owner"},
    };
    for (const Case& test : cases) {
        PSECURITY_DESCRIPTOR raw = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(test.sddl.c_str(), SDDL_REVISION_1, &raw,
                                                                         nullptr))
            << WideToUtf8String(test.sddl);
        CSafeFolder::LocalPtr security(raw);
        std::wstring why;
        const bool trusted = CDownloadFolder::IsTrustedSecurity(raw, &why);
        EXPECT_EQ(test.refusal.empty(), trusted) << WideToUtf8String(test.sddl) << ": " << WideToUtf8String(why);
        EXPECT_NE(std::wstring::npos, why.find(test.refusal)) << WideToUtf8String(why);
    }

    // No access list at all lets everybody do everything.
    SECURITY_DESCRIPTOR open = {};
    ASSERT_TRUE(InitializeSecurityDescriptor(&open, SECURITY_DESCRIPTOR_REVISION));
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD sidSize = sizeof(administrators);
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize));
    ASSERT_TRUE(SetSecurityDescriptorOwner(&open, administrators, FALSE));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&open, TRUE, nullptr, FALSE));
    std::wstring why;
    EXPECT_FALSE(CDownloadFolder::IsTrustedSecurity(&open, &why));
    EXPECT_NE(std::wstring::npos, why.find(L"no access list")) << WideToUtf8String(why);
}

// ---- reading the address reply -------------------------------------------------------------------------

class AddressReply : public ::testing::Test
{
protected:
    DownloadAddresses Read(const std::string& body, bool expectCounts)
    {
        DownloadAddresses out;
        EXPECT_EQ(expectCounts, CDownloadUrlLookup::ParseReply(body, out)) << body;
        return out;
    }
    void ExpectFallback(const DownloadAddresses& out)
    {
        EXPECT_EQ(CDownloadUrlLookup::FallbackOnlineUrl(), out.onlineUrl);
        EXPECT_EQ(CDownloadUrlLookup::FallbackOfflineUrl(), out.offlineUrl);
        EXPECT_EQ("", out.sha256);
    }
};

TEST_F(AddressReply, ObjectAndStringShapesStoreTheSameAddresses)
{
    const DownloadAddresses object = Read(
        R"({"state":0,"data":{"onlineUrl":"https://a.example/on.exe","offlineUrl":"https://a.example/off.exe"}})",
        true);
    const DownloadAddresses text = Read(
        R"({"state":0,"data":"{\"onlineUrl\":\"https://a.example/on.exe\",\"offlineUrl\":\"https://a.example/off.exe\"}"})",
        true);
    EXPECT_EQ(L"https://a.example/on.exe", object.onlineUrl);
    EXPECT_EQ(L"https://a.example/off.exe", object.offlineUrl);
    EXPECT_EQ(object.onlineUrl, text.onlineUrl);
    EXPECT_EQ(object.offlineUrl, text.offlineUrl);
    // A missing "state" counts as 0; comments are allowed.
    EXPECT_EQ(L"https://a.example/on.exe",
              Read("/* v2 */ {\"data\":{\"onlineUrl\":\"https://a.example/on.exe\",\"offlineUrl\":\"x.example/o\"}}", true)
                  .onlineUrl);
}

TEST_F(AddressReply, RefusedOrUnreadableRepliesUseBothBuiltInAddresses)
{
    const char* const replies[] = {
        R"({"state":1,"data":{"onlineUrl":"https://a.example/on.exe","offlineUrl":"https://a.example/off.exe"}})",
        R"({"state":0,"data":null})",
        R"({"state":0})",
        "<html>503</html>",
        "",
        R"({"state":"0","data":{"onlineUrl":"https://a.example/on.exe"}})", // type error while reading
        R"({"state":0,"data":"not json"})",
        R"({"state":0,"data":["https://a.example/on.exe"]})",
        R"([1,2])",
    };
    for (const char* reply : replies)
        ExpectFallback(Read(reply, false));
}

TEST_F(AddressReply, MissingOrNonStringMemberFallsBackForThatAddressOnly)
{
    DownloadAddresses out = Read(R"({"state":0,"data":{"offlineUrl":"https://a.example/off.exe"}})", true);
    EXPECT_EQ(CDownloadUrlLookup::FallbackOnlineUrl(), out.onlineUrl);
    EXPECT_EQ(L"https://a.example/off.exe", out.offlineUrl);
    out = Read(R"({"state":0,"data":{"onlineUrl":"https://a.example/on.exe","offlineUrl":42}})", true);
    EXPECT_EQ(L"https://a.example/on.exe", out.onlineUrl);
    EXPECT_EQ(CDownloadUrlLookup::FallbackOfflineUrl(), out.offlineUrl);
}

TEST_F(AddressReply, OnlyWebAddressesAreAccepted)
{
    EXPECT_EQ(L"https://a.example/x", CDownloadUrlLookup::NormaliseServiceUrl(L"https://a.example/x"));
    EXPECT_EQ(L"HTTP://a.example/x", CDownloadUrlLookup::NormaliseServiceUrl(L"HTTP://a.example/x"));
    // Without a scheme an address is taken as https, with or without a port.
    EXPECT_EQ(L"https://a.example/x", CDownloadUrlLookup::NormaliseServiceUrl(L"a.example/x"));
    EXPECT_EQ(L"https://127.0.0.1:8443/x", CDownloadUrlLookup::NormaliseServiceUrl(L"127.0.0.1:8443/x"));
    const wchar_t* const refused[] = {
        L"file:///C:/Windows/System32/cmd.exe", L"C:\\Windows\\System32\\calc.exe", L"\\\\server\\share\\setup.exe",
        L"/etc/passwd", L"javascript:alert(1)", L"ftp://a.example/x", L"mailto:a@b.example", L"https://",
        L"https://a.example/x y", L"https://a.example/\r\nHost: evil", L"",
    };
    for (const wchar_t* url : refused)
        EXPECT_EQ(L"", CDownloadUrlLookup::NormaliseServiceUrl(url)) << WideToUtf8String(url);

    const DownloadAddresses out = Read(
        R"({"state":0,"data":{"onlineUrl":"file:///C:/x.exe","offlineUrl":"C:\\Windows\\calc.exe"}})", true);
    EXPECT_EQ(CDownloadUrlLookup::FallbackOnlineUrl(), out.onlineUrl);
    EXPECT_EQ(CDownloadUrlLookup::FallbackOfflineUrl(), out.offlineUrl);
}

TEST_F(AddressReply, OverlongAddressIsCutTo519Characters)
{
    const std::string longUrl = "https://a.example/" + std::string(600, 'p');
    const DownloadAddresses out =
        Read("{\"state\":0,\"data\":{\"onlineUrl\":\"" + longUrl + "\",\"offlineUrl\":\"https://a.example/o\"}}", true);
    EXPECT_EQ(519u, out.onlineUrl.size());
    EXPECT_EQ(Utf8ToWideString(longUrl.substr(0, 519)), out.onlineUrl);
}

TEST_F(AddressReply, PublishedDigestIsKept)
{
    EXPECT_EQ("ABCDEF01", Read(R"({"state":0,"data":{"onlineUrl":"https://a/x","sha256":"ABCDEF01"}})", true).sha256);
    EXPECT_EQ("", Read(R"({"state":0,"data":{"onlineUrl":"https://a/x"}})", true).sha256);
    // A digest of the wrong type cannot silently switch the check off.
    EXPECT_NE("", Read(R"({"state":0,"data":{"onlineUrl":"https://a/x","sha256":7}})", true).sha256);
}

TEST_F(AddressReply, BuiltInAddressesUseTheDownloadHost)
{
    EXPECT_EQ(0u, CDownloadUrlLookup::FallbackOnlineUrl().find(L"https://"));
    const std::wstring online = L"/down/down?path=CORVEX_Online.exe";
    const std::wstring offline = L"/down/down?path=CORVEX_Offline.exe";
    const std::wstring a = CDownloadUrlLookup::FallbackOnlineUrl();
    const std::wstring b = CDownloadUrlLookup::FallbackOfflineUrl();
    EXPECT_EQ(online, a.substr(a.size() - online.size()));
    EXPECT_EQ(offline, b.substr(b.size() - offline.size()));
    EXPECT_EQ("/tarvix/getDownUrl?softType=CORVEX",
              CDownloadUrlLookup::LookupUrl("CORVEX").substr(CDownloadUrlLookup::LookupUrl("CORVEX").find("/tarvix")));
}

// ---- usage bodies --------------------------------------------------------------------------------------

TEST(UsageBody, EachStateHasItsEventKind)
{
    const std::string ip = "192.168.2.1";
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL_START","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 0, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL_USERABORT","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 1, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL_DOWNLOADFAIL","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 2, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL_DOWNLOADSUC","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 3, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 4, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", 17, ip));
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL","ip":"192.168.2.1"})",
              CUsageReporter::BuildUsageBody("CORVEX", -1, ip));
    EXPECT_STREQ("192.168.2.1", CUsageReporter::kFallbackIp);
}

TEST(UsageBody, AnyTextStaysValidJson)
{
    const std::string body = CUsageReporter::BuildUsageBody("CORVEX", 0, "1.2.3.4\",\"x\":\"}{\\");
    const Json::Value value = ParseOrNull(body);
    ASSERT_TRUE(value.isObject()) << body;
    EXPECT_EQ("1.2.3.4\",\"x\":\"}{\\", value["ip"].asString());
    EXPECT_EQ(3u, value.size());
}

TEST(IpReply, AddressIsTakenOutWhereverTheMemberStands)
{
    std::string ip = "unchanged";
    EXPECT_TRUE(CUsageReporter::ExtractIpText(R"({"ip":"203.0.113.7","pro":"Zhejiang","city":"Hangzhou"})", ip));
    EXPECT_EQ("203.0.113.7", ip);
    // The member last: the body must still be one object, not end in two braces.
    EXPECT_TRUE(CUsageReporter::ExtractIpText(R"({"pro":"Zhejiang","ip":"198.51.100.4"})", ip));
    EXPECT_EQ("198.51.100.4", ip);
    const std::string body = CUsageReporter::BuildUsageBody("CORVEX", 0, ip);
    EXPECT_EQ(R"({"softType":"CORVEX","operateType":"INSTALL_START","ip":"198.51.100.4"})", body);
    EXPECT_TRUE(CUsageReporter::ExtractIpText("IPCallBack({\"ip\":\"2001:db8::1\"});", ip));
    EXPECT_EQ("2001:db8::1", ip);
}

TEST(IpReply, RepliesWithoutAUsableAddressGiveNothing)
{
    const char* const replies[] = {
        R"({"pro":"Zhejiang","city":"Hangzhou"})", R"({"ip":12345})", R"({"ip":""})", "not json at all", "",
        R"({"ip":"1.2.3.4\",\"operateType\":\"INSTALL"})", R"({"ip":"<script>"})",
    };
    for (const char* reply : replies) {
        std::string ip = "kept";
        EXPECT_FALSE(CUsageReporter::ExtractIpText(reply, ip)) << reply;
        EXPECT_EQ("kept", ip);
    }
}

// ---- support log ---------------------------------------------------------------------------------------

TEST(SupportLog, LinesAreTimestampedAndTheFileStartsOverPastOneMebibyte)
{
    const std::wstring path = CInstallLog::GetLogPath();
    DeleteFileW((path + L".old").c_str());
    DeleteFileW(path.c_str());
    CInstallLog::Write(L"first %d\r\nsecond", 1);
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        char text[256] = {};
        DWORD got = 0;
        ReadFile(file, text, sizeof(text) - 1, &got, nullptr);
        CloseHandle(file);
        const std::string line(text, got);
        // "YYYY-MM-DD hh:mm:ss.mmm [thread] text", one event per line even when the text held a line break.
        EXPECT_EQ('-', line[4]);
        EXPECT_EQ(':', line[13]);
        EXPECT_NE(std::string::npos, line.find("] first 1  second\r\n"));
        EXPECT_EQ(line.size() - 2, line.find("\r\n"));
    }
    {
        HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        const std::string filler(1024 * 1024, 'x');
        DWORD done = 0;
        WriteFile(file, filler.data(), static_cast<DWORD>(filler.size()), &done, nullptr);
        CloseHandle(file);
    }
    CInstallLog::WriteLine(L"after");
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info));
    EXPECT_LT(info.nFileSizeLow, 200u);
    EXPECT_TRUE(GetFileAttributesExW((path + L".old").c_str(), GetFileExInfoStandard, &info));
    EXPECT_GT(info.nFileSizeLow, 1024u * 1024u);
}

TEST(SupportLog, LinkPlantedUnderTheLogNameIsNeverWrittenThrough)
{
    const std::wstring path = CInstallLog::GetLogPath();
    const std::wstring victim = path + L".victim";
    ASSERT_TRUE(standin::PlantHardLink(path, victim));

    CInstallLog::WriteLine(L"must not land in the victim");
    WIN32_FILE_ATTRIBUTE_DATA info = {};
    ASSERT_TRUE(GetFileAttributesExW(victim.c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(6u, info.nFileSizeLow);
    DeleteFileW(path.c_str());
    DeleteFileW(victim.c_str());
}

// ---- switches for administrators -------------------------------------------------------------------------

TEST(CommandLine, SwitchesAreReadAsAnAdministratorWritesThem)
{
    const CCommandLine none = CCommandLine::Parse(L"");
    EXPECT_TRUE(none.IsValid());
    EXPECT_FALSE(none.HasSwitches());

    // /D= takes the rest of the line, spaces included, quoted or not; case does not matter.
    for (const wchar_t* line : {L"/S /LOG=C:\\logs\\lumbra.log /D=C:\\My Apps\\Tools ",
                                L"/s \"/LOG=C:\\logs\\lumbra.log\" \"/D=C:\\My Apps\\Tools\"",
                                L"  /S   /log=\"C:\\logs\\lumbra.log\"   /d=\"C:\\My Apps\\Tools\""}) {
        const CCommandLine parsed = CCommandLine::Parse(line);
        EXPECT_TRUE(parsed.IsValid()) << WideToUtf8String(parsed.GetError());
        EXPECT_TRUE(parsed.IsSilent());
        EXPECT_EQ(L"C:\\My Apps\\Tools", parsed.GetFolder());
        EXPECT_EQ(L"C:\\logs\\lumbra.log", parsed.GetLogFile());
        EXPECT_EQ(L"C:\\logs\\lumbra.package.log", parsed.GetPackageLogFile());
    }
    EXPECT_EQ(L"C:\\logs.d\\setup.package.log", CCommandLine::Parse(L"/S /LOG=C:\\logs.d\\setup").GetPackageLogFile());
    EXPECT_EQ(L"", none.GetPackageLogFile());
    EXPECT_TRUE(CCommandLine::Parse(L"/?").WantsUsage());
    EXPECT_EQ(L"\\\\server\\share", CCommandLine::Parse(L"/S /D=\\\\server\\share").GetFolder());
}

TEST(CommandLine, WhatCannotBeMeantIsRefused)
{
    const std::wstring longLog = L"/S /LOG=C:\\" + std::wstring(240, L'x');
    for (const wchar_t* line : {L"/X", L"/S /FORCE", L"/S /D=Apps", L"/S /D=", L"/D=C:\\Apps", L"/S /LOG=x.log",
                                L"/S extra", L"/S /D=C:\\Apps|x", L"/S /D=C:\\a:b", L"/S /D=\\\\?\\C:\\Apps",
                                L"/S /LOG=\\\\.\\pipe\\x", longLog.c_str()}) {
        const CCommandLine parsed = CCommandLine::Parse(line);
        EXPECT_FALSE(parsed.IsValid()) << WideToUtf8String(line);
        EXPECT_FALSE(parsed.GetError().empty());
    }
}

// ---- retries and resuming ------------------------------------------------------------------------------

TEST(RetryRules, TransientFailuresOnlyAreTriedAgainWithGrowingPauses)
{
    for (int code : {6, 7, 18, 28, 52, 56})
        EXPECT_TRUE(CRetryPolicy::IsTransient(code, 0)) << code;
    for (long status : {408L, 429L, 500L, 503L})
        EXPECT_TRUE(CRetryPolicy::IsTransient(22, status)) << status;
    for (long status : {400L, 403L, 404L, 416L})
        EXPECT_FALSE(CRetryPolicy::IsTransient(22, status)) << status;
    for (int code : {1, 23, 42, 47, 60})
        EXPECT_FALSE(CRetryPolicy::IsTransient(code, 0)) << code; // protocol, disk, cancel, redirects, certificate
    EXPECT_EQ(1000u, CRetryPolicy::PauseBefore(1, 1000));
    EXPECT_EQ(2000u, CRetryPolicy::PauseBefore(2, 1000));
    EXPECT_EQ(4000u, CRetryPolicy::PauseBefore(3, 1000));
}

TEST(RetryRules, ResumeHeadersAreReadFromTheLastReplyOnly)
{
    CResponseHeaders headers;
    const char* lines[] = {"HTTP/1.1 302 Found\r\n", "ETag: \"old\"\r\n", "Accept-Ranges: bytes\r\n", "\r\n",
                           "HTTP/1.1 206 Partial Content\r\n", "content-range: bytes 300000-900886/900887\r\n",
                           "Last-Modified: Tue, 01 Dec 2026 10:00:00 GMT\r\n", "ETag: W/\"weak\"\r\n", "\r\n"};
    for (const char* line : lines)
        headers.AddLine(line, strlen(line));
    EXPECT_EQ(206, headers.Status());
    EXPECT_FALSE(headers.AcceptsByteRanges()); // said by the redirect, not by this reply
    EXPECT_EQ(300000, headers.RangeStart());
    EXPECT_EQ(900887, headers.WholeLength());
    // A weak ETag cannot name a version for a range: the date does.
    EXPECT_EQ("Tue, 01 Dec 2026 10:00:00 GMT", headers.Validator());
}

// ---- publisher check -----------------------------------------------------------------------------------

TEST(PublisherRules, PinnedKeysNarrowTheVendorsSignaturesToThoseKeys)
{
    const std::wstring path = standin::SamplePackagePath();
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    const std::string key = standin::VendorKeySha256();
    ASSERT_EQ(64u, key.size());
    const std::string otherKey(64, 'a');
    EXPECT_TRUE(CPublisherCheck::Check(path, file, false, {L"Tarvix", {}}).allowed);
    EXPECT_TRUE(CPublisherCheck::Check(path, file, false, {L"Tarvix", {otherKey, key}}).allowed);
    const PublisherVerdict unpinned = CPublisherCheck::Check(path, file, true, {L"Tarvix", {otherKey}});
    EXPECT_FALSE(unpinned.allowed) << "a digest never stands in for a signature";
    EXPECT_NE(std::wstring::npos, unpinned.detail.find(L"not pinned (SHA-256 " + Utf8ToWideString(key) + L")"));
    EXPECT_TRUE(CPublisherCheck::ProductPolicy().pinnedKeys.empty());
    CloseHandle(file);
}
