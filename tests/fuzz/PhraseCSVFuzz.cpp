// libFuzzer target for the phrase file parser: any bytes parse without a crash, a hang or an
// undefined operation; the rows parsed read back the same after being written out; and text
// fed in two pieces parses as the whole of it, errors included.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "phrases/PhraseCSVParser.h"
#include "phrases/PhraseCSVService.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using quillet::PhraseCSVParser;
    using quillet::PhraseCSVService;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto rows = PhraseCSVService::parseCSV(text);
    if (PhraseCSVService::parseCSV(PhraseCSVService().exportRows(rows)) != rows) std::abort();

    const PhraseCSVParser::Limits limits{8, 16};
    PhraseCSVParser whole(limits);
    whole.feed(text);
    whole.finish();
    const qsizetype cut = size > 0 ? qsizetype(data[0]) % (text.size() + 1) : 0;
    PhraseCSVParser pieces(limits);
    pieces.feed(QStringView(text).left(cut));
    pieces.feed(QStringView(text).mid(cut));
    pieces.finish();
    if (pieces.error() != whole.error() || pieces.errorLine() != whole.errorLine() ||
        pieces.rows() != whole.rows())
        std::abort();
    return 0;
}
