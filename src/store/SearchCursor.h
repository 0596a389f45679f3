#pragma once

#include <QString>
#include <vector>

namespace quillet {

// The matches of one search, produced newest first a step at a time, so a caller can show
// the first ones while the rest are still being looked for.
class SearchCursor {
public:
    virtual ~SearchCursor() = default;
    // Appends the matches of one step to `rows`; false once the search is complete.
    virtual bool step(std::vector<qint64>& rows) = 0;

    // Runs to the end.
    void drain(std::vector<qint64>& rows) {
        while (step(rows)) {
        }
    }
};

}  // namespace quillet
