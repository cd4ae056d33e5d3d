#pragma once
// Incremental SHA-256 by Windows' own CNG provider, used to check the downloaded package against the digest the
// vendor publishes and to make sure the file that is run is the file that was downloaded.
#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>
#include <bcrypt.h>

#include <cstddef>
#include <string>

class CSha256
{
public:
    CSha256();
    ~CSha256();
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;

    void Reset();
    void Update(const void* data, size_t size);
    // Lower-case hexadecimal digest (64 characters); "" when the provider failed. Ends this computation (call
    // Reset to start again).
    std::string FinishHex();

    static std::string HexOf(const void* data, size_t size);

private:
    void CloseHash();

    BCRYPT_ALG_HANDLE m_hAlgorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hHash = nullptr;
    bool m_bFailed = false;
};
