#pragma once
// What the proxy configuration script of the user's settings (or the one automatic detection finds) answers
// for an address: its whole list, "PROXY a:1; SOCKS5 b:2; DIRECT", as the script returned it.
// Each answer is worked out once per run, on a worker thread, and waited for within a limit. A script that
// cannot be downloaded (or run), and detection that finds none, are remembered for the run.
#include <windows.h>

#include <string>

class CProxyScript
{
public:
    // Longest wait for one answer. Once a wait has run out, later ones do not wait for answers still being
    // worked out: the network that made the first one slow will not be quicker for the next address.
    static constexpr DWORD kWaitMs = 3000;

    // Starts working out the answer for `address` (scheme and host only: "https://host/") from the script at
    // `scriptUrl`, or from automatic detection when `scriptUrl` is empty. Nothing when known or under way.
    static void Start(const std::wstring& scriptUrl, const std::wstring& address);
    // The answer, waited for within kWaitMs. False when there is none: no script, a failed download, a script
    // that fails, detection that found nothing, or no answer in time.
    static bool AnswerFor(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer);

private:
    enum class Outcome { Answered, NoAnswer, Unavailable };

    static bool Resolve(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer);
    // Windows' proxy resolver service (Windows 8 and later), which runs the script outside this process.
    static Outcome ResolveBySystem(const std::wstring& scriptUrl, const std::wstring& address, std::wstring& answer);
};
