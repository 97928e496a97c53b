#pragma once

#include "FsFault.h"

#include <dlfcn.h>

// The fault library's functions, found at run time: test binaries link without the library and
// run with it preloaded. All null when it is not.
struct FsFaultControl
{
    template<typename Fn> static Fn find(const char *name)
    {
        return reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
    }
    bool loaded() const { return arm && disarm && count && fired; }

    decltype(&vaulnix_fsfault_arm) arm = find<decltype(arm)>("vaulnix_fsfault_arm");
    decltype(&vaulnix_fsfault_disarm) disarm = find<decltype(disarm)>("vaulnix_fsfault_disarm");
    decltype(&vaulnix_fsfault_count) count = find<decltype(count)>("vaulnix_fsfault_count");
    decltype(&vaulnix_fsfault_fired) fired = find<decltype(fired)>("vaulnix_fsfault_fired");
};
