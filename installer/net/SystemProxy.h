#pragma once
// The proxy the user's system settings give for an address (WinHTTP reads them): a fixed proxy with its
// bypass list from the current user's Internet settings, or an auto-configuration script / automatic
// detection resolved for the address. Addresses and proxies are libcurl's texts ("http://host:port").
#include <string>

class CSystemProxy
{
public:
    // "" for a direct connection, else the proxy as "http://host:port". Takes the answer of a prefetch
    // for the same address when there is one (waiting for it to end), else asks the system now.
    static std::string ProxyFor(const std::string& url);
    // Starts finding the proxy for an address on a worker thread, so that automatic detection (which may
    // wait on the network) runs while the caller does other work; the next ProxyFor of the same address takes
    // the answer. Without a thread nothing is prepared and ProxyFor asks itself.
    static void Prefetch(const std::string& url);

    // A bypass list entry ("*.example.com", "10.*", "<local>") matches this host.
    static bool Bypassed(const std::wstring& host, const std::wstring& bypassList);
    // The entry of a proxy list ("host:port", "http=h:p;https=h2:p2", "PROXY h:p; DIRECT") for a scheme;
    // "" when the list says to go direct.
    static std::wstring PickProxy(const std::wstring& proxyList, const std::wstring& scheme);

private:
    static std::string Discover(const std::string& url);
};
