#include "platform/os/module.h"

#include <dlfcn.h>

HMODULE ZnLoadLibrary(const char *path, std::string *error)
{
    if (!path) {
        if (error)
            *error = "no path";
        return nullptr;
    }
    dlerror();
    HMODULE module = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!module && error) {
        const char *text = dlerror();
        *error = text ? text : "unknown error";
    }
    return module;
}

void *ZnGetProcAddress(HMODULE module, const char *name)
{
    if (!module || !name)
        return nullptr;
    return dlsym(module, name);
}

void ZnFreeLibrary(HMODULE module)
{
    if (module)
        dlclose(module);
}
