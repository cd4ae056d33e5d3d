// A fresh folder under %TEMP% for the files a test writes (images descriptors name, markup, archives), removed
// with everything in it at the end of the test.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace test_support {

class ScratchFolder
{
public:
    ScratchFolder()
    {
        wchar_t base[MAX_PATH];
        ::GetTempPathW(MAX_PATH, base);
        static unsigned s_counter = 0;
        wchar_t name[MAX_PATH];
        swprintf(name, MAX_PATH, L"%lsveneer_test_%lu_%u\\", base, ::GetCurrentProcessId(), ++s_counter);
        m_path = name;
        ::CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(m_path); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Ends with a backslash.
    const std::wstring& Path() const { return m_path; }

    // Writes the file (its folders made on the way); its full path.
    std::wstring Write(const std::wstring& relative, const std::vector<BYTE>& data) const
    {
        const std::wstring full = m_path + relative;
        for (size_t i = m_path.size(); i < full.size(); ++i) {
            if (full[i] == L'\\') ::CreateDirectoryW(full.substr(0, i).c_str(), nullptr);
        }
        HANDLE h =
            ::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return full;
        DWORD done = 0;
        if (!data.empty()) ::WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &done, nullptr);
        ::CloseHandle(h);
        return full;
    }
    std::wstring Write(const std::wstring& relative, const std::string& text) const
    {
        return Write(relative, std::vector<BYTE>(text.begin(), text.end()));
    }

    // A 24-bit bitmap of vertical stripes: stripe i has colour colours[i] (0xRRGGBB).
    void Stripes(const std::wstring& name, int cxStripe, int cy, const std::vector<DWORD>& colours)
    {
        const int cx = cxStripe * static_cast<int>(colours.size());
        const int stride = (cx * 3 + 3) & ~3;
        BITMAPFILEHEADER fh = {};
        BITMAPINFOHEADER ih = {};
        ih.biSize = sizeof(ih);
        ih.biWidth = cx;
        ih.biHeight = cy;
        ih.biPlanes = 1;
        ih.biBitCount = 24;
        ih.biCompression = BI_RGB;
        ih.biSizeImage = static_cast<DWORD>(stride * cy);
        fh.bfType = 0x4D42;
        fh.bfOffBits = sizeof(fh) + sizeof(ih);
        fh.bfSize = fh.bfOffBits + ih.biSizeImage;
        std::vector<BYTE> file(fh.bfSize, 0);
        std::memcpy(file.data(), &fh, sizeof(fh));
        std::memcpy(file.data() + sizeof(fh), &ih, sizeof(ih));
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x) {
                const DWORD c = colours[static_cast<size_t>(x / cxStripe)];
                BYTE* p = &file[fh.bfOffBits + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * 3];
                p[0] = static_cast<BYTE>(c & 0xFF);
                p[1] = static_cast<BYTE>((c >> 8) & 0xFF);
                p[2] = static_cast<BYTE>((c >> 16) & 0xFF);
            }
        }
        Write(name, file);
    }
    void Solid(const std::wstring& name, int cx, int cy, DWORD colour) { Stripes(name, cx, cy, {colour}); }

private:
    static void RemoveTree(const std::wstring& dir)
    {
        WIN32_FIND_DATAW fd;
        HANDLE h = ::FindFirstFileW((dir + L"*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring n = fd.cFileName;
                if (n == L"." || n == L"..") continue;
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(dir + n + L"\\");
                else
                    ::DeleteFileW((dir + n).c_str());
            } while (::FindNextFileW(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryW(dir.c_str());
    }

    std::wstring m_path;
};

} // namespace test_support
