// The bench as a drop-in bridge library: the twelve operations with C linkage, nothing else
// visible (a version script hides the rest on ELF platforms).
#include "bench/Bench.h"

#ifdef _WIN32
#define TOLVIK_BENCH_API extern "C" __declspec(dllexport)
#else
#define TOLVIK_BENCH_API extern "C" __attribute__((visibility("default")))
#endif

// Each operation forwards to the bench's own. Both are declared from the one list, so their
// signatures match the PFN_CAN_* types the tool binds them as.
#define TOLVIK_BENCH_EXPORT(name, result, parameters, arguments) \
    TOLVIK_BENCH_API result CAN_CALLCONV name parameters {       \
        return bench::name arguments;                            \
    }
CAN_OPERATIONS(TOLVIK_BENCH_EXPORT)
