#include "installer/install/SafeFolder.h"

#include <winternl.h>
#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <mutex>

const wchar_t* const CSafeFolder::kSddl = L"D:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

namespace {

// Traversing counts as reading where sharing is decided, so a level held this way cannot be opened for the
// delete access that a rename or a removal needs.
const ACCESS_MASK kLevelAccess = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL;
const ULONG kLevelShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
const ULONG kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
const NTSTATUS kSharingViolation = static_cast<NTSTATUS>(0xC0000043L); // STATUS_SHARING_VIOLATION

bool Refuse(std::wstring* why, const std::wstring& reason)
{
    if (why != nullptr)
        *why = reason;
    return false;
}

std::wstring StatusText(NTSTATUS status)
{
    wchar_t text[32];
    swprintf(text, 32, L"status 0x%08lX", static_cast<unsigned long>(status));
    return text;
}

std::wstring Join(const std::wstring& folder, const std::wstring& name)
{
    return (!folder.empty() && folder.back() == L'\\') ? folder + name : folder + L"\\" + name;
}

// One name inside a folder: no separator, no stream, not a step up or in place.
bool IsOneName(const std::wstring& name)
{
    return !name.empty() && name.size() < 256 && name != L"." && name != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

bool SplitNames(const std::wstring& text, std::vector<std::wstring>* names)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find_first_of(L"\\/", at);
        if (end == std::wstring::npos)
            end = text.size();
        const std::wstring name = text.substr(at, end - at);
        if (!name.empty() && !IsOneName(name))
            return false;
        if (!name.empty())
            names->push_back(name);
        at = end + 1;
    }
    return true;
}

// "C:\a\b" gives the root "C:\" and {a, b}; "\\server\share\a" the root "\\server\share\" and {a}.
bool SplitPath(std::wstring path, std::wstring* root, std::vector<std::wstring>* names)
{
    for (wchar_t& c : path)
        c = (c == L'/') ? L'\\' : c;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        path = L"\\\\" + path.substr(8);
    else if (path.compare(0, 4, L"\\\\?\\") == 0)
        path = path.substr(4);
    size_t rest = 0;
    const bool letter = path.size() >= 3 && ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
    if (letter && path[1] == L':' && path[2] == L'\\') {
        rest = 3;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2)
            return false;
        const size_t share = path.find(L'\\', server + 1);
        rest = (share == std::wstring::npos) ? path.size() : share + 1;
        if (rest == server + 2)
            return false;
    } else {
        return false;
    }
    *root = Join(path.substr(0, rest), L"");
    return SplitNames(path.substr(rest), names);
}

struct Opened
{
    CWinHandle handle;
    NTSTATUS status = 0;
    bool created = false;
};

// `name` below the open folder `parent`: the name itself, never what a link there points to.
Opened OpenBelow(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                 ULONG options, PSECURITY_DESCRIPTOR security)
{
    UNICODE_STRING text;
    text.Buffer = const_cast<PWSTR>(name.c_str());
    text.Length = text.MaximumLength = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &text, OBJ_CASE_INSENSITIVE, parent, security);
    IO_STATUS_BLOCK io = {};
    HANDLE handle = nullptr;
    Opened result;
    result.status = NtCreateFile(&handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                                 share, disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
                                 nullptr, 0);
    if (result.status >= 0) {
        result.handle.Reset(handle);
        result.created = io.Information == FILE_CREATED;
    }
    return result;
}

std::wstring FinalPath(HANDLE handle, DWORD volumeName)
{
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), volumeName);
    if (length >= path.size()) {
        path.resize(length + 1);
        length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()), volumeName);
    }
    path.resize(length < path.size() ? length : 0);
    return path;
}

enum class Entry
{
    Plain,
    Link,          // points elsewhere: it cannot be removed without touching what it points to
    RemovableLink, // the handle is the link (or the second name) itself
    Other
};

