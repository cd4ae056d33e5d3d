#pragma once
// A folder reached from its drive root one level at a time, never through a link, every level held open so that
// it cannot be renamed, removed or put in another's place while this object lives; and the files directly in it,
// opened by handle.
//
// The installer runs elevated in folders that other users share. Any name on the way (a temporary folder, a
// folder at the root of a drive) may be a link planted to send the installer's writes elsewhere: a junction, a
// symbolic link, a hard link. A path opened whole follows every link in it, so each level here is opened
// relative to the one above it and judged as what it is, not by where it points.
#include "installer/net/WinHandle.h"

#include <memory>
#include <string>
#include <vector>

class CSafeFolder
{
public:
    struct LocalFreeDeleter
    {
        void operator()(void* memory) const { LocalFree(memory); }
    };
    // A security descriptor (or SID) allocated by advapi32, freed with LocalFree.
    using LocalPtr = std::unique_ptr<void, LocalFreeDeleter>;

    // What the levels the installer makes get: protected from inheritance, inherited by files and subfolders,
    // full control for SYSTEM and Administrators, read and execute for Users (the product, running as the user,
    // reads its settings below the system drive's folder). No owner: the creator's default owner
    // (Administrators when elevated).
    static const wchar_t* const kSddl;
    static LocalPtr BuildSecurity();

    CSafeFolder() = default;
    CSafeFolder(const CSafeFolder&) = delete;
    CSafeFolder& operator=(const CSafeFolder&) = delete;

    // Reaches `base` ("C:\", a temporary folder), which must exist with every level a plain folder: nothing is
    // changed there. Then each level of `own` ("tarvix\Lumbra", or "" for none), which is the installer's: a
    // missing one is made with BuildSecurity(); a link in its place is removed (what it points to is left
    // untouched) and the level made, where the link itself can be removed. False, with the reason in `why`,
    // when a level is not a plain folder and cannot be made one. What was replaced is in GetNotes().
    bool Open(const std::wstring& base, const std::wstring& own, std::wstring* why);
    // One more level, made now under a name nothing has yet.
    bool CreateLevel(const std::wstring& name, std::wstring* why);
    // Lets go of the deepest level and removes it when it is an empty plain folder that this object made.
    void RemoveLevel();
    void Close();

    // The folder as reached ("" before Open), without a trailing backslash except for a drive root.
    const std::wstring& GetPath() const { return m_strPath; }
    std::wstring PathOf(const std::wstring& name) const;
    HANDLE GetHandle() const { return m_levels.empty() ? nullptr : m_levels.back().handle.Get(); }
    // The deepest level was made by this process (by this object, or by Open earlier in the run, as the settings
    // make the download folder at start) and its permissions are as they were made, so nobody else prepared it.
    bool WasCreated() const { return m_bCreated; }
    const std::vector<std::wstring>& GetNotes() const { return m_notes; }

    // The file `name` directly in the folder (made when missing if `create`), opened by handle: never a link,
    // a folder or a file that has a second name (a hard link). Such an entry is removed first where the entry
    // itself can be (what it points to is left untouched), else refused with the reason in `why`.
    CWinHandle OpenFile(const std::wstring& name, DWORD access, DWORD share, bool create, std::wstring* why);
    // Renames `file` (opened by OpenFile with DELETE access) to `name` in the folder, replacing what has it.
    bool RenameFile(HANDLE file, const std::wstring& name) const;
    // Removes the plain file `name` from the folder; false when there is none or it is not plain.
    bool RemoveFile(const std::wstring& name);

private:
    bool OpenRoot(const std::wstring& root, std::wstring* why);
    bool OpenLevel(const std::wstring& name, bool own, std::wstring* why);
    void Push(CWinHandle handle, const std::wstring& name);

    struct Level
    {
        CWinHandle handle;
        std::wstring name;
        std::wstring path;
    };
    std::vector<Level> m_levels; // the root first
    std::wstring m_strPath;
    std::vector<std::wstring> m_notes;
    bool m_bCreated = false;
};
