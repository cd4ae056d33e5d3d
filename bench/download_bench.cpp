// Download throughput: the package download profile (progress on, digest, file hold) against a bare libcurl
// loop writing to a file, both fetching the same large package from the same server: the stand-in vendor
// service, or the HTTPS address given as second argument (bench/file_server.py, which is not the limit).
// Prints both throughputs and their ratio (goal: the profile keeps at least 0.95 of the bare loop).
//   bench_download.exe [bytes [url]]
#include "../tests/installer/ServiceFixture.h"

#include "installer/net/PackageDownload.h"
#include "installer/net/TextConvert.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

size_t WriteToFile(char* data, size_t size, size_t count, void* userdata)
{
    return fwrite(data, size, count, static_cast<FILE*>(userdata)) * size;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool BareLoop(const std::string& url, const std::wstring& target, double& seconds, long long& bytes)
{
    FILE* file = _wfopen(target.c_str(), L"wb");
    if (file == nullptr)
        return false;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, file);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const CURLcode code = curl_easy_perform(curl);
    QueryPerformanceCounter(&end);
    curl_off_t got = 0;
    curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &got);
    curl_easy_cleanup(curl);
    fclose(file);
    seconds = Seconds(start, end);
    bytes = got;
    return code == CURLE_OK;
}

} // namespace

int main(int argc, char** argv)
{
    const long long size = argc > 1 ? std::atoll(argv[1]) : 200LL * 1024 * 1024;
    curl_global_init(CURL_GLOBAL_ALL);
    const bool ownServer = argc > 2;
    standin::UseStandInHosts();
    if (!ownServer && (!standin::Reset() ||
        !standin::SetScenario("{\"package\":\"big\",\"big_size\":" + std::to_string(size) + "}"))) {
        std::printf("stand-in vendor service not reachable on %s\n", standin::HttpBase().c_str());
        return 1;
    }
    const std::string url = ownServer ? std::string(argv[2]) : standin::HttpsBase() + "/down/down?path=CORVEX_Online.exe";
    const std::wstring target = standin::TempPath(L"pavonel-bench.bin");

    // Profile and bare loop alternate twice; the better run of each counts, so a cold cache does not decide.
    double profileSeconds = 1e30;
    long long profileBytes = 0;
    int progressCalls = 0;
    double bareSeconds = 0;
    long long bareBytes = 0;
    for (int round = 0; round < 2; ++round) {
        CPackageDownload download([&progressCalls](int) { ++progressCalls; }, nullptr);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        const bool ok = download.Run(Utf8ToWideString(url), target, std::string());
        QueryPerformanceCounter(&end);
        download.ReleaseFile();
        if (!ok) {
            std::printf("profile download failed: %ls\n", download.GetResult().Describe().c_str());
            return 1;
        }
        profileBytes = download.GetBytes();
        profileSeconds = std::min(profileSeconds, Seconds(start, end));
        double seconds = 0;
        if (!BareLoop(url, target, seconds, bareBytes)) {
            std::printf("bare download failed\n");
            return 1;
        }
        bareSeconds = round == 0 ? seconds : std::min(bareSeconds, seconds);
    }
    DeleteFileW(target.c_str());
    if (!ownServer)
        standin::Reset();
    const double bare = static_cast<double>(bareBytes) / bareSeconds;
    const double profile = static_cast<double>(profileBytes) / profileSeconds;
    std::printf("bare libcurl loop : %8.1f MB/s (%lld bytes in %.2f s)\n", bare / 1e6, bareBytes, bareSeconds);
    std::printf("download profile  : %8.1f MB/s (%lld bytes in %.2f s, %d progress updates over two runs)\n",
                profile / 1e6, profileBytes, profileSeconds, progressCalls);
    std::printf("ratio profile/bare: %8.3f (goal >= 0.95)\n", profile / bare);
    curl_global_cleanup();
    return 0;
}
