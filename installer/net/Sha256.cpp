#include "installer/net/Sha256.h"

#include <climits>

CSha256::CSha256()
{
    if (BCryptOpenAlgorithmProvider(&m_hAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
        m_hAlgorithm = nullptr;
    Reset();
}

CSha256::~CSha256()
{
    CloseHash();
    if (m_hAlgorithm != nullptr)
        BCryptCloseAlgorithmProvider(m_hAlgorithm, 0);
}

void CSha256::CloseHash()
{
    if (m_hHash != nullptr)
        BCryptDestroyHash(m_hHash);
    m_hHash = nullptr;
}

void CSha256::Reset()
{
    CloseHash();
    m_bFailed = m_hAlgorithm == nullptr ||
                BCryptCreateHash(m_hAlgorithm, &m_hHash, nullptr, 0, nullptr, 0, 0) != 0;
}

void CSha256::Update(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (!m_bFailed && size > 0) {
        const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
        if (BCryptHashData(m_hHash, const_cast<PUCHAR>(bytes), piece, 0) != 0)
            m_bFailed = true;
        bytes += piece;
        size -= piece;
    }
}

std::string CSha256::FinishHex()
{
    unsigned char digest[32];
    const bool done = !m_bFailed && BCryptFinishHash(m_hHash, digest, sizeof(digest), 0) == 0;
    CloseHash();
    m_bFailed = true; // until Reset
    if (!done)
        return std::string();
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += kHex[byte >> 4];
        hex += kHex[byte & 15];
    }
    return hex;
}

std::string CSha256::HexOf(const void* data, size_t size)
{
    CSha256 hash;
    hash.Update(data, size);
    return hash.FinishHex();
}
