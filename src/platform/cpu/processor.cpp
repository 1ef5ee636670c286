#include "platform/cpu/processor.h"

#if defined(__x86_64__) || defined(__i386__)

bool ZnHasCarrylessMultiply()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    }();
    return has;
}

bool ZnHasWideCarrylessMultiply()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return ZnHasCarrylessMultiply() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
    }();
    return has;
}

bool ZnHasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2");
    }();
    return has;
}

#else

bool ZnHasCarrylessMultiply()
{
    return false;
}

bool ZnHasWideCarrylessMultiply()
{
    return false;
}

bool ZnHasAvx2()
{
    return false;
}

#endif
