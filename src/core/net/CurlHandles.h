#pragma once

#include <curl/curl.h>

namespace albumora {

// libcurl's process set-up, done once before the first handle is made.
void EnsureCurlGlobalInit();

// The calling thread's easy handle inside its own multi handle. Both live as long as the thread,
// so kept-alive connections, resolved names and TLS sessions carry over from one request of the
// thread to the next; nothing in them is shared with another thread.
struct CurlThreadHandles {
    CURL* easy = nullptr;
    CURLM* multi = nullptr;
};

// Null members when libcurl could not make the handles.
const CurlThreadHandles& ThreadCurlHandles();

}  // namespace albumora
