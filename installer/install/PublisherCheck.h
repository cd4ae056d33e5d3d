#pragma once
// Who vouches for a downloaded package before it runs elevated: the vendor's Authenticode signature, or, for a
// package without any signature, the digest the vendor's address service published for it. A package that
// carries a signature is judged by that signature alone.
#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

#include <string>
#include <vector>

struct PublisherPolicy
{
    std::wstring organisation;           // the O= of the signing certificate's subject, compared exactly
    std::vector<std::string> pinnedKeys; // lower-case hex SHA-256 of the signer's public key (SubjectPublicKeyInfo);
                                         // when not empty the signer's key must be one of them
};

struct PublisherVerdict
{
    bool allowed = false;
    std::wstring signer; // organisation of the signing certificate (its subject when it names none), "" if unknown
    std::wstring detail; // for the log: what vouched for the package, or why it is refused
};

class CPublisherCheck
{
public:
    static const wchar_t* const kVendor; // "Tarvix"

    // The vendor and the keys pinned by the build (none unless PAVONEL_PINNED_SIGNER_KEYS names some).
    static PublisherPolicy ProductPolicy();

    // `file`: a handle open for reading on `path` that keeps the file from changing (the bytes checked are the
    // bytes that run). `digestVouched`: the address service published a SHA-256 and the download matched it.
    static PublisherVerdict Check(const std::wstring& path, HANDLE file, bool digestVouched,
                                  const PublisherPolicy& policy);
};