// What an opened entry is: a plain folder (`finalPath` null) or a plain file whose final name must be
// `*finalPath`. A link shows on the handle, opened as the link itself; where the system opens what a link
// points to even when asked for the link (Wine does with Unix links), it shows on the name (a folder) or in
// where the handle ended up (a file).
Entry Examine(HANDLE handle, const std::wstring& path, const std::wstring* finalPath, DWORD volumeName)
{
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!GetFileInformationByHandle(handle, &info))
        return Entry::Other;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return Entry::RemovableLink;
    const DWORD named = GetFileAttributesW(path.c_str());
    if (named == INVALID_FILE_ATTRIBUTES || (named & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return Entry::Link;
    if (finalPath != nullptr &&
        CompareStringOrdinal(FinalPath(handle, volumeName).c_str(), -1, finalPath->c_str(), -1, TRUE) != CSTR_EQUAL)
        return Entry::Link;
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder != (finalPath == nullptr))
        return Entry::Other;
    if (!folder && info.nNumberOfLinks > 1)
        return Entry::RemovableLink; // this name only: the file keeps its other names
    return Entry::Plain;
}

// The levels this process made: each known by its identity on its volume and by its owner and permissions as
// they read back when it was made. A folder with the same identity and the same security is that folder, as
// this process left it; a folder put in its place, or one whose permissions were opened since, is not, even
// where a file system hands out the number of a removed folder again.
class CMadeHere
{
public:
    static void Remember(HANDLE folder)
    {
        std::wstring mark;
        if (!MarkOf(folder, &mark))
            return;
        std::lock_guard<std::mutex> guard(Lock());
        Marks().push_back(mark);
    }
    static bool Contains(HANDLE folder)
    {
        std::wstring mark;
        if (!MarkOf(folder, &mark))
            return false;
        std::lock_guard<std::mutex> guard(Lock());
        return std::find(Marks().begin(), Marks().end(), mark) != Marks().end();
    }

private:
    static bool MarkOf(HANDLE folder, std::wstring* mark)
    {
        BY_HANDLE_FILE_INFORMATION info = {};
        PSECURITY_DESCRIPTOR security = nullptr;
        const SECURITY_INFORMATION parts = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
        if (!GetFileInformationByHandle(folder, &info) ||
            GetSecurityInfo(folder, SE_FILE_OBJECT, parts, nullptr, nullptr, nullptr, nullptr, &security) != ERROR_SUCCESS)
            return false;
        CSafeFolder::LocalPtr keepSecurity(security);
        wchar_t* text = nullptr;
        if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(security, SDDL_REVISION_1, parts, &text, nullptr))
            return false;
        CSafeFolder::LocalPtr keepText(text);
        wchar_t identity[64];
        swprintf(identity, 64, L"%08lX:%08lX%08lX:", info.dwVolumeSerialNumber, info.nFileIndexHigh,
                 info.nFileIndexLow);
        *mark = identity + std::wstring(text);
        return true;
    }
    static std::mutex& Lock()
    {
        static std::mutex lock;
        return lock;
    }
    static std::vector<std::wstring>& Marks()
    {
        static std::vector<std::wstring> marks;
        return marks;
    }
};

bool Dispose(HANDLE handle)
{
    FILE_DISPOSITION_INFO dispose = {TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &dispose, sizeof(dispose)) != FALSE;
}

// A program that has just ended lets go of its working folder a moment after it is signalled, and until then
// the folder cannot be opened for deletion: a sharing refusal is tried again for a short while. One that lasts
// (a program still running there) ends the attempts.
Opened OpenForRemoval(HANDLE parent, const std::wstring& name, ULONG options)
{
    const int kAttempts = 10;
    const DWORD kPauseMs = 50;
    for (int attempt = 1;; ++attempt) {
        Opened entry = OpenBelow(parent, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, options, nullptr);
        if (entry.status != kSharingViolation || attempt == kAttempts)
            return entry;
        Sleep(kPauseMs);
    }
}

