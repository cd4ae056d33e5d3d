#pragma once
// Asks the maker's web service where the current online installer and offline package live.
#include <string>

struct DownloadAddresses
{
    std::wstring onlineUrl;  // at most 519 characters
    std::wstring offlineUrl; // at most 519 characters
    std::string sha256;      // published digest of the online installer, empty when the service gave none
};

class CDownloadUrlLookup
{
public:
    static std::string LookupUrl(const std::string& softType);  // https://<site>/tarvix/getDownUrl?softType=...
    static std::wstring FallbackOnlineUrl();                    // https://<download>/down/down?path=CORVEX_Online.exe
    static std::wstring FallbackOfflineUrl();                   // https://<download>/down/down?path=CORVEX_Offline.exe

    // Only http and https addresses are taken; one without a scheme is taken as https. Anything else
    // (file:, a local or network path, another scheme, control characters) gives "".
    static std::wstring NormaliseServiceUrl(const std::wstring& url);

    // Reads a reply. True when the reply counts ("state" 0 and a "data" object, or a string holding one):
    // then each address comes from the service, or from the built-in address when that member is missing,
    // not a string or not acceptable. False: both built-in addresses.
    static bool ParseReply(const std::string& body, DownloadAddresses& out);

    // Fetches and reads the reply (short time-outs); every failure gives the built-in addresses.
    static DownloadAddresses LookupDownloadUrl(const std::string& softType);
    // Starts what the lookup needs before its transfer and does not depend on the caller's other start-up
    // work (the proxy for the lookup address), so that it runs alongside that work.
    static void PrepareLookup(const std::string& softType);
};
