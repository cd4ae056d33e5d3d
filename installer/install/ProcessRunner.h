#pragma once
// Starts a program hidden and waits for it.
#include <winsock2.h> // ahead of windows.h for code that also includes libcurl
#include <windows.h>

struct ProcessRunParams
{
    wchar_t szProgram[260];     // the program, already in double quotes
    wchar_t szParameters[2048]; // its command-line parameters
    DWORD dwTimeoutMs;          // how long to wait; 0 = start only, do not wait
    HANDLE hCancelEvent;        // optional manual-reset event: once signalled the wait ends, the program is left running
};

// 1 when the program started and either (no wait requested) or (it ended within the time with a success code:
// 0, or one asking for a restart); 0 when it could not start, ended with another code, was still running at
// the limit (it is then ended, with everything it started) or the wait was cancelled (it is then left
// running). It runs in its own folder and inherits only the null device as its standard handles, so its
// output is discarded and a talkative program can never block on it. `exitCode`, when given, receives the
// program's exit code once it has ended by itself (else it is left as it was).
int RunProcessAndWait(const ProcessRunParams* params, DWORD* exitCode = nullptr);

// Windows Installer's codes for "installed, a restart is needed" (3010) and "installed, restart started" (1641),
// which setup programs of every kind return.
bool AsksForRestart(DWORD exitCode);
