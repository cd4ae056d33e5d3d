#pragma once
// Which failed downloads are worth another attempt, how long to pause before it, and what the user is told.
#include "installer/net/FailureKind.h"

#include <windows.h>

class CRetryPolicy
{
public:
    static constexpr int kMaxRetries = 3; // attempts after the first
    static constexpr DWORD kFirstPauseMs = 1000;

    // A transient failure (reset, refused, timed out, unresolved, cut short, HTTP 5xx / 408 / 429) may pass
    // on its own; anything else (other 4xx, refused certificate, write error, redirect refused) will not.
    static bool IsTransient(int curlCode, long httpStatus);
    // Pause before retry `retry` (1-based): first, twice that, four times that.
    static DWORD PauseBefore(int retry, DWORD firstPauseMs);
    // What a transfer failure means to the user.
    static FailureKind KindOf(int curlCode);
};
