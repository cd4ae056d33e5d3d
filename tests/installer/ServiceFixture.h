#pragma once
// Test-side access to the stand-in vendor service (its control endpoints) and to what the sample package leaves.
#include <windows.h>

#include <string>
#include <vector>

namespace standin {

// Points every service host of the installer at the stand-in (127.0.0.1, the test ports).
void UseStandInHosts();
std::string HttpsBase(); // "https://127.0.0.1:<port>"
std::string HttpBase();  // "http://127.0.0.1:<port>"

// Default scenario, no events kept. Then merges `json` (an object text) into the scenario.
bool Reset();
bool SetScenario(const std::string& json);

// Usage-event bodies received so far, in order.
std::vector<std::string> Events();
// Waits until at least `count` bodies arrived (or the time is up) and returns them all.
std::vector<std::string> WaitForEvents(size_t count, DWORD timeoutMs);
// Request count of one path ("/down/down", ...).
int RequestCount(const std::string& path);

// One package request as the service saw it.
struct PackageTransfer
{
    std::string range;   // "Range" asked for ("" when none)
    std::string ifRange; // "If-Range" sent with it
    int status = 0;      // status answered
    long long start = 0; // first byte sent
    long long sent = 0;  // body bytes sent
};
std::vector<PackageTransfer> PackageTransfers();
// What the proxy stand-ins carried ("CONNECT 127.0.0.1:<port>", "GET http://...", "SOCKS5 CONNECT ..."), in order.
std::vector<std::string> Proxied();
std::string ProxyAddress(); // "127.0.0.1:<port>" of the HTTP proxy stand-in
std::string SocksAddress(); // "127.0.0.1:<port>" of the SOCKS4 and SOCKS5 one

// The sample package built beside the tests, as a Windows path.
std::wstring SamplePackagePath();
// SHA-256 (hex) of the public key the sample package is signed with, as the build computed it.
std::string VendorKeySha256();

// Small file and registry helpers.
bool FileExists(const std::wstring& path);
std::wstring ReadUtf8File(const std::wstring& path);
std::wstring TempPath(const wchar_t* name);
// An attacker's hard link: a file holding "victim", reachable under the name link as well.
bool PlantHardLink(const std::wstring& link, const std::wstring& victim);
// An attacker's symbolic link at `link` to the folder or file `target`: a real one where the system makes them,
// else (Wine) a Unix link inside the prefix, which shows as a reparse point.
bool PlantLink(const std::wstring& link, const std::wstring& target);
// Takes that link away, never its target (which removing it by its Windows name does under Wine).
void RemoveLink(const std::wstring& link);
void DeleteProductKey();
bool ReadProductPath(std::wstring& value);
bool CreateProductKey();

} // namespace standin
