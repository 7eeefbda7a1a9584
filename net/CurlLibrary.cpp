#include "net/CurlLibrary.h"

#include <memory>
#include <string>

#include <dlfcn.h>

#include "net/WanAddress.h"

namespace net {
namespace {

// The library's ABI has kept the soname libcurl.so.4 since 2006.
constexpr const char* kCurlSoname = "libcurl.so.4";

template <typename Function>
void Resolve(void* library, const char* name, Function& entry) {
    void* symbol = ::dlsym(library, name);
    if (symbol == nullptr) {
        throw WanRequestError(std::string("The HTTP library lacks ") + name + ".");
    }
    entry = reinterpret_cast<Function>(symbol);
}

struct LibraryCloser {
    void operator()(void* library) const { ::dlclose(library); }
};

CurlLibrary Load() {
    // Closed again when an entry point is missing, since a failed load is tried afresh at the next
    // request.
    std::unique_ptr<void, LibraryCloser> library(::dlopen(kCurlSoname, RTLD_NOW | RTLD_LOCAL));
    if (!library) {
        const char* reason = ::dlerror();
        throw WanRequestError(std::string("The HTTP library could not be loaded: ") +
                              (reason != nullptr ? reason : kCurlSoname));
    }
    CurlLibrary curl{};
    decltype(&curl_global_init) global_init = nullptr;
    Resolve(library.get(), "curl_global_init", global_init);
    Resolve(library.get(), "curl_easy_init", curl.easy_init);
    Resolve(library.get(), "curl_easy_cleanup", curl.easy_cleanup);
    Resolve(library.get(), "curl_easy_setopt", curl.easy_setopt);
    Resolve(library.get(), "curl_easy_strerror", curl.easy_strerror);
    Resolve(library.get(), "curl_easy_getinfo", curl.easy_getinfo);
    Resolve(library.get(), "curl_multi_init", curl.multi_init);
    Resolve(library.get(), "curl_multi_cleanup", curl.multi_cleanup);
    Resolve(library.get(), "curl_multi_add_handle", curl.multi_add_handle);
    Resolve(library.get(), "curl_multi_remove_handle", curl.multi_remove_handle);
    Resolve(library.get(), "curl_multi_perform", curl.multi_perform);
    Resolve(library.get(), "curl_multi_poll", curl.multi_poll);
    Resolve(library.get(), "curl_multi_info_read", curl.multi_info_read);
    // From its global initialisation on, the library and what it loaded stay for the rest of the
    // program, even when that fails: unloading them then could leave exit handlers pointing nowhere.
    static_cast<void>(library.release());
    if (global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        throw WanRequestError("The HTTP library could not be initialised.");
    }
    return curl;
}

}  // namespace

const CurlLibrary& LoadedCurl() {
    // A failed load is not remembered, so that a later click tries again.
    static CurlLibrary loaded{};
    static bool ready = false;
    if (!ready) {
        loaded = Load();
        ready = true;
    }
    return loaded;
}

}  // namespace net
