#pragma once
// The proxies the system settings give for an address (WinHTTP reads them): the answer of a configuration
// script or of automatic detection, else the fixed proxy and bypass list of the current user's Internet
// settings, else the machine-wide WinHTTP proxy (`netsh winhttp set proxy`, what a service or a deployment
// tool running as SYSTEM has). Proxies are libcurl's texts: "http://h:p", "https://h:p", "socks4://h:p",
// "socks5://h:p"; "" is a direct connection.
#include <string>
#include <vector>

class CSystemProxy
{
public:
    // The proxies to try for `url`, in order, never an empty list. Proxies found unreachable earlier in this
    // run are left out while another entry remains.
    static std::vector<std::string> ProxiesFor(const std::string& url);
    // Starts running the configuration script for the address (automatic detection may wait on the network)
    // while the caller does other work; ProxiesFor takes the answer.
    static void Prefetch(const std::string& url);
    // A proxy of a ProxiesFor list could not be reached: later lists leave it out.
    static void MarkUnreachable(const std::string& proxy);

    // A bypass list entry ("*.example.com", "10.*", "<local>") matches this host.
    static bool Bypassed(const std::wstring& host, const std::wstring& bypassList);
    // The entries of a proxy list for a scheme, in order: a configuration script's answer ("PROXY h:p;
    // HTTPS h:p; SOCKS h:p; SOCKS5 h:p; DIRECT") or Windows' fixed form ("h:p", "http=h:p;https=h2:p2",
    // "socks=h:p"). Entries that are not a host and port are dropped.
    static std::vector<std::string> ParseProxyList(const std::wstring& proxyList, const std::wstring& scheme);

private:
    static std::vector<std::string> Discover(const std::string& url);
};
