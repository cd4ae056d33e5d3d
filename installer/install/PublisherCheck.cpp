#include "installer/install/PublisherCheck.h"

#include "installer/net/Sha256.h"

#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <imagehlp.h>

#include <cstdarg>
#include <cwchar>
#include <memory>

#ifndef PAVONEL_PINNED_SIGNER_KEYS
#define PAVONEL_PINNED_SIGNER_KEYS "" // comma-separated lower-case hex SHA-256 of the vendor's signing keys
#endif
#ifndef WTD_DISABLE_MD2_MD4
#define WTD_DISABLE_MD2_MD4 0x00002000
#endif

const wchar_t* const CPublisherCheck::kVendor = L"Tarvix";

namespace {

// One WinVerifyTrust verification of a file, with no user interface; its state (the signer and its chain)
// lives as long as the object.
class CTrustVerification
{
public:
    CTrustVerification(const std::wstring& path, HANDLE file, DWORD extraFlags, DWORD revocation)
    {
        m_file.cbStruct = sizeof(m_file);
        m_file.pcwszFilePath = path.c_str();
        m_file.hFile = file;
        m_data.cbStruct = sizeof(m_data);
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.dwUIContext = WTD_UICONTEXT_EXECUTE;
        m_data.fdwRevocationChecks = revocation;
        m_data.dwProvFlags = WTD_DISABLE_MD2_MD4 | extraFlags;
        if (revocation != WTD_REVOKE_NONE) m_data.dwProvFlags |= WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = &m_file;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_nStatus = Call();
    }
    ~CTrustVerification()
    {
        m_data.dwStateAction = WTD_STATEACTION_CLOSE;
        Call();
    }
    CTrustVerification(const CTrustVerification&) = delete;
    CTrustVerification& operator=(const CTrustVerification&) = delete;

    LONG Status() const { return m_nStatus; }

    // The certificate that signed the file (the first of its signer's chain), null when none was found.
    PCCERT_CONTEXT Signer() const
    {
        CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(m_data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer =
            provider != nullptr ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
        return signer != nullptr && signer->csCertChain > 0 ? signer->pasCertChain[0].pCert : nullptr;
    }

private:
    LONG Call()
    {
        GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
        return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &m_data);
    }

    WINTRUST_FILE_INFO m_file = {};
    WINTRUST_DATA m_data = {};
    LONG m_nStatus = TRUST_E_NOSIGNATURE;
};

bool RevocationUnknown(LONG status)
{
    return status == CERT_E_REVOCATION_FAILURE || status == CRYPT_E_REVOCATION_OFFLINE;
}

// A revocation server that cannot be reached now: the answers the machine already holds decide. With none at
// hand (a network that lets the vendor through but not the certificate authority, as many proxies do) the
// signature is judged without revocation, as TLS is: a certificate known to be revoked is still refused.
std::unique_ptr<CTrustVerification> Verify(const std::wstring& path, HANDLE file, bool& revocationUnknown)
{
    revocationUnknown = false;
    auto verification = std::make_unique<CTrustVerification>(path, file, 0, WTD_REVOKE_WHOLECHAIN);
    if (!RevocationUnknown(verification->Status())) return verification;
    verification.reset();
    verification =
        std::make_unique<CTrustVerification>(path, file, WTD_CACHE_ONLY_URL_RETRIEVAL, WTD_REVOKE_WHOLECHAIN);
    if (!RevocationUnknown(verification->Status())) return verification;
    verification.reset();
    revocationUnknown = true;
    return std::make_unique<CTrustVerification>(path, file, 0, WTD_REVOKE_NONE);
}

// Unsigned only when Windows finds no signature and the program's certificate table is readable and empty: a
// signature that Windows cannot even read, or a file that is no program, counts as badly signed.
bool IsUnsigned(LONG status, HANDLE file)
{
    if (status != TRUST_E_NOSIGNATURE && status != TRUST_E_SUBJECT_FORM_UNKNOWN && status != TRUST_E_PROVIDER_UNKNOWN)
        return false;
    DWORD count = 0;
    DWORD indices[8] = {};
    return ImageEnumerateCertificates(file, CERT_SECTION_TYPE_ANY, &count, indices, 8) && count == 0;
}

std::wstring NameOf(PCCERT_CONTEXT certificate, DWORD type, void* parameter)
{
    wchar_t name[256] = {};
    if (certificate == nullptr || CertGetNameStringW(certificate, type, 0, parameter, name, 256) <= 1)
        return std::wstring();
    return name;
}

std::wstring OrganisationOf(PCCERT_CONTEXT certificate)
{
    return NameOf(certificate, CERT_NAME_ATTR_TYPE, const_cast<char*>(szOID_ORGANIZATION_NAME));
}

std::string PublicKeySha256(PCCERT_CONTEXT certificate)
{
    BYTE* encoded = nullptr;
    DWORD size = 0;
    if (!CryptEncodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, &certificate->pCertInfo->SubjectPublicKeyInfo,
                             CRYPT_ENCODE_ALLOC_FLAG, nullptr, &encoded, &size))
        return std::string();
    CSha256 hash;
    hash.Update(encoded, size);
    LocalFree(encoded);
    return hash.FinishHex();
}

