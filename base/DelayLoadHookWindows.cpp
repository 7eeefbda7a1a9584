// The loader of the DLLs linked with delay-load import libraries (cmake/DelayLoad.cmake): they are
// Windows' own DLLs, loaded from the system folder only, so that a DLL of the same name beside the
// program or in the current folder is never loaded in their place.

#include <windows.h>
// After windows.h, whose types it uses.
#include <delayimp.h>

namespace {

FARPROC WINAPI LoadFromSystemFolder(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary) {
        return nullptr;
    }
    // These DLLs are part of every Windows; only where one is missing from the system folder does
    // the null returned send the helper to the ordinary search.
    HMODULE library = ::LoadLibraryExA(info->szDll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return reinterpret_cast<FARPROC>(library);
}

}  // namespace

// Declared by delayimp.h; read by MinGW's delay-load helper before each DLL it loads.
PfnDliHook __pfnDliNotifyHook2 = LoadFromSystemFolder;
