#pragma once
// How far an install got; also the kind of usage event that reports it.
enum InstallState
{
    Start = 0,        // window shown, no install attempted
    UserAbort = 1,    // the user confirmed leaving
    DownloadFail = 2, // the package could not be downloaded
    DownloadSuc = 3,  // the package was downloaded but did not install
    Installed = 4     // the package ran and the settings were written
};
