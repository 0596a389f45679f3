#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>
#include <string>
#include <vector>

namespace quillet::bench {

// Words the generated history plants on purpose. The vocabulary is lower-case ASCII plus a
// few accented words, so neither capitalised word can appear by accident.
inline const QString kRareWord = QStringLiteral("Zephyrquix");
inline const QString kCommonWord = QStringLiteral("Kettle");
inline const QString kOneCharacter = QStringLiteral("e");
// Short texts found only in the planted words: as rare as kRareWord, as common as kCommonWord.
inline const QString kRareOneCharacter = QStringLiteral("Z");
inline const QString kRareTwoCharacters = QStringLiteral("Ze");
inline const QString kCommonTwoCharacters = QStringLiteral("Ke");
constexpr int kRareClips = 5;

// Clip texts from a fixed seed: words from a fixed vocabulary, 20 to 2,000 bytes long and
// about 300 bytes on average. The same seed gives the same texts on every machine.
class ClipTextGenerator {
public:
    explicit ClipTextGenerator(quint64 seed);

    std::string next();
    quint64 random();

private:
    size_t pickLength();

    quint64 m_state;
    std::vector<std::string> m_vocabulary;
};

// What a generated store holds, measured while it was written and read back from its notes.
struct StoreInfo {
    QString path;
    qint64 clips = 0;
    qint64 textBytes = 0;         // UTF-8 bytes of every clip's content
    qint64 fileBytes = 0;         // the .sqlite file after a checkpoint
    qint64 clipTableBytes = 0;    // pages of the ClipItem table
    qint64 searchIndexBytes = 0;  // pages of the trigram index's tables
    qint64 otherIndexBytes = 0;   // id and timestamp indexes
    qint64 rareMatches = 0;
    qint64 commonMatches = 0;
    qint64 oneCharacterMatches = 0;
    double generationSeconds = 0;
};

// The store of `clips` generated clips in `folder`, written through StorageService the first
// time and reused afterwards. Empty path on failure, with `error` set.
StoreInfo ensureStore(const QString& folder, qint64 clips, QString* error);

// Clock readings for the benchmarks' manual timing.
inline qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
inline double seconds(qint64 ns) {
    return double(ns) / 1e9;
}
inline double millis(qint64 ns) {
    return double(ns) / 1e6;
}

// The flags every benchmark program takes besides Google Benchmark's own:
// --bench_data=<folder> (empty: the program's ../bench-data) and --store_sizes=<n>,<n>...
struct BenchOptions {
    QString folder;
    std::vector<qint64> sizes{10'000, 100'000, 1'000'000};
};

// Takes our flags out of argv (after benchmark::Initialize); false when an argument is left
// that neither knows.
bool parseBenchOptions(int& argc, char** argv, BenchOptions& options);

// Generates (or reuses) the store of every size the options name, in the options' folder
// (the program's ../bench-data when none was given; needs the core application). Prints the
// reason and returns an empty list when one cannot be prepared.
std::vector<StoreInfo> prepareStores(const BenchOptions& options);

}  // namespace quillet::bench
