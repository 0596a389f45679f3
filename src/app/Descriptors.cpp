#include "app/Descriptors.h"

#include <dirent.h>
#include <sys/resource.h>

#include <algorithm>

namespace quillet::Descriptors {

long raiseLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? 1L << 20 : long(limit.rlim_cur);
}

long left() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
    if (limit.rlim_cur == RLIM_INFINITY) return 1L << 20;
    // Counting takes one descriptor itself, which is as it should be: none free, none counted.
    DIR* folder = ::opendir("/proc/self/fd");
    if (!folder) return 0;
    long open = -1;  // the folder's own descriptor is listed too
    while (const dirent* entry = ::readdir(folder))
        if (entry->d_name[0] != '.') ++open;
    ::closedir(folder);
    return std::max(0L, long(limit.rlim_cur) - open);
}

long reserve() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return 32;
    return std::clamp(long(limit.rlim_cur) / 8, 4L, 32L);
}

}  // namespace quillet::Descriptors
