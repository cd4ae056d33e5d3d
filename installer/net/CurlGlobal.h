#pragma once
// libcurl's process-wide state is given back at exit only when no thread of ours can still be inside libcurl:
// cleaning it up under a running transfer would pull the library out from under that thread.
class CCurlGlobal
{
public:
    // Cleans up when `workersEnded` (no install thread outlived its wait) and every usage report ends within its
    // exit wait. Otherwise leaves the state to the ending process and logs why. True when cleaned up.
    static bool CleanupAtExit(bool workersEnded);
};
