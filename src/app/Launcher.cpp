// The `quillet` executable. A key bound to `quillet --history-menu` should open the menu at
// once, and loading Qt alone (some sixty libraries, relocated and paged in) takes longer than
// the request; so the executable links none of it. A command line that is just one request
// for a running instance is sent from here; anything else, or a request that went wrong, is
// handed to the program proper, a library loaded now.
#include <dlfcn.h>

#include <cstdio>

#include "app/FastRequest.h"

namespace {

// Found through the executable's run path: next to it in the build tree, in the private
// library folder once installed.
constexpr const char* kProgramLibrary = "libquillet-program.so";

void* program() {
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
    if (request) answer = FastRequest::send(*request, FastRequest::socketPath(), 3000);
    if (answer && answer->done) {
        if (*request == "status") std::printf("Quillet is running.\n%s", answer->details.c_str());
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
