#pragma once
// An entry point of a DLL loaded at run time, as the function pointer type it has; null when the DLL or the
// entry point is missing (an older Windows).
#include <windows.h>

template <typename Function>
Function ProcAddress(HMODULE module, const char* name)
{
    return module != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                             : nullptr;
}