// Removes the link `name` (seen as removable a moment ago) after making sure it still is one.
bool RemoveLink(HANDLE parent, const std::wstring& name, const std::wstring& path, const std::wstring* finalPath,
                DWORD volumeName)
{
    Opened entry = OpenBelow(parent, name, DELETE | FILE_READ_ATTRIBUTES, kShareAll, FILE_OPEN, 0, nullptr);
    return entry.status >= 0 &&
           Examine(entry.handle.Get(), path, finalPath, volumeName) == Entry::RemovableLink &&
           Dispose(entry.handle.Get());
}

} // namespace

CSafeFolder::LocalPtr CSafeFolder::BuildSecurity()
{
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kSddl, SDDL_REVISION_1, &security, nullptr))
        return LocalPtr();
    return LocalPtr(security);
}

std::wstring CSafeFolder::PathOf(const std::wstring& name) const
{
    return Join(m_strPath, name);
}

void CSafeFolder::Push(CWinHandle handle, const std::wstring& name)
{
    m_bCreated = false;
    m_strPath = m_levels.empty() ? name : PathOf(name);
    m_levels.push_back(Level{std::move(handle), name, m_strPath});
}

void CSafeFolder::Close()
{
    m_levels.clear();
    m_strPath.clear();
    m_bCreated = false;
}

bool CSafeFolder::Open(const std::wstring& base, const std::wstring& own, std::wstring* why)
{
    Close();
    m_notes.clear();
    std::wstring root;
    std::vector<std::wstring> baseNames, ownNames;
    if (!SplitPath(base, &root, &baseNames) || !SplitNames(own, &ownNames))
        return Refuse(why, L"\"" + Join(base, own) + L"\" is not a full path of plain names");
    bool ok = OpenRoot(root, why);
    for (size_t i = 0; ok && i < baseNames.size(); ++i)
        ok = OpenLevel(baseNames[i], false, why);
    for (size_t i = 0; ok && i < ownNames.size(); ++i)
        ok = OpenLevel(ownNames[i], true, why);
    if (!ok)
        Close();
    else if (!ownNames.empty() && !m_bCreated)
        m_bCreated = CMadeHere::Contains(GetHandle());
    return ok;
}

