// History store benchmarks at 10,000 to 1,000,000 clips: recording a copy, reloading for a
// search text, and start-up until the first poll (in a fresh process).
//
//   history_bench [--bench_data=DIR] [--store_sizes=10000,100000] [benchmark flags]
//
// Stores are generated once into DIR (default: bench-data next to the build's bench folder)
// and reused; benchmarks that write work on a scratch copy.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "StoreGenerator.h"
#include "fakes/FakePasteboard.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "base/Clock.h"
#include "store/ClipItem.h"
#include "store/SqlStatement.h"
#include "store/StorageService.h"

namespace quillet::bench {

namespace {

const char* const kProbeFlag = "--startup_probe=";
constexpr quint64 kCopySeed = 0xc0ffee;

double megabytes(qint64 bytes) {
    return double(bytes) / 1e6;
}

// A field of /proc/self/status in kB (VmRSS, VmHWM), or -1.
qint64 statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLongLong();
    return -1;
}

// Share of the file's pages in the OS file cache, 0..1, or -1 when it cannot be told.
double cachedShare(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    double share = -1;
    if (::fstat(fd, &info) == 0 && info.st_size > 0) {
        void* map = ::mmap(nullptr, size_t(info.st_size), PROT_READ, MAP_SHARED, fd, 0);
        if (map != MAP_FAILED) {
            const long page = ::sysconf(_SC_PAGESIZE);
            std::vector<unsigned char> resident(size_t((info.st_size + page - 1) / page));
            if (::mincore(map, size_t(info.st_size), resident.data()) == 0) {
                size_t count = 0;
                for (unsigned char r : resident) count += r & 1;
                share = double(count) / double(resident.size());
            }
            ::munmap(map, size_t(info.st_size));
        }
    }
    ::close(fd);
    return share;
}

// Asks the kernel to forget the file's cached pages, so the next reader goes to the disk.
void dropFromOsCache(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// The view model's own queued loads: the benchmarks call loadItems() themselves, so the
// queued ones would only repeat the same load.
void dropQueuedLoads(HistoryViewModel& model) {
    QCoreApplication::removePostedEvents(&model, QEvent::MetaCall);
}

// A writable copy of a generated store (whose journal was folded into the file), removed
// with the object.
class ScratchStore {
public:
    explicit ScratchStore(const StoreInfo& store)
        : m_path(store.path + QStringLiteral(".scratch")) {
        remove();
        m_copied = QFile::copy(store.path, m_path) && flush();
    }
    ~ScratchStore() { remove(); }
    ScratchStore(const ScratchStore&) = delete;
    ScratchStore& operator=(const ScratchStore&) = delete;

    bool isValid() const { return m_copied; }
    const QString& path() const { return m_path; }

private:
    // Writes the copy out now: otherwise the first checkpoint's sync of the file would flush
    // the whole copy and be counted as the cost of a recorded clip.
    bool flush() const {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        const bool synced = ::fsync(fd) == 0;
        ::close(fd);
        return synced;
    }
    void remove() {
        for (const char* suffix : {"", "-wal", "-shm"}) QFile::remove(m_path + suffix);
    }
    QString m_path;
    bool m_copied = false;
};

double percentile(std::vector<qint64> values, double share) {
    if (values.empty()) return 0;
    const size_t index = std::min(values.size() - 1, size_t(share * double(values.size())));
    std::nth_element(values.begin(), values.begin() + qsizetype(index), values.end());
    return millis(values[index]);
}

// A store, a monitor over a fake clipboard and the view model, loaded as after start-up.
struct History {
    std::unique_ptr<StorageService> storage;
    test::FakePasteboard pasteboard;
    test::ManualClock clock;
    std::unique_ptr<ClipboardMonitor> monitor;
    std::unique_ptr<HistoryViewModel> model;

    bool open(const QString& path, QString* error) {
        storage = StorageService::open(path, error);
        if (!storage) return false;
        monitor = std::make_unique<ClipboardMonitor>(pasteboard);
        model = std::make_unique<HistoryViewModel>(*storage, *monitor, clock);
        model->loadItems();
        monitor->startMonitoring();
        dropQueuedLoads(*model);
        return true;
    }
};

// A new copy: the model stores it (one transaction) and the list is reloaded.
void recordCopy(benchmark::State& state, const StoreInfo& store) {
    QString error = QStringLiteral("cannot copy %1").arg(store.path);
    // Each run starts from the generated store, so the history grows only by this run's copies.
    const ScratchStore scratch(store);
    History history;
    if (!scratch.isValid() || !history.open(scratch.path(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    HistoryViewModel& model = *history.model;
    ClipTextGenerator texts(kCopySeed);
    qint64 saveNs = 0;
    qint64 loadNs = 0;
    std::vector<qint64> times;
    for (auto _ : state) {
        history.clock.advance(1000);
        const QString text = QString::fromStdString(texts.next());
        const qsizetype before = model.items().size();
        const qint64 start = nowNs();
        model.clipboardDidChange(text);
        const qint64 saved = nowNs();
        model.loadItems();
        const qint64 loaded = nowNs();
        state.SetIterationTime(seconds(loaded - start));
        saveNs += saved - start;
        loadNs += loaded - saved;
        times.push_back(loaded - start);

        dropQueuedLoads(model);
        const auto newest = model.items().at(0);
        if (model.items().size() != before + 1 || !newest || newest->content() != text) {
            state.SkipWithError("the new copy is not the newest clip");
            return;
        }
    }
    const double iterations = double(state.iterations());
    state.counters["save_ms"] = millis(saveNs) / iterations;
    state.counters["load_ms"] = millis(loadNs) / iterations;
    // Per copy, so an occasional checkpoint shows in the tail and not in the median.
    state.counters["p50_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
    state.counters["clips"] = double(model.items().size());
}

// Forgetting one clip from the middle of the first screenful, as from the panel: the
// deletion (row, index entries, overwritten pages) and the list reloaded. The log is emptied
// on a thread of its own; "checkpoint_ms" is the time until the last one ended.
void forgetClip(benchmark::State& state, const StoreInfo& store) {
    QString error = QStringLiteral("cannot copy %1").arg(store.path);
    const ScratchStore scratch(store);
    History history;
    if (!scratch.isValid() || !history.open(scratch.path(), &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    HistoryViewModel& model = *history.model;
    std::vector<qint64> times;
    for (auto _ : state) {
        const qsizetype before = model.items().size();
        const auto clip = model.items().at(50);
        const qint64 start = nowNs();
        model.forgetItem(clip);
        const qint64 end = nowNs();
        state.SetIterationTime(seconds(end - start));
        times.push_back(end - start);
        dropQueuedLoads(model);
        if (model.items().size() != before - 1 || model.items().at(50) == clip) {
            state.SkipWithError("the forgotten clip is still listed");
            return;
        }
    }
    bool truncated = false;
    const qint64 waitStart = nowNs();
    QObject::connect(history.storage.get(), &StorageService::logCheckpointed,
                     [&truncated](bool done) { truncated = done; });
    while (!truncated && millis(nowNs() - waitStart) < 30'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    state.counters["checkpoint_ms"] = truncated ? millis(nowNs() - waitStart) : -1;
    state.counters["p50_ms"] = percentile(times, 0.5);
    state.counters["p99_ms"] = percentile(times, 0.99);
}

// A reload for a search text typed after the full list was shown. The iteration time is what
// the user waits for: the first screenful (the load itself). The search then goes on in steps
// on the main loop; "complete_ms" is the time until the whole result is in.
void searchReload(benchmark::State& state, const StoreInfo& store, const QString& term,
                  qint64 expected, Qt::CaseSensitivity cs = Qt::CaseSensitive) {
    QString error;
    History history;
    // Nothing is written here, so the generated store itself is used.
    if (!history.open(store.path, &error)) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    HistoryViewModel& model = *history.model;
    model.setMatchCase(cs == Qt::CaseSensitive);
    double completeMs = 0;
    for (auto _ : state) {
        model.setSearchText(QString());
        model.loadItems();
        dropQueuedLoads(model);
        const qint64 start = nowNs();
        model.setSearchText(term);
        model.loadItems();
        state.SetIterationTime(seconds(nowNs() - start));
        while (model.isScanning()) QCoreApplication::processEvents();
        completeMs += millis(nowNs() - start);
        dropQueuedLoads(model);
        if (model.items().size() != expected) {
            state.SkipWithError(qPrintable(QStringLiteral("%1 matches for \"%2\", expected %3")
                                               .arg(model.items().size())
                                               .arg(term)
                                               .arg(expected)));
            return;
        }
    }
    const auto first = model.items().at(0);
    if (!first || !first->content().contains(term, cs)) {
        state.SkipWithError("the first row does not contain the search text");
        return;
    }
    state.counters["complete_ms"] = completeMs / double(state.iterations());
    state.counters["matches"] = double(model.items().size());
}

// How many clips hold `term` (ASCII) in any case, as SQLite's own LIKE counts them: a truth
// that shares no code with the search.
qint64 anyCaseMatches(const StoreInfo& store, const QString& term) {
    static std::map<std::pair<QString, QString>, qint64> counted;
    const auto key = std::make_pair(store.path, term);
    if (const auto known = counted.find(key); known != counted.end()) return known->second;
    sqlite3* db = nullptr;
    qint64 count = -1;
    if (sqlite3_open_v2(QFile::encodeName(store.path).constData(), &db, SQLITE_OPEN_READONLY,
                        nullptr) == SQLITE_OK) {
        SqlStatement query(db, QStringLiteral("SELECT count(*) FROM ClipItem WHERE content "
                                              "LIKE '%' || ?1 || '%'"));
        query.bind(1, term);
        if (query.step() == SQLITE_ROW) count = query.int64(0);
    }
    sqlite3_close(db);
    return counted[key] = count;
}

// Start-up in a fresh process (cold SQLite page cache); with `coldOsCache` the store's pages
// are also dropped from the kernel's file cache first.
void startUp(benchmark::State& state, const StoreInfo& store, bool coldOsCache) {
    std::map<std::string, double> sums;
    double cachedAtStart = 0;
    for (auto _ : state) {
        if (coldOsCache) dropFromOsCache(store.path);
        cachedAtStart += cachedShare(store.path);
        QProcess probe;
        probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 spawned = nowNs();
        probe.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(kProbeFlag) + store.path});
        if (!probe.waitForFinished(-1) || probe.exitCode() != 0) {
            state.SkipWithError("the start-up probe failed");
            return;
        }
        const qint64 exited = nowNs();
        // "name=value" pairs, one a line.
        std::map<std::string, double> figures;
        for (const QByteArray& line : probe.readAllStandardOutput().split('\n')) {
            const qsizetype equals = line.indexOf('=');
            if (equals > 0)
                figures[line.left(equals).toStdString()] = line.mid(equals + 1).toDouble();
        }
        if (figures["rows"] != double(store.clips)) {
            state.SkipWithError("the probe did not load the whole history");
            return;
        }
        state.SetIterationTime(seconds(qint64(figures["total_ns"])));
        sums["open_ms"] += millis(qint64(figures["open_ns"]));
        sums["load_ms"] += millis(qint64(figures["load_ns"]));
        sums["first_row_ms"] += millis(qint64(figures["first_row_ns"]));
        sums["process_ms"] += millis(exited - spawned);
        sums["rss_MB"] += figures["rss_kb"] / 1000;
        sums["peak_rss_MB"] += figures["hwm_kb"] / 1000;
    }
    const double iterations = double(state.iterations());
    for (const auto& [name, sum] : sums) state.counters[name] = sum / iterations;
    state.counters["os_cached_pct"] = 100 * cachedAtStart / iterations;
    if (!coldOsCache) {
        state.counters["file_MB"] = megabytes(store.fileBytes);
        state.counters["text_MB"] = megabytes(store.textBytes);
        state.counters["table_MB"] = megabytes(store.clipTableBytes);
        state.counters["trigram_MB"] = megabytes(store.searchIndexBytes);
        state.counters["indexes_MB"] = megabytes(store.otherIndexBytes);
        state.counters["generation_s"] = store.generationSeconds;
    }
}

// The child side of startUp: what the program does before its first poll, timed in phases.
int startupProbe(int argc, char** argv, const QString& path) {
    QCoreApplication app(argc, argv);
    const qint64 start = nowNs();
    QString error;
    auto storage = StorageService::open(path, &error);
    if (!storage) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const qint64 opened = nowNs();
    test::FakePasteboard pasteboard;
    pasteboard.copyText(QStringLiteral("on the clipboard before start-up"));
    SystemClock clock;
    ClipboardMonitor monitor(pasteboard);
    HistoryViewModel model(*storage, monitor, clock);
    model.loadItems();
    monitor.startMonitoring();
    const qint64 loaded = nowNs();
    const auto first = model.items().at(0);
    const qint64 done = nowNs();
    if (!first) return 1;
    std::printf("open_ns=%lld\nload_ns=%lld\nfirst_row_ns=%lld\ntotal_ns=%lld\n",
                static_cast<long long>(opened - start), static_cast<long long>(loaded - opened),
                static_cast<long long>(done - loaded), static_cast<long long>(done - start));
    std::printf("rss_kb=%lld\nhwm_kb=%lld\nrows=%lld\n", statusKb("VmRSS"), statusKb("VmHWM"),
                static_cast<long long>(model.items().size()));
    return 0;
}

// A store of the previous layout brought up to date: opening it, a first search while the
// index is rebuilt in the background, and the rebuild to its end. Runs when the folder holds
// v2-clips-<n>.sqlite, a store of <n> generated clips written by the previous version.
void migration(benchmark::State& state, const StoreInfo& store, const QString& oldStore) {
    StoreInfo old = store;
    old.path = oldStore;
    for (auto _ : state) {
        const ScratchStore scratch(old);
        QString error = QStringLiteral("cannot copy %1").arg(oldStore);
        const qint64 start = nowNs();
        auto storage = scratch.isValid() ? StorageService::open(scratch.path(), &error) : nullptr;
        const qint64 opened = nowNs();
        if (!storage) {
            state.SkipWithError(qPrintable(error));
            return;
        }
        const qsizetype matches = storage->fetchItems(kRareWord).size();
        const qint64 searched = nowNs();
        while (storage->isMigrating()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const qint64 end = nowNs();
        state.SetIterationTime(seconds(end - start));
        if (matches != store.rareMatches || storage->migrationProgress().done != store.clips ||
            storage->fetchItems(kRareTwoCharacters).size() != store.rareMatches) {
            state.SkipWithError("the migrated store does not find what it holds");
            return;
        }
        state.counters["open_ms"] = millis(opened - start);
        state.counters["first_search_ms"] = millis(searched - opened);
        state.counters["file_MB"] = megabytes(QFileInfo(scratch.path()).size());
    }
}

void registerBenchmarks(const StoreInfo& store) {
    const std::string size = "/clips:" + std::to_string(store.clips);
    const auto add = [](const std::string& name, auto&& function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    };
    // A fixed count keeps the history's growth per run small (1% at 10,000 clips).
    benchmark::RegisterBenchmark(("RecordCopy" + size).c_str(),
                                 [store](benchmark::State& state) { recordCopy(state, store); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(100);
    benchmark::RegisterBenchmark(("ForgetClip" + size).c_str(),
                                 [store](benchmark::State& state) { forgetClip(state, store); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(50);
    const std::pair<const char*, std::pair<QString, qint64>> searches[] = {
        {"rare", {kRareWord, store.rareMatches}},
        {"common", {kCommonWord, store.commonMatches}},
        {"one_char", {kOneCharacter, store.oneCharacterMatches}},
        {"one_char_rare", {kRareOneCharacter, store.rareMatches}},
        {"two_char_rare", {kRareTwoCharacters, store.rareMatches}},
        {"two_char_common", {kCommonTwoCharacters, store.commonMatches}},
    };
    for (const auto& [label, search] : searches) {
        const auto [term, expected] = search;
        add(std::string("SearchReload/") + label + size,
            [store, term, expected](benchmark::State& state) {
                searchReload(state, store, term, expected);
            });
    }
    // Match case off, typed in lower case as one does then; the same words found through
    // the same index, each match confirmed on the folded text.
    const std::pair<const char*, QString> anyCase[] = {
        {"rare", kRareWord.toLower()},
        {"common", kCommonWord.toLower()},
        {"one_char", kOneCharacter},
        {"two_char_rare", kRareTwoCharacters.toLower()},
    };
    for (const auto& [label, term] : anyCase) {
        add(std::string("SearchReload/any_case/") + label + size,
            [store, term](benchmark::State& state) {
                searchReload(state, store, term, anyCaseMatches(store, term), Qt::CaseInsensitive);
            });
    }
    const QString oldStore =
        QFileInfo(store.path)
            .dir()
            .absoluteFilePath(QStringLiteral("v2-clips-%1.sqlite").arg(store.clips));
    if (QFileInfo::exists(oldStore)) {
        benchmark::RegisterBenchmark(
            ("Migration" + size).c_str(),
            [store, oldStore](benchmark::State& state) { migration(state, store, oldStore); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(1);
    }
    add("StartUp/warm_os_cache" + size,
        [store](benchmark::State& state) { startUp(state, store, false); });
    add("StartUp/cold_os_cache" + size,
        [store](benchmark::State& state) { startUp(state, store, true); });
}

}  // namespace

}  // namespace quillet::bench

int main(int argc, char** argv) {
    using namespace quillet::bench;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith(kProbeFlag))
            return startupProbe(argc, argv, QFile::decodeName(arg.mid(qstrlen(kProbeFlag))));
    }

    benchmark::Initialize(&argc, argv);
    BenchOptions options;
    if (!parseBenchOptions(argc, argv, options)) return 1;

    QCoreApplication app(argc, argv);
    const std::vector<StoreInfo> stores = prepareStores(options);
    if (stores.empty()) return 1;
    for (const StoreInfo& store : stores) {
        std::fprintf(stderr,
                     "store %lld clips: file %.1f MB (text %.1f MB, clip table %.1f MB, trigram "
                     "index %.1f MB, other indexes %.1f MB), generated in %.1f s\n",
                     static_cast<long long>(store.clips), megabytes(store.fileBytes),
                     megabytes(store.textBytes), megabytes(store.clipTableBytes),
                     megabytes(store.searchIndexBytes), megabytes(store.otherIndexBytes),
                     store.generationSeconds);
        registerBenchmarks(store);
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
