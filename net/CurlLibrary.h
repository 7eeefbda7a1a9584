#pragma once

// libcurl's entry points, loaded the first time a request is made rather than linked into the
// program: libcurl pulls in a few dozen shared libraries (TLS, compression, IDN, ...) that would
// otherwise be loaded, relocated and kept in memory at every start of the window, although most
// sessions never ask for the public address.

#include <curl/curl.h>

namespace net {

struct CurlLibrary {
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_easy_getinfo) easy_getinfo;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_cleanup) multi_cleanup;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_multi_info_read) multi_info_read;
};

// The loaded and globally initialised library; it stays loaded until the program ends. Requests run
// on one thread only (the window's, or the command line's main thread), so the first load needs no lock.
// Throws WanRequestError when libcurl or one of its entry points cannot be loaded.
const CurlLibrary& LoadedCurl();

}  // namespace net
