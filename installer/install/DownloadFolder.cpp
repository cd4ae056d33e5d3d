#include "installer/install/DownloadFolder.h"

#include "installer/install/InstallPaths.h"
#include "installer/net/InstallLog.h"

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>

#include <cwchar>

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
    CSafeFolder::LocalPtr keep(text);
    return text;
}

// CREATOR OWNER in an entry stands for whoever creates a child, and only a (checked) writer can.
bool IsTrustedSid(PSID sid, bool creatorOwnerToo)
{
    if (IsWellKnownSid(sid, WinBuiltinAdministratorsSid) || IsWellKnownSid(sid, WinLocalSystemSid) ||
        (creatorOwnerToo && IsWellKnownSid(sid, WinCreatorOwnerSid)))
        return true;
    PSID trustedInstaller = nullptr;
    if (ConvertStringSidToSidW(kTrustedInstallerSid, &trustedInstaller)) {
        CSafeFolder::LocalPtr keep(trustedInstaller);
        return EqualSid(sid, trustedInstaller) != FALSE;
    }
    return false;
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

bool CDownloadFolder::IsTrustedSecurity(PSECURITY_DESCRIPTOR security, std::wstring* why)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (security == nullptr || !GetSecurityDescriptorDacl(security, &present, &dacl, &defaulted) || !present ||
        dacl == nullptr)
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
    // The owner may always change the permissions, whatever they say.
    PSID owner = nullptr;
    if (!GetSecurityDescriptorOwner(security, &owner, &defaulted) || owner == nullptr)
        return Refuse(why, L"it has no owner");
    if (!IsTrustedSid(owner, false))
        return Refuse(why, L"it is owned by " + SidText(owner));
    return true;
}

namespace {

// A folder found in place (not made now) counts only when its security says that no other user could have
// prepared or could change it.
bool IsTrustedHandle(HANDLE folder, std::wstring* why)
{
    PSECURITY_DESCRIPTOR security = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS)
        return Refuse(why, L"its permissions cannot be read");
    CSafeFolder::LocalPtr keep(security);
    return CDownloadFolder::IsTrustedSecurity(security, why);
}

void LogNotes(const CSafeFolder& folder)
{
    for (const std::wstring& note : folder.GetNotes())
        CInstallLog::WriteLine(L"download folder: " + note);
}

} // namespace

CDownloadFolder::~CDownloadFolder()
{
    if (!m_bPrivate)
        return; // the preferred folder keeps the package, as it always has
    m_folder.RemoveFile(CInstallPaths::kPackageFileName);
    m_folder.RemoveLevel();
}

bool CDownloadFolder::Choose(const std::wstring& preferred)
{
    std::wstring why = L"it is not a full path";
    const size_t cut = preferred.rfind(L'\\');
    const bool usable = cut != std::wstring::npos &&
                        m_folder.Open(preferred.substr(0, cut + 1), preferred.substr(cut + 1), &why) &&
                        (m_folder.WasCreated() || IsTrustedHandle(m_folder.GetHandle(), &why));
    LogNotes(m_folder);
    if (usable)
        return true;
    m_folder.Close();
    CInstallLog::Write(L"download folder %ls not used: %ls", preferred.c_str(), why.c_str());
    if (!ChoosePrivate()) {
        CInstallLog::WriteLine(L"no private download folder could be made");
        return false;
    }
    CInstallLog::Write(L"download folder moved aside to %ls", m_folder.GetPath().c_str());
    return true;
}

bool CDownloadFolder::ChoosePrivate()
{
    // The levels above need not be trusted: each is held while the folder is in use, so none can be swapped,
    // and the folder itself is made here and now with the installer's permissions, never one that was there.
    std::wstring why;
    const bool opened = m_folder.Open(CInstallPaths::GetProgramDataDir(), CInstallPaths::kPrivateFolder, &why);
    LogNotes(m_folder);
    if (!opened) {
        CInstallLog::Write(L"private folder not used: %ls", why.c_str());
        return false;
    }
    for (int attempt = 0; attempt < 4; ++attempt) {
        const std::wstring name = RandomName();
        if (!name.empty() && m_folder.CreateLevel(name, nullptr)) {
            m_bPrivate = true;
            return true;
        }
    }
    return false;
}
