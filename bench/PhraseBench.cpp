// The phrase library at scale: 1,000 categories, one of them with 10,000 phrases. Times the
// phrase window from creation to the big category painted, a drag that renumbers its 10,000
// phrases (through the list model, saved), the phrase menu from the request to painted, and a
// 100,000-row CSV file imported (read, parsed, inserted and shown) and exported (written), and
// placeholders filled in.
//
//   phrase_bench [benchmark flags]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. Its stores are made
// in a temporary folder on every run.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHash>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "StoreGenerator.h"
#include "UiWatch.h"
#include "fakes/FakeFileChooser.h"
#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualClock.h"
#include "history/ClipboardMonitor.h"
#include "menus/PhrasePaster.h"
#include "menus/QuickPhraseMenuService.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "phrases/PhraseCSVFile.h"
#include "phrases/PhraseCSVService.h"
#include "phrases/PhraseLibrary.h"
#include "phrases/PhraseListModels.h"
#include "phrases/PhraseManagementView.h"
#include "phrases/PlaceholderFiller.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StorageService.h"

namespace quillet::bench {

namespace {

constexpr int kCategories = 1'000;
constexpr int kBigCategory = 10'000;
constexpr int kFileRows = 100'000;

QString phraseBody(int i) {
    return QStringLiteral("Dear customer,\nthank you for message %1, \"quoted\" and, with commas.")
        .arg(i);
}

// The stores, made once per run.
struct Library {
    QTemporaryDir dir;
    std::unique_ptr<StorageService> storage;      // 1,000 categories, one with 10,000 phrases
    std::unique_ptr<StorageService> fileStorage;  // the category the CSV file is exported from
    std::shared_ptr<PhraseCategory> big;
    std::shared_ptr<PhraseCategory> exported;
    QString csvPath;
    test::FakeFileChooser chooser;
    PaintWatch paints;

