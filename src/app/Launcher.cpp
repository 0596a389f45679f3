// The `quillet` executable. A key bound to `quillet --history-menu` should open the menu at
// once, and loading Qt alone (some sixty libraries, relocated and paged in) takes longer than
// the request; so the executable links none of it. A command line that is just one request
// for a running instance is sent from here; anything else, or a request that went wrong, is
// handed to the program proper, a library loaded now.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/FastRequest.h"

namespace {

constexpr const char* kProgramLibrary = "libquillet-program.so";

// The folder of this executable, from the kernel (empty if it cannot say).
std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    const std::string self(path, size_t(length));
    return self.substr(0, self.rfind('/'));
}

// Next to the executable in the build tree, in the private library folder once installed.
// The paths are spelled out rather than left to the run path, which a dlopen made through an
// interposed one (a sanitizer's) does not consult.
void* program() {
    const std::string folder = ownFolder();
    for (const std::string& candidate :
         {folder + "/" + kProgramLibrary,
          folder + "/../" + QUILLET_PRIVATE_LIBDIR + "/" + kProgramLibrary}) {
        if (folder.empty()) break;
        if (::access(candidate.c_str(), F_OK) != 0) continue;
        if (void* library = ::dlopen(candidate.c_str(), RTLD_LAZY | RTLD_LOCAL)) return library;
        std::fprintf(stderr, "quillet: cannot load the program: %s\n", ::dlerror());
        return nullptr;
    }
    void* library = ::dlopen(kProgramLibrary, RTLD_LAZY | RTLD_LOCAL);
    if (!library) std::fprintf(stderr, "quillet: cannot load the program: %s\n", ::dlerror());
    return library;
}

template <typename Function>
Function* symbol(void* library, const char* name) {
    auto* found = reinterpret_cast<Function*>(::dlsym(library, name));
    if (!found) std::fprintf(stderr, "quillet: the program lacks %s: %s\n", name, ::dlerror());
    return found;
}

}  // namespace

int main(int argc, char** argv) {
    using quillet::FastRequest;
    std::optional<FastRequest::Answer> answer;
    const std::optional<std::string> request = FastRequest::requestIn(argc, argv);
    if (request)
        answer = FastRequest::send(*request, FastRequest::socketPath(),
                                   FastRequest::timeoutFor(*request));
    if (answer && answer->done) {
        // The running instance words its status in the user's language.
        if (FastRequest::answerIsOutput(*request)) std::fputs(answer->details.c_str(), stdout);
        // A request's remarks, such as changes kept for the next start by --quit.
        else
            std::fputs(answer->details.c_str(), stderr);
        return 0;
    }

    void* library = program();
    if (!library) return 1;
    if (answer) {
        auto* report =
            symbol<int(const char*, int, const char*, const char*)>(library, "quilletReportAnswer");
        return report ? report(request->c_str(), 0, answer->reply.c_str(), answer->details.c_str())
                      : 1;
    }
    auto* programMain = symbol<int(int, char**)>(library, "quilletMain");
    return programMain ? programMain(argc, argv) : 1;
}
