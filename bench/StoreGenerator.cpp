#include "StoreGenerator.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cstdio>
#include <memory>

#include "store/ClipItem.h"
#include "store/SqlStatement.h"
#include "store/StorageService.h"
#include "store/StoreSchema.h"

namespace quillet::bench {

namespace {

// Raised whenever the generated texts or the store layout change, so old caches are rebuilt.
constexpr int kGeneratorVersion = 2;
constexpr quint64 kStoreSeed = 0x5eedc11b0a2d2024ULL;
constexpr qint64 kBatch = 10'000;
constexpr qint64 kFirstTimestampMs = 1'700'000'000'000LL;
constexpr int kCommonPercent = 30;

const char* const kConsonants = "bcdfghjklmnprstvwz";
const char* const kVowels = "aeiou";
const char* const kForeignWords[] = {"café", "naïve",  "über",   "straße", "smörgåsbord",
                                     "déjà", "日本語", "привет", "señor",  "façade"};

// splitmix64: small, fast and the same everywhere, unlike the standard distributions.
quint64 splitmix64(quint64& state) {
    quint64 z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// Puts `word` at a word boundary of `text`, so it stays a whole word.
void plant(std::string& text, const std::string& word, quint64 random) {
    const size_t space = text.find(' ', size_t(random % text.size()));
    if (space == std::string::npos)
        text += ' ' + word;
    else
        text.insert(space + 1, word + ' ');
}

QString notesPath(const QString& storePath) {
    return storePath.chopped(int(qstrlen(".sqlite"))) + QStringLiteral(".notes");
}

void removeStore(const QString& path) {
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) QFile::remove(path + suffix);
}

bool readNotes(const QString& path, StoreInfo& info) {
    if (!QFileInfo::exists(path) || !QFileInfo::exists(notesPath(path))) return false;
    QSettings notes(notesPath(path), QSettings::IniFormat);
    if (notes.value("version").toInt() != kGeneratorVersion) return false;
    // A store of an older layout would be brought up to date by the first benchmark that
    // opens it, which then measures the index rebuild: it is generated again instead.
    if (notes.value("schema").toInt() != StoreSchema::version) return false;
    if (notes.value("clips").toLongLong() != info.clips) return false;
    info.textBytes = notes.value("textBytes").toLongLong();
    info.clipTableBytes = notes.value("clipTableBytes").toLongLong();
    info.searchIndexBytes = notes.value("searchIndexBytes").toLongLong();
    info.otherIndexBytes = notes.value("otherIndexBytes").toLongLong();
    info.rareMatches = notes.value("rareMatches").toLongLong();
    info.commonMatches = notes.value("commonMatches").toLongLong();
    info.oneCharacterMatches = notes.value("oneCharacterMatches").toLongLong();
    info.generationSeconds = notes.value("generationSeconds").toDouble();
    return true;
}

void writeNotes(const StoreInfo& info) {
    QSettings notes(notesPath(info.path), QSettings::IniFormat);
    notes.setValue("version", kGeneratorVersion);
    notes.setValue("schema", StoreSchema::version);
    notes.setValue("clips", info.clips);
    notes.setValue("textBytes", info.textBytes);
    notes.setValue("clipTableBytes", info.clipTableBytes);
    notes.setValue("searchIndexBytes", info.searchIndexBytes);
    notes.setValue("otherIndexBytes", info.otherIndexBytes);
    notes.setValue("rareMatches", info.rareMatches);
    notes.setValue("commonMatches", info.commonMatches);
    notes.setValue("oneCharacterMatches", info.oneCharacterMatches);
    notes.setValue("generationSeconds", info.generationSeconds);
    notes.sync();
}

// Page bytes per table and index, so the trigram index's share of the file is visible.
bool measurePages(sqlite3* db, StoreInfo& info) {
    SqlStatement pages(db, "SELECT name, sum(pgsize) FROM dbstat GROUP BY name");
    int rc;
    while ((rc = pages.step()) == SQLITE_ROW) {
        const QString name = pages.text(0);
        const qint64 bytes = pages.int64(1);
        if (name == QLatin1String("ClipItem"))
            info.clipTableBytes += bytes;
        else if (name.startsWith(QLatin1String("ClipTrigram")) ||
                 name.startsWith(QLatin1String("ClipSearch")))
            info.searchIndexBytes += bytes;
        else if (name.startsWith(QLatin1String("ClipItem_")) ||
                 name.startsWith(QLatin1String("sqlite_autoindex_ClipItem")))
            info.otherIndexBytes += bytes;
    }
    return rc == SQLITE_DONE;
}

bool generate(StoreInfo& info, QString* error) {
    const QString partial = info.path + QStringLiteral(".partial.sqlite");
    removeStore(partial);
    QElapsedTimer total;
    total.start();
    qint64 saveNs = 0;
    {
        auto storage = StorageService::open(partial, error);
        if (!storage) return false;
        StorageContext& context = storage->context();
        ClipTextGenerator texts(kStoreSeed);
        const std::string rare = kRareWord.toStdString();
        const std::string common = kCommonWord.toStdString();
        const char oneCharacter = kOneCharacter.toLatin1().at(0);
        qint64 nextRare = 1;
        for (qint64 i = 0; i < info.clips; ++i) {
            std::string text = texts.next();
            if (qint64(texts.random() % 100) < kCommonPercent) {
                plant(text, common, texts.random());
                ++info.commonMatches;
            }
            // Spread over the history's age: the rare clips sit at 1/6 .. 5/6 of it.
            if (nextRare <= kRareClips && i == nextRare * info.clips / (kRareClips + 1)) {
                plant(text, rare, texts.random());
                ++info.rareMatches;
                ++nextRare;
            }
            if (text.find(oneCharacter) != std::string::npos) ++info.oneCharacterMatches;
            info.textBytes += qint64(text.size());
            context.insert(std::make_shared<ClipItem>(
                QString::fromStdString(text),
                QDateTime::fromMSecsSinceEpoch(kFirstTimestampMs + i * 1000, Qt::UTC)));
            if ((i + 1) % kBatch == 0 || i + 1 == info.clips) {
                QElapsedTimer save;
                save.start();
                if (!context.save(error)) return false;
                saveNs += save.nsecsElapsed();
                if ((i + 1) % 100'000 == 0)
                    std::fprintf(stderr, "  %lld clips, %.1f s\n", static_cast<long long>(i + 1),
                                 double(total.nsecsElapsed()) / 1e9);
            }
        }
        info.generationSeconds = double(total.nsecsElapsed()) / 1e9;
        std::fprintf(stderr, "  generated in %.1f s, of which %.1f s in save()\n",
                     info.generationSeconds, double(saveNs) / 1e9);
        // Fold the journal into the file, so copies of the file alone are complete.
        if (!execSql(context.handle(), "PRAGMA wal_checkpoint(TRUNCATE)", error)) return false;
        if (!measurePages(context.handle(), info)) {
            *error = QStringLiteral("dbstat failed");
            return false;
        }
    }
    removeStore(info.path);
    if (!QFile::rename(partial, info.path)) {
        *error = QStringLiteral("cannot rename %1").arg(partial);
        return false;
    }
    removeStore(partial);
    writeNotes(info);
    return true;
}

}  // namespace

ClipTextGenerator::ClipTextGenerator(quint64 seed) : m_state(seed) {
    // A fixed vocabulary of made-up words of one to four syllables.
    quint64 state = seed ^ 0x243f6a8885a308d3ULL;
    const auto pick = [&state](size_t count) { return size_t(splitmix64(state) % count); };
    for (int i = 0; i < 4000; ++i) {
        std::string word;
        const size_t syllables = 1 + pick(4);
        for (size_t s = 0; s < syllables; ++s) {
            word += kConsonants[pick(qstrlen(kConsonants))];
            word += kVowels[pick(qstrlen(kVowels))];
            if (pick(3) == 0) word += kConsonants[pick(qstrlen(kConsonants))];
        }
        m_vocabulary.push_back(word);
    }
    for (const char* word : kForeignWords) m_vocabulary.push_back(word);
    for (int i = 0; i < 50; ++i) m_vocabulary.push_back(std::to_string(pick(100000)));
}

quint64 ClipTextGenerator::random() {
    return splitmix64(m_state);
}

size_t ClipTextGenerator::pickLength() {
    // Mostly short snippets, some paragraphs, a few long pastes: about 300 bytes on average.
    const quint64 kind = random() % 100;
    if (kind < 66) return 20 + random() % 181;
    if (kind < 93) return 200 + random() % 601;
    return 800 + random() % 1201;
}

std::string ClipTextGenerator::next() {
    const size_t target = pickLength();
    std::string text;
    text.reserve(target + 32);
    const size_t size = m_vocabulary.size();
    while (text.size() < target) {
        if (!text.empty()) {
            const quint64 separator = random() % 40;
            text += separator == 0 ? "\n" : separator == 1 ? ", " : separator == 2 ? ". " : " ";
        }
        // Skewed towards the front of the vocabulary, as real words are.
        const size_t index = std::min(random() % size, random() % size);
        const std::string& word = m_vocabulary[index];
        if (text.size() + word.size() > 2000) break;
        text += word;
    }
    return text;
}

StoreInfo ensureStore(const QString& folder, qint64 clips, QString* error) {
    StoreInfo info;
    info.clips = clips;
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create %1").arg(folder);
        return {};
    }
    info.path = QDir(folder).absoluteFilePath(QStringLiteral("clips-%1.sqlite").arg(clips));
    if (!readNotes(info.path, info)) {
        std::fprintf(stderr, "Generating %lld clips into %s\n", static_cast<long long>(clips),
                     qPrintable(info.path));
        info = StoreInfo{info.path, clips};
        if (!generate(info, error)) return {};
    }
    info.fileBytes = QFileInfo(info.path).size();
    return info;
}

bool parseBenchOptions(int& argc, char** argv, BenchOptions& options) {
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith("--bench_data=")) {
            options.folder = QFile::decodeName(arg.mid(qstrlen("--bench_data=")));
        } else if (arg.startsWith("--store_sizes=")) {
            options.sizes.clear();
            for (const QByteArray& size : arg.mid(qstrlen("--store_sizes=")).split(','))
                if (size.toLongLong() > 0) options.sizes.push_back(size.toLongLong());
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}

std::vector<StoreInfo> prepareStores(const BenchOptions& options) {
    const QString folder = options.folder.isEmpty()
                               ? QCoreApplication::applicationDirPath() + "/../bench-data"
                               : options.folder;
    std::vector<StoreInfo> stores;
    for (qint64 clips : options.sizes) {
        QString error;
        StoreInfo store = ensureStore(folder, clips, &error);
        if (store.path.isEmpty()) {
            std::fprintf(stderr, "cannot prepare the store of %lld clips: %s\n",
                         static_cast<long long>(clips), qPrintable(error));
            return {};
        }
        stores.push_back(std::move(store));
    }
    return stores;
}

}  // namespace quillet::bench