    bool open(QString* error) {
        storage = StorageService::open(dir.filePath("phrases.sqlite"), error);
        fileStorage = StorageService::open(dir.filePath("file.sqlite"), error);
        if (!storage || !fileStorage) return false;
        StorageContext& context = storage->context();
        for (int c = 0; c < kCategories; ++c) {
            auto category =
                std::make_shared<PhraseCategory>(QStringLiteral("Category %1").arg(c), c);
            context.insert(category);
            const int phrases = c == 0 ? kBigCategory : 3;
            for (int p = 0; p < phrases; ++p) {
                auto phrase = std::make_shared<PhraseItem>(QStringLiteral("Phrase %1").arg(p),
                                                           phraseBody(p), p);
                phrase->setCategory(category);
                context.insert(phrase);
            }
            if (c == 0) big = category;
        }
        if (!context.save(error)) return false;

        exported = std::make_shared<PhraseCategory>(QStringLiteral("Exported"), 0);
        fileStorage->context().insert(exported);
        std::vector<PhraseRow> rows;
        for (int p = 0; p < kFileRows; ++p) {
            auto phrase =
                std::make_shared<PhraseItem>(QStringLiteral("Row %1").arg(p), phraseBody(p), p);
            phrase->setCategory(exported);
            fileStorage->context().insert(phrase);
            rows.push_back({phrase->title(), phrase->body()});
        }
        if (!fileStorage->context().save(error)) return false;
        csvPath = dir.filePath("rows.csv");
        *error = PhraseCSVFile::write(csvPath, PhraseCSVService().exportRows(rows));
        return error->isEmpty();
    }
};

std::unique_ptr<Library> library;

Library* libraryOrSkip(benchmark::State& state) {
    if (!library) {
        library = std::make_unique<Library>();
        QString error;
        if (!library->open(&error)) {
            state.SkipWithError(qPrintable(error));
            library.reset();
        }
    }
    return library.get();
}

// From creating the window to the big category's phrases painted.
void BM_WindowShowsTheBigCategory(benchmark::State& state) {
    Library* lib = libraryOrSkip(state);
    if (!lib) return;
    for (auto _ : state) {
        lib->paints.clear();
        const qint64 start = nowNs();
        auto view = std::make_unique<PhraseManagementView>(lib->storage->context(), lib->chooser);
        view->resize(800, 500);
        view->selectCategory(lib->big->id());
        view->show();
        auto* rows = view->findChild<QAbstractItemModel*>("phraseModel");
        auto* list = view->findChild<QListView*>("phraseList");
        const bool shown = processUntil([&] {
            return rows->rowCount() == kBigCategory && lib->paints.painted(list->viewport());
        });
        const qint64 end = nowNs();
        if (!shown) {
            state.SkipWithError("the phrases were not painted");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        view.reset();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_WindowShowsTheBigCategory)->UseManualTime()->Unit(benchmark::kMillisecond);

// A drag of the first phrase to the end: every phrase of the category renumbered and saved,
// and the list refreshed from the store.
void BM_DragRenumbersTheBigCategory(benchmark::State& state) {
    Library* lib = libraryOrSkip(state);
    if (!lib) return;
    PhraseLibrary phrases(lib->storage->context());
    PhraseListModel model(phrases);
    model.setCategory(lib->big);
    for (auto _ : state) {
        const qint64 start = nowNs();
        const bool moved = model.moveRows({}, 0, 1, {}, kBigCategory);
        const qint64 end = nowNs();
        if (!moved || lib->storage->context().hasChanges()) {
            state.SkipWithError("the move was not saved");
            return;
        }
        state.SetIterationTime(seconds(end - start));
    }
}
BENCHMARK(BM_DragRenumbersTheBigCategory)->UseManualTime()->Unit(benchmark::kMillisecond);

// From the request to the phrase menu painted.
void BM_PhraseMenuOpens(benchmark::State& state) {
    Library* lib = libraryOrSkip(state);
    if (!lib) return;
    test::FakePasteboard pasteboard;
    test::ManualClock clock;
    test::FakeWorkspace workspace;
    test::FakeKeyboardEvents keyboard;
    QString log;
    QTextStream logStream(&log);
    ClipboardMonitor monitor(pasteboard);
    AppFocusService focus(workspace, clock);
    PasteActionService paste(keyboard, pasteboard, clock, logStream);
    PhrasePaster paster(*lib->storage, paste, focus, monitor, clock);
    QuickPhraseMenuService menus(*lib->storage, focus, paster);
    for (auto _ : state) {
        lib->paints.clear();
        const qint64 start = nowNs();
        menus.showMenu();
        const bool shown = processUntil([&] { return lib->paints.shown(menus.menu()); });
        const qint64 end = nowNs();
        if (!shown) {
            state.SkipWithError("the menu was not painted");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        menus.menu()->hide();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_PhraseMenuOpens)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 100,000-row file read, parsed and saved into an empty category shown in a list model.
void BM_Import100kRows(benchmark::State& state) {
    Library* lib = libraryOrSkip(state);
    if (!lib) return;
    PhraseLibrary phrases(lib->fileStorage->context());
    PhraseListModel model(phrases);
    for (auto _ : state) {
        auto target = phrases.createCategory(QStringLiteral("Imported"));
        model.setCategory(target);
        const qint64 start = nowNs();
        phrases.importRows(target, PhraseCSVFile::parse(lib->csvPath).rows);
        const qint64 end = nowNs();
        if (model.rowCount() != kFileRows) {
            state.SkipWithError("the rows were not imported");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        model.setCategory(nullptr);
        phrases.deleteCategory(target);
    }
}
BENCHMARK(BM_Import100kRows)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The phrases of a 100,000-phrase category written to a file.
void BM_Export100kRows(benchmark::State& state) {
    Library* lib = libraryOrSkip(state);
    if (!lib) return;
    const QString out = lib->dir.filePath("export.csv");
    for (auto _ : state) {
        const qint64 start = nowNs();
        const QString reason =
            PhraseCSVFile::write(out, PhraseCSVService().exportCSV(lib->exported->items()));
        const qint64 end = nowNs();
        if (!reason.isEmpty()) {
            state.SkipWithError(qPrintable(reason));
            return;
        }
        state.SetIterationTime(seconds(end - start));
    }
}
BENCHMARK(BM_Export100kRows)->UseManualTime()->Unit(benchmark::kMillisecond);

// Placeholders filled in on the event loop as a phrase is pasted: a letter (a date, the
// clipboard, another phrase, a caret mark), then a phrase that fills in up to the size bound,
// the longest the loop can wait on one.
FillContext fillContext() {
    FillContext context;
    context.now = QDateTime::currentDateTime();
    context.clipboard = QStringLiteral("order 12345");
    context.lookup = [](const QString& category, const QString& title) -> std::optional<QString> {
        if (category == u"Mail" && title == u"Sign") return QStringLiteral("Regards,\nAnn");
        return std::nullopt;
    };
    return context;
}

void BM_FillALetter(benchmark::State& state) {
    const FillContext context = fillContext();
    const QString body = QStringLiteral(
        "Dear customer,\nabout {clipboard} of {date:d MMMM yyyy -2d}: {cursor}\n\n"
        "{phrase:Mail/Sign}\n{date:yyyy-MM-dd HH:mm}");
    for (auto _ : state) benchmark::DoNotOptimize(PlaceholderFiller::fill(body, context));
}
BENCHMARK(BM_FillALetter)->Unit(benchmark::kMicrosecond);

void BM_FillUpToTheSizeBound(benchmark::State& state) {
    FillContext context = fillContext();
    context.clipboard = QString(1024 * 1024, u'c');
    const QString body =
        QStringLiteral("{clipboard}")
            .repeated(int(PlaceholderFiller::maxOutputLength / context.clipboard->size()) + 1);
    for (auto _ : state) {
        const FilledPhrase filled = PlaceholderFiller::fill(body, context);
        if (filled.complete) state.SkipWithError("the bound was not reached");
    }
}
BENCHMARK(BM_FillUpToTheSizeBound)->Unit(benchmark::kMillisecond);

QtMessageHandler previousMessageHandler = nullptr;
void quietPlatformWarnings(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (previousMessageHandler) previousMessageHandler(type, context, message);
}

}  // namespace
}  // namespace quillet::bench

int main(int argc, char** argv) {
    using namespace quillet::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QApplication app(argc, argv);
    previousMessageHandler = qInstallMessageHandler(quietPlatformWarnings);
    benchmark::RunSpecifiedBenchmarks();
    library.reset();
    benchmark::Shutdown();
    return 0;
}
