#include "app/FrontHandOver.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <unistd.h>

// The program's front. A second start that only hands its files to the running window must
// cost little more than starting a process, so the front links nothing but the C library: it
// hands plain paths over itself, and for anything else (the first start, an option, a name
// it cannot judge exactly) loads the window module, which reads the command line with Qt and
// answers as the program always has.

namespace {

const char programName[] = "orvel-bluray-player";

// How long the quick road waits for the window's answer; one that does not answer in time
// gets the full road's patient tries.
constexpr int quickAnswerMs = 2000;

bool HandedOverQuickly(int argc, char *argv[])
{
    using namespace FrontHandOver;
    Bytes address;
    if (!ServerAddress(address) || ::access(address.Data(), F_OK) != 0) {
        return false;
    }
    char folder[PATH_MAX];
    Bytes request;
    return ::getcwd(folder, sizeof folder) && RequestFor(argc - 1, argv + 1, folder, request) &&
           Deliver(address.Data(), request, quickAnswerMs);
}

// The module sits beside the program in a build and in the program's library folder once
// installed; both are found from the program's own place, never from the search path.
int RunProgramModule(int argc, char *argv[])
{
    char folder[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", folder, sizeof folder - 1);
    if (length <= 0) {
        std::strcpy(folder, ".");
    } else {
        folder[length] = '\0';
        if (char *slash = std::strrchr(folder, '/')) {
            *slash = '\0';
        }
    }
    const char *const subfolders[] = {"", "/" ORVEL_RELATIVE_MODULE_FOLDER};
    FrontHandOver::Bytes failures;
    for (const char *subfolder : subfolders) {
        char candidate[PATH_MAX + 256];
        std::snprintf(candidate, sizeof candidate, "%s%s/%s", folder, subfolder,
                      ORVEL_WINDOW_MODULE);
        if (::access(candidate, F_OK) != 0) {
            continue;
        }
        void *module = ::dlopen(candidate, RTLD_LAZY | RTLD_LOCAL);
        using ProgramMain = int (*)(int, char **);
        const auto programMain =
            module ? reinterpret_cast<ProgramMain>(::dlsym(module, "OrvelProgramMain")) : nullptr;
        if (!programMain) {
            failures.Append("\n  ");
            failures.Append(::dlerror());
            continue;
        }
        return programMain(argc, argv);
    }
    std::fprintf(stderr, "%s: the window module %s could not be loaded from %s%s\n", programName,
                 ORVEL_WINDOW_MODULE, folder, failures.Data());
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (HandedOverQuickly(argc, argv)) {
        return 0;
    }
    return RunProgramModule(argc, argv);
}
