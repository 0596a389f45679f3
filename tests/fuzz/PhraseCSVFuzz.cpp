// libFuzzer target for the phrase file parser: any bytes parse without a crash, a hang or an
// undefined operation, and the rows parsed read back the same after being written out.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "phrases/PhraseCSVService.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using quillet::PhraseCSVService;
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto rows = PhraseCSVService::parseCSV(text);
    if (PhraseCSVService::parseCSV(PhraseCSVService().exportRows(rows)) != rows) std::abort();
    return 0;
}
