#include "installer/install/DownloadFolder.h"

#include "installer/install/InstallPaths.h"
#include "installer/net/InstallLog.h"

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

const wchar_t* const CDownloadFolder::kSddl =
    L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

const wchar_t kTrustedInstallerSid[] = L"S-1-5-80-956008885-3425934469-3193245925-2345789185-1960128530";

// Every right that lets a holder change the folder or what is (or comes) in it.
const ACCESS_MASK kChangeRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_WRITE_ATTRIBUTES |
                                  FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

std::wstring SidText(PSID sid)
{
    wchar_t* text = nullptr;
    if (sid == nullptr || !ConvertSidToStringSidW(sid, &text))
        return L"an unreadable SID";
    CDownloadFolder::LocalPtr keep(text);
    return text;
}

std::vector<BYTE> ProcessUser()
{
    std::vector<BYTE> buffer;
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw))
        return buffer;
    CWinHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    buffer.resize(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size))
        buffer.clear();
    return buffer;
}

// CREATOR OWNER in an entry stands for whoever creates a child, and only a (checked) writer can.
bool IsTrustedSid(PSID sid, bool creatorOwnerToo)
{
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
        (creatorOwnerToo && IsWellKnownSid(sid, WinCreatorOwnerSid)))
        return true;
    PSID trustedInstaller = nullptr;
    if (ConvertStringSidToSidW(kTrustedInstallerSid, &trustedInstaller)) {
        CDownloadFolder::LocalPtr keep(trustedInstaller);
        if (EqualSid(sid, trustedInstaller))
            return true;
    }
    const std::vector<BYTE> user = ProcessUser();
    return !user.empty() && EqualSid(sid, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
}

// The SID and rights of an entry that allows something; false for entries that only deny or audit. An allow
// entry of a kind folders never carry (compound, object) counts as giving everything to an unknown SID.
bool AllowedEntry(const ACE_HEADER* header, PSID* sid, ACCESS_MASK* rights)
{
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: {
        // The callback entry has the same layout up to the SID.
        const ACCESS_ALLOWED_ACE* entry = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        *sid = const_cast<DWORD*>(&entry->SidStart);
        *rights = entry->Mask;
        return true;
    }
    case ACCESS_ALLOWED_COMPOUND_ACE_TYPE:
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE:
        *sid = nullptr;
        *rights = GENERIC_ALL;
        return true;
    default:
        return false;
    }
}

bool Refuse(std::wstring* why, const std::wstring& reason)
{
    if (why != nullptr)
        *why = reason;
    return false;
}

std::wstring RandomName()
{
    unsigned char bytes[8] = {};
    if (BCryptGenRandom(nullptr, bytes, sizeof(bytes), BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
        return std::wstring();
    wchar_t text[2 * sizeof(bytes) + 1] = {};
    for (size_t i = 0; i < sizeof(bytes); ++i)
        swprintf(text + 2 * i, 3, L"%02x", bytes[i]);
    return text;
}

} // namespace

CDownloadFolder::LocalPtr CDownloadFolder::BuildSecurity()
{
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kSddl, SDDL_REVISION_1, &security, nullptr))
        return LocalPtr();
    return LocalPtr(security);
}

bool CDownloadFolder::CreateProtected(const std::wstring& folder)
{
    LocalPtr security = BuildSecurity();
    if (!security)
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.get(), FALSE};
    return CreateDirectoryW(folder.c_str(), &attributes) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool CDownloadFolder::IsTrustedSecurity(PSECURITY_DESCRIPTOR security, std::wstring* why)
{
    PSID owner = nullptr;
    BOOL defaulted = FALSE;
    if (security == nullptr || !GetSecurityDescriptorOwner(security, &owner, &defaulted) || owner == nullptr)
        return Refuse(why, L"it has no owner");
    if (!IsTrustedSid(owner, false))
        return Refuse(why, L"it is owned by " + SidText(owner));
    BOOL present = FALSE;
    PACL dacl = nullptr;
    if (!GetSecurityDescriptorDacl(security, &present, &dacl, &defaulted) || !present || dacl == nullptr)
        return Refuse(why, L"it has no access list: everyone may change it");
    ACL_SIZE_INFORMATION size = {};
    if (!GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation))
        return Refuse(why, L"its access list cannot be read");
    GENERIC_MAPPING fileMapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    for (DWORD i = 0; i < size.AceCount; ++i) {
        void* entry = nullptr;
        PSID sid = nullptr;
        ACCESS_MASK rights = 0;
        if (!GetAce(dacl, i, &entry))
            return Refuse(why, L"its access list cannot be read");
        if (!AllowedEntry(static_cast<const ACE_HEADER*>(entry), &sid, &rights))
            continue;
        // Entries inherited by files and subfolders only (as a drive root gives its users) count as well: a
        // writable child would do as much harm as a writable folder.
        MapGenericMask(&rights, &fileMapping);
        if ((rights & kChangeRights) != 0 && (sid == nullptr || !IsTrustedSid(sid, true)))
            return Refuse(why, SidText(sid) + L" may change it");
    }
    return true;
}