std::vector<std::string> ParseKeyList(const std::string& text)
{
    std::vector<std::string> keys;
    std::string key;
    for (size_t i = 0; i <= text.size(); ++i) {
        const char c = i < text.size() ? text[i] : ',';
        if (c == ',' || c == ';' || c == ' ') {
            if (!key.empty())
                keys.push_back(key);
            key.clear();
        } else {
            key += static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c);
        }
    }
    return keys;
}

std::wstring Format(const wchar_t* format, ...)
{
    wchar_t text[512];
    va_list arguments;
    va_start(arguments, format);
    vswprintf(text, 512, format, arguments);
    va_end(arguments);
    return text;
}

PublisherVerdict Refused(PublisherVerdict verdict, const std::wstring& why)
{
    verdict.allowed = false;
    verdict.detail = why;
    return verdict;
}

} // namespace

PublisherPolicy CPublisherCheck::ProductPolicy()
{
    return PublisherPolicy{kVendor, ParseKeyList(PAVONEL_PINNED_SIGNER_KEYS)};
}

PublisherVerdict CPublisherCheck::Check(const std::wstring& path, HANDLE file, bool digestVouched,
                                        const PublisherPolicy& policy)
{
    PublisherVerdict verdict;
    bool revocationUnknown = false;
    const std::unique_ptr<CTrustVerification> verification = Verify(path, file, revocationUnknown);
    const LONG status = verification->Status();
    if (IsUnsigned(status, file)) {
        verdict.allowed = digestVouched;
        verdict.detail = digestVouched ? L"unsigned, vouched for by the published SHA-256"
                                       : L"unsigned, and no published SHA-256 vouches for it";
        return verdict;
    }
    const PCCERT_CONTEXT signer = verification->Signer();
    const std::wstring organisation = OrganisationOf(signer);
    verdict.signer = !organisation.empty() ? organisation : NameOf(signer, CERT_NAME_SIMPLE_DISPLAY_TYPE, nullptr);
    const wchar_t* named = verdict.signer.empty() ? L"unknown" : verdict.signer.c_str();
    if (status != ERROR_SUCCESS || signer == nullptr)
        return Refused(verdict, Format(L"signature not valid (WinVerifyTrust 0x%08lX), signer %ls",
                                       static_cast<unsigned long>(status), named));
    if (organisation != policy.organisation)
        return Refused(verdict, Format(L"signed by %ls, not by %ls", named, policy.organisation.c_str()));
    if (!policy.pinnedKeys.empty()) {
        const std::string key = PublicKeySha256(signer);
        bool pinned = false;
        for (const std::string& allowed : policy.pinnedKeys)
            pinned = pinned || (!key.empty() && key == allowed);
        if (!pinned)
            return Refused(verdict, Format(L"signed by %ls with a key that is not pinned (SHA-256 %hs)", named,
                                           key.c_str()));
    }
    verdict.allowed = true;
    verdict.detail = Format(L"signed by %ls%ls", named,
                            revocationUnknown ? L" (revocation could not be checked: no answer, none cached)" : L"");
    return verdict;
}
