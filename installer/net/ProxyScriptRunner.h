#pragma once
// Runs a proxy configuration script in this process, with the system's script engine (jsproxy), where
// Windows' proxy resolver service is not there to run it outside: as WinHTTP itself does on those systems.
// The script is downloaded once per run, each step of the download within a time limit.
#include <windows.h>
#include <winhttp.h>

#include <string>

class CProxyScriptRunner
{
public:
    // Limit of each step of a script's download: name resolution, connection, request, reply.
    static constexpr int kStepTimeoutMs = 2000;

    // The answer of the script at `scriptUrl` (or of the one automatic detection finds, when it is empty) for
    // `address` ("https://host/"), as the script returned it. False when there is no script, its download
    // fails, or it does not run.
    static bool Answer(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer);
    // Applies kStepTimeoutMs to a WinHTTP session.
    static void LimitSteps(HINTERNET session);

private:
    static bool Download(const std::wstring& location, std::string& script);
    static bool ReadScript(HINTERNET request, std::string& script);
    static bool Run(const std::string& script, const std::wstring& address, std::wstring& answer);
};
