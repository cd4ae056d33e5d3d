#pragma once
// The proxy the user's system settings give for an address (WinHTTP reads them): a fixed proxy with its
// bypass list from the current user's Internet settings, or an auto-configuration script / automatic
// detection resolved for the address. Addresses and proxies are libcurl's texts ("http://host:port").
#include <string>

class CSystemProxy
{
public:
    // "" for a direct connection, else the proxy as "http://host:port".
    static std::string ProxyFor(const std::string& url);

    // A bypass list entry ("*.example.com", "10.*", "<local>") matches this host.
    static bool Bypassed(const std::wstring& host, const std::wstring& bypassList);
    // The entry of a proxy list ("host:port", "http=h:p;https=h2:p2", "PROXY h:p; DIRECT") for a scheme;
    // "" when the list says to go direct.
    static std::wstring PickProxy(const std::wstring& proxyList, const std::wstring& scheme);
};
