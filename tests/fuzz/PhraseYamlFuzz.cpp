// libFuzzer target for the import of expanders' YAML match files: any bytes parse without a
// crash, a hang or an undefined operation, within the limits given; what is imported keeps
// its literal braces doubled and every placeholder closed, so no text of the file can turn
// into a placeholder it did not ask for.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "phrases/PhraseYamlImport.h"

namespace {

// Braces pair up: "{{" and "}}" are literal, and a single "{" opens a placeholder that closes
// before any other brace.
bool bracesBalanced(const QString& body) {
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body[i];
        if (c != u'{' && c != u'}') continue;
        if (i + 1 < body.size() && body[i + 1] == c) {
            ++i;
            continue;
        }
        if (c == u'}') return false;
        const qsizetype close = body.indexOf(u'}', i + 1);
        const qsizetype open = body.indexOf(u'{', i + 1);
        if (close < 0 || (open >= 0 && open < close)) return false;
        i = close;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillet;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    PhraseCSVFile::Limits limits;
    limits.parser.maxRows = 16;
    limits.parser.maxFieldBytes = 4096;
    const auto result = PhraseYamlImport::parse(bytes, limits);
    if (result.status != PhraseCSVFile::ParseResult::Status::Ok) {
        if (!result.rows.empty()) std::abort();
        return 0;
    }
    if (result.rows.empty() || qsizetype(result.rows.size()) > limits.parser.maxRows) std::abort();
    for (const PhraseRow& row : result.rows) {
        if (row.body.toUtf8().size() > limits.parser.maxFieldBytes) std::abort();
        if (!bracesBalanced(row.body)) std::abort();
    }
    return 0;
}
