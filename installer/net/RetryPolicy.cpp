#include "installer/net/RetryPolicy.h"

#include <curl/curl.h>

namespace {

bool IsTransientStatus(long status)
{
    return status == 408 || status == 429 || (status >= 500 && status <= 599);
}

} // namespace

bool CRetryPolicy::IsTransient(int curlCode, long httpStatus)
{
    switch (curlCode) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_SSL_CONNECT_ERROR: // a reset during the handshake; a refused certificate is CURLE_PEER_FAILED_VERIFICATION
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
        return true;
    case CURLE_HTTP_RETURNED_ERROR:
        return IsTransientStatus(httpStatus);
    default:
        return false;
    }
}

DWORD CRetryPolicy::PauseBefore(int retry, DWORD firstPauseMs)
{
    if (retry < 1)
        return 0;
    return firstPauseMs << (retry - 1 < 8 ? retry - 1 : 8);
}

FailureKind CRetryPolicy::KindOf(int curlCode)
{
    if (curlCode == 0)
        return FailureNone;
    if (curlCode == CURLE_HTTP_RETURNED_ERROR)
        return FailureServerRefused;
    if (curlCode == CURLE_WRITE_ERROR)
        return FailureDisk;
    if (curlCode == CURLE_UNSUPPORTED_PROTOCOL || curlCode == CURLE_TOO_MANY_REDIRECTS)
        return FailureServerRefused;
    return FailureConnection;
}