CWinHandle CDownloadFolder::OpenTrusted(const std::wstring& folder, std::wstring* why)
{
    // Without FILE_SHARE_DELETE: while the handle is open nobody can rename the folder or put another in its
    // place. The link itself is opened, never what it points to.
    CWinHandle handle(CreateFileW(folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.IsValid()) {
        Refuse(why, L"it cannot be opened (error " + std::to_wstring(GetLastError()) + L")");
        return CWinHandle();
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle.Get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        Refuse(why, L"it is not a plain folder (a file or a link)");
        return CWinHandle();
    }
    PSECURITY_DESCRIPTOR security = nullptr;
    if (GetSecurityInfo(handle.Get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                        nullptr, nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS) {
        Refuse(why, L"its permissions cannot be read");
        return CWinHandle();
    }
    LocalPtr keep(security);
    if (!IsTrustedSecurity(security, why))
        return CWinHandle();
    return handle;
}

bool CDownloadFolder::IsTrustedFolder(const std::wstring& folder, std::wstring* why)
{
    return OpenTrusted(folder, why).IsValid();
}

std::wstring CDownloadFolder::PrivateRoot()
{
    wchar_t programData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, programData)) ||
        programData[0] == L'\0')
        return std::wstring();
    return std::wstring(programData) + L"\\Tarvix\\Pavonel";
}

CDownloadFolder::~CDownloadFolder()
{
    m_hFolder.Close();
    if (!m_bPrivate)
        return; // the preferred folder keeps the package, as it always has
    DeleteFileW((m_strPath + L"\\" + CInstallPaths::kPackageFileName).c_str());
    RemoveDirectoryW(m_strPath.c_str());
}

bool CDownloadFolder::Choose(const std::wstring& preferred)
{
    std::wstring why = L"it cannot be created";
    if (CreateProtected(preferred)) {
        m_hFolder = OpenTrusted(preferred, &why);
        if (m_hFolder.IsValid()) {
            m_strPath = preferred;
            return true;
        }
    }
    CInstallLog::Write(L"download folder %ls not used: %ls", preferred.c_str(), why.c_str());
    if (!ChoosePrivate()) {
        CInstallLog::WriteLine(L"no private download folder could be made");
        return false;
    }
    CInstallLog::Write(L"download folder moved aside to %ls", m_strPath.c_str());
    return true;
}

bool CDownloadFolder::ChoosePrivate()
{
    const std::wstring root = PrivateRoot();
    if (root.empty())
        return false;
    // The levels above must be as safe as the folder itself: whoever owned one could swap what lies below it.
    const std::wstring vendor = root.substr(0, root.rfind(L'\\'));
    for (const std::wstring& level : {vendor, root}) {
        std::wstring why = L"it cannot be created";
        if (!CreateProtected(level) || !IsTrustedFolder(level, &why)) {
            CInstallLog::Write(L"private folder %ls not used: %ls", level.c_str(), why.c_str());
            return false;
        }
    }
    LocalPtr security = BuildSecurity();
    SECURITY_ATTRIBUTES attributes = {sizeof(attributes), security.get(), FALSE};
    for (int attempt = 0; attempt < 4 && security; ++attempt) {
        const std::wstring name = RandomName();
        const std::wstring folder = root + L"\\" + name;
        // Made here and now, never one that was there before.
        if (name.empty() || !CreateDirectoryW(folder.c_str(), &attributes))
            continue;
        m_hFolder = OpenTrusted(folder, nullptr);
        if (!m_hFolder.IsValid()) {
            RemoveDirectoryW(folder.c_str());
            return false;
        }
        m_strPath = folder;
        m_bPrivate = true;
        return true;
    }
    return false;
}
