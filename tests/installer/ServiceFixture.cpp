#include "ServiceFixture.h"

#include "installer/net/HttpTransfer.h"
#include "installer/net/ServiceHosts.h"
#include "installer/net/TextConvert.h"
#include "installer/net/WinHandle.h"

#include <json/json.h>

#include <memory>

#define PAVONEL_WIDEN2(x) L##x
#define PAVONEL_WIDEN(x) PAVONEL_WIDEN2(x)

namespace standin {

namespace {

const wchar_t* const kProductKey = L"Software\\tarvix\\Lumbra";

TransferLimits ControlLimits()
{
    TransferLimits limits;
    limits.connectTimeoutSec = 5;
    limits.totalTimeoutSec = 20;
    return limits;
}

bool Control(const char* path, const std::string& body)
{
    return CHttpTransfer::PostJson(HttpBase() + path, body, ControlLimits()).Succeeded();
}

Json::Value GetJson(const char* path)
{
    std::string body;
    Json::Value value;
    if (!CHttpTransfer::FetchToString(HttpBase() + path, body, ControlLimits()).Succeeded())
        return value;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    reader->parse(body.data(), body.data() + body.size(), &value, &errors);
    return value;
}

} // namespace

std::string HttpsBase()
{
    return "https://127.0.0.1:" + std::to_string(PAVONEL_TEST_HTTPS_PORT);
}

std::string HttpBase()
{
    return "http://127.0.0.1:" + std::to_string(PAVONEL_TEST_HTTP_PORT);
}

void UseStandInHosts()
{
    const std::wstring https = L"127.0.0.1:" + std::to_wstring(PAVONEL_TEST_HTTPS_PORT);
    const std::wstring http = L"127.0.0.1:" + std::to_wstring(PAVONEL_TEST_HTTP_PORT);
    CServiceHosts::OverrideForTesting(https, https, https, http);
}

bool Reset()
{
    return Control("/control/reset", "{}");
}

bool SetScenario(const std::string& json)
{
    return Control("/control/scenario", json);
}

std::vector<std::string> Events()
{
    std::vector<std::string> events;
    const Json::Value list = GetJson("/control/events");
    if (list.isArray())
        for (const Json::Value& item : list)
            events.push_back(item.asString());
    return events;
}

std::vector<std::string> WaitForEvents(size_t count, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    std::vector<std::string> events = Events();
    while (events.size() < count && GetTickCount() - start < timeoutMs) {
        Sleep(100);
        events = Events();
    }
    return events;
}

int RequestCount(const std::string& path)
{
    const Json::Value stats = GetJson("/control/stats");
    return stats.isObject() && stats[path].isInt() ? stats[path].asInt() : 0;
}

std::vector<std::string> Proxied()
{
    std::vector<std::string> carried;
    const Json::Value list = GetJson("/control/proxied");
    if (list.isArray())
        for (const Json::Value& item : list)
            carried.push_back(item.asString());
    return carried;
}

std::string ProxyAddress()
{
    return "127.0.0.1:" + std::to_string(PAVONEL_TEST_PROXY_PORT);
}

std::string SocksAddress()
{
    return "127.0.0.1:" + std::to_string(PAVONEL_TEST_SOCKS_PORT);
}

std::vector<PackageTransfer> PackageTransfers()
{
    std::vector<PackageTransfer> transfers;
    const Json::Value list = GetJson("/control/transfers");
    if (list.isArray())
        for (const Json::Value& item : list) {
            PackageTransfer transfer;
            transfer.range = item["range"].asString();
            transfer.ifRange = item["if_range"].asString();
            transfer.status = item["status"].asInt();
            transfer.start = item["start"].asInt64();
            transfer.sent = item["sent"].asInt64();
            transfers.push_back(transfer);
        }
    return transfers;
}

namespace {

// A file built on the Linux side; Wine shows the root file system as drive Z:.
std::wstring BuiltFile(const std::wstring& unixPath)
{
    std::wstring path = L"Z:" + unixPath;
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

} // namespace

std::wstring SamplePackagePath()
{
    return BuiltFile(PAVONEL_WIDEN(PAVONEL_SAMPLE_PACKAGE_PATH));
}

std::string VendorKeySha256()
{
    const std::wstring text = ReadUtf8File(BuiltFile(PAVONEL_WIDEN(PAVONEL_SIGNING_DIR) L"/tarvix-key.sha256"));
    return WideToUtf8String(text.substr(0, text.find_first_of(L"\r\n")));
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ReadUtf8File(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return Utf8ToWideString(bytes);
}

bool PlantHardLink(const std::wstring& link, const std::wstring& victim)
{
    DeleteFileW(link.c_str());
    DeleteFileW(victim.c_str());
    DWORD done = 0;
    {
        CWinHandle file(
            CreateFileW(victim.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid() || !WriteFile(file.Get(), "victim", 6, &done, nullptr) || done != 6)
            return false;
    }
    return CreateHardLinkW(link.c_str(), victim.c_str(), nullptr) != FALSE;
}

namespace {

typedef char*(__cdecl* UnixNameFunction)(const wchar_t*);

std::wstring UnixPath(const std::wstring& path)
{
    const auto unixName = reinterpret_cast<UnixNameFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    const std::wstring text = name != nullptr ? Utf8ToWideString(name) : std::wstring();
    HeapFree(GetProcessHeap(), 0, name);
    return text;
}

// Wine starts a Unix program named by its drive Z: path as a Unix process, whose end it does not wait for:
// the caller waits for what the program does.
bool RunUnix(const wchar_t* program, const std::wstring& arguments, const std::wstring& path, bool present)
{
    std::wstring line = std::wstring(L"\"") + program + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int wait = 0; wait < 100; ++wait, Sleep(20)) {
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(path.c_str(), &found);
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
        if ((find != INVALID_HANDLE_VALUE) == present)
            return true;
    }
    return false;
}

bool IsLink(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

} // namespace

bool PlantLink(const std::wstring& link, const std::wstring& target)
{
    const DWORD kind = (GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    if (CreateSymbolicLinkW(link.c_str(), target.c_str(), kind) && IsLink(link))
        return true;
    const std::wstring from = UnixPath(link), to = UnixPath(target);
    return !from.empty() && !to.empty() && RunUnix(L"Z:\\bin\\ln", L"-sT \"" + to + L"\" \"" + from + L"\"", link, true) &&
           (kind == 0 || IsLink(link));
}

void RemoveLink(const std::wstring& link)
{
    const std::wstring from = UnixPath(link);
    if (!from.empty())
        RunUnix(L"Z:\\bin\\rm", L"-f \"" + from + L"\"", link, false);
    else if (IsLink(link) && !RemoveDirectoryW(link.c_str()))
        DeleteFileW(link.c_str());
}

std::wstring TempPath(const wchar_t* name)
{
    wchar_t folder[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, folder);
    return std::wstring(folder) + name;
}

// The product is 32-bit: its key lives in the 32-bit registry view, where a 64-bit build must look too.
const REGSAM kProductView = KEY_WOW64_32KEY;

void DeleteProductKey()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_ALL_ACCESS | kProductView, &key) == ERROR_SUCCESS) {
        RegDeleteTreeW(key, nullptr);
        RegCloseKey(key);
    }
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kProductKey, kProductView, 0);
}

bool CreateProductKey()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS | kProductView, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

bool ReadProductPath(std::wstring& value)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProductKey, 0, KEY_READ | kProductView, &key) != ERROR_SUCCESS)
        return false;
    wchar_t buffer[600] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status = RegGetValueW(key, nullptr, L"Path", RRF_RT_REG_SZ, &type, buffer, &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS)
        return false;
    value = buffer;
    return true;
}

} // namespace standin