bool CSafeFolder::OpenRoot(const std::wstring& root, std::wstring* why)
{
    // A drive or share root is no link: the levels below it are where one may be planted.
    CWinHandle handle(CreateFileW(root.c_str(), kLevelAccess, kLevelShare, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.IsValid())
        return Refuse(why, root + L" cannot be opened (error " + std::to_wstring(GetLastError()) + L")");
    Push(std::move(handle), root);
    return true;
}

bool CSafeFolder::OpenLevel(const std::wstring& name, bool own, std::wstring* why)
{
    const std::wstring path = PathOf(name);
    const LocalPtr security = own ? BuildSecurity() : LocalPtr();
    if (own && !security)
        return Refuse(why, L"the installer's permissions cannot be built");
    for (int attempt = 0; attempt < 2; ++attempt) {
        Opened level = OpenBelow(GetHandle(), name, kLevelAccess, kLevelShare, own ? FILE_OPEN_IF : FILE_OPEN,
                                 FILE_DIRECTORY_FILE, security.get());
        if (level.status < 0)
            return Refuse(why, path + L" cannot be opened as a folder (" + StatusText(level.status) + L")");
        const Entry entry = Examine(level.handle.Get(), path, nullptr, 0);
        if (entry == Entry::Plain) {
            if (level.created)
                CMadeHere::Remember(level.handle.Get());
            Push(std::move(level.handle), name);
            m_bCreated = level.created;
            return true;
        }
        level.handle.Close();
        if (entry == Entry::Other)
            return Refuse(why, path + L" is not a plain folder");
        if (!own || entry != Entry::RemovableLink || !RemoveLink(GetHandle(), name, path, nullptr, 0))
            return Refuse(why, path + L" is a link" + (own ? L" that cannot be removed" : L""));
        m_notes.push_back(L"the link " + path + L" was removed and a folder made in its place");
    }
    return Refuse(why, path + L" became a link again");
}

bool CSafeFolder::CreateLevel(const std::wstring& name, std::wstring* why)
{
    const LocalPtr security = BuildSecurity();
    if (m_levels.empty() || !IsOneName(name) || !security)
        return Refuse(why, L"no level can be made here");
    Opened level = OpenBelow(GetHandle(), name, kLevelAccess, kLevelShare, FILE_CREATE, FILE_DIRECTORY_FILE,
                             security.get());
    if (level.status < 0)
        return Refuse(why, PathOf(name) + L" cannot be made (" + StatusText(level.status) + L")");
    Push(std::move(level.handle), name);
    m_bCreated = true;
    return true;
}

void CSafeFolder::RemoveLevel()
{
    if (m_levels.size() < 2)
        return;
    const std::wstring name = m_levels.back().name;
    const std::wstring path = m_strPath;
    const bool created = m_bCreated;
    m_levels.pop_back();
    m_strPath = m_levels.back().path;
    m_bCreated = false;
    if (!created)
        return;
    Opened level = OpenForRemoval(GetHandle(), name, FILE_DIRECTORY_FILE);
    if (level.status >= 0 && Examine(level.handle.Get(), path, nullptr, 0) == Entry::Plain)
        Dispose(level.handle.Get());
}

CWinHandle CSafeFolder::OpenFile(const std::wstring& name, DWORD access, DWORD share, bool create, std::wstring* why)
{
    if (m_levels.empty() || !IsOneName(name)) {
        Refuse(why, L"\"" + name + L"\" is not a plain file name");
        return CWinHandle();
    }
    const std::wstring path = PathOf(name);
    // Some volumes (RAM disks, some redirectors) cannot name a file by drive letter: then by device.
    DWORD volumeName = VOLUME_NAME_DOS;
    std::wstring folderName = FinalPath(GetHandle(), volumeName);
    if (folderName.empty()) {
        volumeName = VOLUME_NAME_NT;
        folderName = FinalPath(GetHandle(), volumeName);
    }
    const std::wstring finalPath = Join(folderName, name);
    for (int attempt = 0; attempt < 2; ++attempt) {
        Opened file = OpenBelow(GetHandle(), name, access | FILE_READ_ATTRIBUTES, share, create ? FILE_OPEN_IF : FILE_OPEN,
                                FILE_NON_DIRECTORY_FILE, nullptr);
        if (file.status < 0) {
            Refuse(why, path + L" cannot be opened (" + StatusText(file.status) + L")");
            return CWinHandle();
        }
        const Entry entry = Examine(file.handle.Get(), path, &finalPath, volumeName);
        if (entry == Entry::Plain)
            return std::move(file.handle);
        file.handle.Close();
        if (entry != Entry::RemovableLink || !RemoveLink(GetHandle(), name, path, &finalPath, volumeName)) {
            Refuse(why, path + (entry == Entry::Other ? L" is not a plain file" : L" is a link that cannot be removed"));
            return CWinHandle();
        }
        m_notes.push_back(L"the link " + path + L" was removed");
    }
    Refuse(why, path + L" became a link again");
    return CWinHandle();
}

bool CSafeFolder::RenameFile(HANDLE file, const std::wstring& name) const
{
    if (m_levels.empty() || !IsOneName(name))
        return false;
    // Named from the drive down: every level on the way is held, so the name is in this very folder.
    const std::wstring path = PathOf(name);
    const std::wstring target = (path.compare(0, 2, L"\\\\") == 0) ? L"\\??\\UNC" + path.substr(1) : L"\\??\\" + path;
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + target.size() * sizeof(wchar_t));
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->FileName, target.c_str(), info->FileNameLength);
    return SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())) != FALSE;
}

bool CSafeFolder::RemoveFile(const std::wstring& name)
{
    std::wstring why;
    CWinHandle file = OpenFile(name, DELETE, kShareAll, false, &why);
    return file.IsValid() && Dispose(file.Get());
}
