/* Preloaded into a test process (LD_PRELOAD) to make libaacs, and libmmbd that stands in for
 * it, unreachable, as on a system without the package. libbluray finds its AACS library at
 * run time with dlopen, by fixed names in the system's library folders and after any
 * LIBAACS_PATH it is given, so no environment variable can hide it. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>

void *dlopen(const char *file, int mode)
{
    static void *(*real)(const char *, int);
    if (!real)
        real = (void *(*)(const char *, int))dlsym(RTLD_NEXT, "dlopen");
    if (file && (strstr(file, "libaacs") || strstr(file, "libmmbd")))
        return NULL;
    return real(file, mode);
}
