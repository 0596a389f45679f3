// Sync at joining and on the GUI thread:
//  - Join/10000_clips: a machine joins a sync whose other machine offers 10,000 clips (its
//    checkpoint, clipsAtJoin set to 10,000) and 200 phrases: from opening the engine to every
//    clip applied in its store and its own checkpoint written (target: under 30 s).
//  - Capture/one_copy: what sync adds to the GUI thread for one copy saved: the save's
//    summary turned into an operation (no file or store access).
//  - Publish/one_copy: the worker's part for one copy: recorded, sealed, written and renamed.
//
//   sync_bench [benchmark flags]
//
// Its stores and folders are made in a temporary folder on every run.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "StoreGenerator.h"
#include "store/ClipItem.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageService.h"
#include "sync/HybridClock.h"
#include "sync/SyncCapture.h"
#include "sync/SyncCrypto.h"
#include "sync/SyncEngine.h"

namespace quillet::bench {

namespace {

constexpr int kJoinClips = 10'000;
constexpr int kPhrases = 200;
const QString kOffering = QStringLiteral("0000000000000001");
const QString kJoining = QStringLiteral("0000000000000002");

// The machine already syncing: its store and its checkpoint in the folder, made once.
struct Offer {
    QTemporaryDir dir;
    QByteArray key = SyncCrypto::newKey();
    HybridClock versions;
    QString folder() const { return dir.filePath(QStringLiteral("synced")); }

    bool make(QString& error) {
        auto storage = StorageService::open(dir.filePath(QStringLiteral("a.sqlite")), &error);
        if (!storage) return false;
        ClipTextGenerator texts(7);
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(1'800'000'000'000LL, Qt::UTC);
        for (int i = 0; i < kJoinClips; ++i)
            storage->context().insert(std::make_shared<ClipItem>(
                QString::fromStdString(texts.next()), start.addSecs(i)));
        auto category = std::make_shared<PhraseCategory>(QStringLiteral("Replies"), 0);
        storage->context().insert(category);
        for (int i = 0; i < kPhrases; ++i) {
            auto phrase = std::make_shared<PhraseItem>(QStringLiteral("reply %1").arg(i),
                                                       QString::fromStdString(texts.next()), i);
            phrase->setCategory(category);
            storage->context().insert(phrase);
        }
        if (!storage->context().save()) {
            error = QStringLiteral("the store's save failed");
            return false;
        }
        QDir().mkpath(folder());
        SyncEngine::Config config{storage->filePath(), folder(), kOffering, key, kJoinClips, 500};
        auto engine = SyncEngine::open(config, versions, &error);
        return engine && engine->writeCheckpoint(&error);
    }
};

void join(benchmark::State& state, Offer& offer) {
    for (auto _ : state) {
        QTemporaryDir dir;
        QString error;
        auto storage = StorageService::open(dir.filePath(QStringLiteral("b.sqlite")), &error);
        HybridClock versions;
        const qint64 began = nowNs();
        SyncEngine::Config config{storage->filePath(), offer.folder(), kJoining, offer.key,
                                  1000, 500};
        auto engine = SyncEngine::open(config, versions, &error);
        const bool fits = engine && engine->keyFitsFolder();
        const auto checkpoint = fits ? engine->writeCheckpoint(&error) : std::nullopt;
        const auto scan = engine->rescan(QDateTime::currentMSecsSinceEpoch());
        storage->noteChangesElsewhere(scan.changes.clipMoves, scan.changes.clips,
                                      scan.changes.phrases);
        const qint64 took = nowNs() - began;
        if (!checkpoint || scan.changes.applied < kJoinClips + kPhrases) {
            state.SkipWithError("joining did not apply the offer");
            return;
        }
        state.SetIterationTime(seconds(took));
        state.counters["applied"] = double(scan.changes.applied);
        // Its own checkpoint, dropped for the next run.
        QFile::remove(engine->config().folder + QStringLiteral("/Quillet/") + kJoining +
                      QStringLiteral("/000000000001.seg"));
    }
}

void capture(benchmark::State& state) {
    HybridClock versions;
    SaveSummary summary;
    summary.inserted.push_back(std::make_shared<ClipItem>(
        QStringLiteral("a copied sentence of ordinary length"), QDateTime::currentDateTimeUtc()));
    qint64 now = 1'800'000'000'000LL;
    for (auto _ : state)
        benchmark::DoNotOptimize(SyncCapture::operationsOf(summary, versions, ++now, kOffering));
}

void publish(benchmark::State& state) {
    QTemporaryDir dir;
    QString error;
    auto storage = StorageService::open(dir.filePath(QStringLiteral("c.sqlite")), &error);
    HybridClock versions;
    QDir().mkpath(dir.filePath(QStringLiteral("synced")));
    SyncEngine::Config config{storage->filePath(), dir.filePath(QStringLiteral("synced")),
                              kOffering, SyncCrypto::newKey(), 1000, 1'000'000};
    auto engine = storage ? SyncEngine::open(config, versions, &error) : nullptr;
    if (!engine) {
        state.SkipWithError(qPrintable(error));
        return;
    }
    ClipTextGenerator texts(3);
    for (auto _ : state) {
        SyncOperation op = SyncOperation::clip(SyncOperation::Kind::ClipAdded, QUuid::createUuid(),
                                               1, QString::fromStdString(texts.next()));
        if (engine->write({op}, &error).isEmpty()) state.SkipWithError("writing failed");
    }
}

}  // namespace

}  // namespace quillet::bench

int main(int argc, char** argv) {
    using namespace quillet::bench;
    benchmark::Initialize(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!quillet::SyncCrypto::initialize()) return 1;
    Offer offer;
    QString error;
    if (!offer.make(error)) {
        std::fprintf(stderr, "making the offering machine's store failed: %s\n",
                     qPrintable(error));
        return 1;
    }
    benchmark::RegisterBenchmark("Join/10000_clips",
                                 [&offer](benchmark::State& state) { join(state, offer); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("Capture/one_copy", capture)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("Publish/one_copy", publish)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(50);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
