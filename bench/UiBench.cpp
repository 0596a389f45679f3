// What the user waits for on screen at 10,000 to 1,000,000 clips: the history menu from the
// request to a painted menu, the search panel from the request to a shown and loaded list,
// one keystroke in the search field to the updated list, and the settings window to painted.
//
//   ui_bench [--bench_data=DIR] [--store_sizes=10000,100000] [benchmark flags]
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise. The stores are the
// ones history_bench generates (into the same DIR) and are only read here.

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QFile>
#include <QHash>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "StoreGenerator.h"
#include "UiWatch.h"
#include "fakes/FakeFileChooser.h"
#include "fakes/FakeKeyboardEvents.h"
#include "fakes/FakePasteboard.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualClock.h"
#include "settings/TestSettings.h"
#include "history/ClipboardMonitor.h"
#include "history/HistoryViewModel.h"
#include "menus/HistorySearchView.h"
#include "menus/KeyedMenu.h"
#include "menus/PanelCoordinator.h"
#include "menus/QuickMenuService.h"
#include "paste/AppFocusService.h"
#include "paste/PasteActionService.h"
#include "settings/SettingsView.h"
#include "store/StorageService.h"

namespace quillet::bench {

namespace {

// Long enough for a full scan of a million clips on a slow machine; a wait that takes
// longer is a hang, reported as an error rather than a number.

double median(std::vector<qint64> values) {
    if (values.empty()) return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + qsizetype(middle), values.end());
    return millis(values[middle]);
}

// The program's menu and panel services over a generated store, with fake platform services.
struct Ui {
    qint64 clips = 0;
    std::unique_ptr<StorageService> storage;
    test::FakePasteboard pasteboard;
    test::ManualClock clock;
    test::FakeWorkspace workspace;
    test::FakeKeyboardEvents keyboard;
    test::FakeFileChooser chooser;
    QString log;
    QTextStream logStream{&log};
    std::unique_ptr<ClipboardMonitor> monitor;
    std::unique_ptr<HistoryViewModel> model;
    std::unique_ptr<AppFocusService> focus;
    std::unique_ptr<PasteActionService> paste;
    test::TestSettings settings;
    std::unique_ptr<PanelCoordinator> panels;
    std::unique_ptr<QuickMenuService> menus;
    PaintWatch paints;
    // The first show of the panel in the process: it builds the panel's widgets.
    qint64 firstPanelShowNs = 0;
    // Rows of the list on one screen of the panel.
    int screenful = 0;

    bool open(const StoreInfo& store, QString* error) {
        clips = store.clips;
        workspace.frontmost = RunningApplication{7, 70, QStringLiteral("editor")};
        storage = StorageService::open(store.path, error);
        if (!storage) return false;
        monitor = std::make_unique<ClipboardMonitor>(pasteboard);
        model = std::make_unique<HistoryViewModel>(*storage, *monitor, clock);
        focus = std::make_unique<AppFocusService>(workspace, clock);
        paste = std::make_unique<PasteActionService>(keyboard, pasteboard, clock, logStream);
        panels = std::make_unique<PanelCoordinator>(*model, settings.model, *focus, *paste, clock,
                                                    storage->context(), chooser);
        menus = std::make_unique<QuickMenuService>(*model, *paste, *focus, *panels);
        // As after start-up: the history is loaded before anything is shown.
        if (!processUntil([this] { return !model->isLoadScheduled(); })) return fail(error);

        const qint64 start = nowNs();
        panels->showHistoryPanel();
        if (!processUntil([this] { return isPanelShown(); })) return fail(error);
        QCoreApplication::processEvents();
        firstPanelShowNs = nowNs() - start;
        QListView* list = panels->searchView()->listView();
        const int rowHeight = std::max(1, list->sizeHintForRow(0));
        screenful = (list->viewport()->height() + rowHeight - 1) / rowHeight;
        hidePanel();
        return true;
    }

    bool isPanelShown() const {
        return panels->searchPanel() && panels->searchPanel()->isVisible() &&
               !model->isLoadScheduled();
    }

    void hidePanel() {
        if (panels->searchPanel()) panels->searchPanel()->hide();
        QCoreApplication::processEvents();
    }

    QLineEdit* field() const { return panels->searchView()->findChild<QLineEdit*>("searchField"); }
    int rowCount() const { return panels->searchView()->listView()->model()->rowCount(); }

    // Puts `text` in the shown panel's field as if it had been typed, and waits until the
    // list shows it completely.
    bool typeAhead(const QString& text) {
        field()->setText(text);
        model->setSearchText(text);
        return processUntil([this] { return !model->isLoadScheduled() && !model->isScanning(); });
    }

private:
    static bool fail(QString* error) {
        *error = QStringLiteral("the event loop did not settle");
        return false;
    }
};

// One open store at a time: the benchmarks of a size run one after another, and a million
// clips are worth loading once. Released before the application object goes.
std::unique_ptr<Ui> current;

Ui* uiFor(const StoreInfo& store, QString* error) {
    if (current && current->clips == store.clips) return current.get();
    current.reset();
    auto ui = std::make_unique<Ui>();
    if (!ui->open(store, error)) return nullptr;
    current = std::move(ui);
    return current.get();
}

// The offscreen platform warns on every raise() and keyboard grab; that is not news.
QtMessageHandler previousMessageHandler = nullptr;

void quietRaiseWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (previousMessageHandler)
        previousMessageHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void sendKey(QWidget* target, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

// The UI over `store`, or nullptr once the benchmark is marked as skipped with the reason.
Ui* uiOrSkip(benchmark::State& state, const StoreInfo& store) {
    QString error;
    Ui* ui = uiFor(store, &error);
    if (!ui) state.SkipWithError(qPrintable(error));
    return ui;
}

// From the hot key's request to the menu painted on screen.
void historyMenu(benchmark::State& state, const StoreInfo& store) {
    Ui* ui = uiOrSkip(state, store);
    if (!ui) return;
    ui->hidePanel();
    std::vector<qint64> times;
    qint64 callNs = 0;
    for (auto _ : state) {
        ui->paints.clear();
        const qint64 start = nowNs();
        ui->menus->showMenu();
        const qint64 returned = nowNs();
        const bool shown = processUntil([ui] { return ui->paints.shown(ui->menus->menu()); });
        const qint64 end = nowNs();
        if (!shown) {
            state.SkipWithError("the menu was not painted");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        times.push_back(end - start);
        callNs += returned - start;

        ui->menus->menu()->hide();
        if (!processUntil([ui] { return !ui->model->isLoadScheduled(); })) {
            state.SkipWithError("the menu's reload did not run");
            return;
        }
    }
    state.counters["p50_ms"] = median(times);
    state.counters["call_ms"] = millis(callNs) / double(state.iterations());
    state.counters["entries"] = double(ui->menus->menu()->actions().size());
}

// From the request to the panel on screen with its first load done. With `lastSearch` the
// panel was hidden while it listed the matches of that text, as after a search that was
// left without choosing: the show goes back to the whole history.
void searchPanel(benchmark::State& state, const StoreInfo& store, const QString& lastSearch,
                 qint64 lastMatches) {
    Ui* ui = uiOrSkip(state, store);
    if (!ui) return;
    QListView* list = ui->panels->searchView()->listView();
    std::vector<qint64> times;
    qint64 callNs = 0;
    for (auto _ : state) {
        if (!lastSearch.isEmpty()) {
            if (!ui->typeAhead(lastSearch) || ui->rowCount() != lastMatches) {
                state.SkipWithError("the list of the last search did not load");
                return;
            }
        }
        ui->hidePanel();
        ui->paints.clear();
        const qint64 start = nowNs();
        ui->panels->showHistoryPanel();
        const qint64 returned = nowNs();
        // The load is queued before the window's first paint, so a painted list shows it.
        const bool shown = processUntil(
            [ui, list] { return ui->isPanelShown() && ui->paints.painted(list->viewport()); });
        const qint64 end = nowNs();
        if (!shown) {
            state.SkipWithError("the panel was not shown with its list");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        times.push_back(end - start);
        callNs += returned - start;
        if (ui->rowCount() != int(store.clips)) {
            state.SkipWithError("the panel does not list the whole history");
            return;
        }
    }
    ui->hidePanel();
    state.counters["p50_ms"] = median(times);
    state.counters["call_ms"] = millis(callNs) / double(state.iterations());
    state.counters["first_show_ms"] = millis(ui->firstPanelShowNs);
}

// One key typed into the field holding `prefix` until the list shows the matches of
// `prefix + key`: timed until the list shows its first screenful (every match when fewer
// fit). A search that goes on in steps after that reports its end as scan_done_ms.
void keystroke(benchmark::State& state, const StoreInfo& store, const QString& prefix, Qt::Key key,
               const QString& keyText, qint64 expected) {
    Ui* ui = uiOrSkip(state, store);
    if (!ui) return;
    const QString term = prefix + keyText;
    const int firstRows = int(std::min<qint64>(ui->screenful, expected));
    ui->panels->showHistoryPanel();
    if (!processUntil([ui] { return ui->isPanelShown(); })) {
        state.SkipWithError("the panel was not shown");
        return;
    }
    std::vector<qint64> times;
    std::vector<qint64> scanTimes;
    // When the view model had its new list, so the rest can be told from it: the list view
    // taking the new rows and painting them.
    std::vector<qint64> loadTimes;
    qint64 start = 0;
    qint64 loaded = 0;
    const QMetaObject::Connection loadWatch = QObject::connect(
        ui->model.get(), &HistoryViewModel::itemsChanged, [&loaded] { loaded = nowNs(); });
    for (auto _ : state) {
        if (!ui->typeAhead(prefix)) {
            state.SkipWithError("the list for the text before the keystroke did not load");
            break;
        }
        start = nowNs();
        loaded = 0;
        sendKey(ui->field(), key, keyText);
        const bool updated = processUntil([ui, &term, firstRows] {
            return ui->model->searchText() == term && !ui->model->isLoadScheduled() &&
                   ui->rowCount() >= firstRows;
        });
        const qint64 end = nowNs();
        if (!updated) {
            state.SkipWithError("the list did not update after the keystroke");
            break;
        }
        state.SetIterationTime(seconds(end - start));
        times.push_back(end - start);
        // An unchanged list (the same matches as before the keystroke) signals nothing.
        if (loaded != 0 && loaded <= end) loadTimes.push_back(loaded - start);
        if (!processUntil([ui] { return !ui->model->isScanning(); })) {
            state.SkipWithError("the scan did not finish");
            break;
        }
        scanTimes.push_back(nowNs() - start);
        if (ui->rowCount() != expected || !ui->panels->searchPanel()->isVisible()) {
            state.SkipWithError(qPrintable(QStringLiteral("%1 rows for \"%2\", expected %3")
                                               .arg(ui->rowCount())
                                               .arg(term)
                                               .arg(expected)));
            break;
        }
    }
    QObject::disconnect(loadWatch);
    if (state.error_occurred()) return;
    if (!loadTimes.empty()) state.counters["load_p50_ms"] = median(loadTimes);
    state.counters["p50_ms"] = median(times);
    state.counters["first_rows"] = firstRows;
    double sum = 0;
    for (qint64 t : scanTimes) sum += millis(t);
    state.counters["scan_done_ms"] = sum / double(scanTimes.size());
    state.counters["scan_done_p50_ms"] = median(scanTimes);
    state.counters["matches"] = double(expected);
}

// From the request to a fresh settings window painted on screen (each iteration closes the
// window first, so every show builds it anew, as after the user closed it).
void settingsWindow(benchmark::State& state, const StoreInfo& store) {
    Ui* ui = uiOrSkip(state, store);
    if (!ui) return;
    ui->hidePanel();
    std::vector<qint64> times;
    for (auto _ : state) {
        ui->paints.clear();
        const qint64 start = nowNs();
        ui->panels->showSettingsWindow();
        const bool shown =
            processUntil([ui] { return ui->paints.shown(ui->panels->settingsWindow()); });
        const qint64 end = nowNs();
        if (!shown) {
            state.SkipWithError("the settings window was not painted");
            return;
        }
        state.SetIterationTime(seconds(end - start));
        times.push_back(end - start);
        ui->panels->settingsWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    state.counters["p50_ms"] = median(times);
}

void registerBenchmarks(const StoreInfo& store) {
    const std::string size = "/clips:" + std::to_string(store.clips);
    const auto add = [](const std::string& name, int iterations, auto&& function) {
        benchmark::RegisterBenchmark(name.c_str(), function)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(iterations);
    };
    add("HistoryMenuShown" + size, 20,
        [store](benchmark::State& state) { historyMenu(state, store); });
    add("SearchPanelShown" + size, 20,
        [store](benchmark::State& state) { searchPanel(state, store, QString(), 0); });
    add("SearchPanelShown/after_search" + size, 10, [store](benchmark::State& state) {
        searchPanel(state, store, kRareWord, store.rareMatches);
    });
    // The last letter of each word typed after the rest of it.
    const QString rare = kRareWord;
    const QString common = kCommonWord;
    const auto lastKey = [](const QString& word) {
        return Qt::Key(Qt::Key_A + (word.back().toLower().unicode() - u'a'));
    };
    add("Keystroke/rare" + size, 5, [store, rare, lastKey](benchmark::State& state) {
        keystroke(state, store, rare.chopped(1), lastKey(rare), rare.right(1), store.rareMatches);
    });
    add("Keystroke/common" + size, 5, [store, common, lastKey](benchmark::State& state) {
        keystroke(state, store, common.chopped(1), lastKey(common), common.right(1),
                  store.commonMatches);
    });
    const QString one = kOneCharacter;
    add("Keystroke/one_char" + size, 5, [store, one, lastKey](benchmark::State& state) {
        keystroke(state, store, QString(), lastKey(one), one, store.oneCharacterMatches);
    });
    // Texts of one and two characters, rare and common: the key that completes each.
    const std::pair<const char*, std::pair<QString, qint64>> shortTexts[] = {
        {"one_char_rare", {kRareOneCharacter, store.rareMatches}},
        {"two_char_rare", {kRareTwoCharacters, store.rareMatches}},
        {"two_char_common", {kCommonTwoCharacters, store.commonMatches}},
    };
    for (const auto& [label, search] : shortTexts) {
        const auto [text, expected] = search;
        add(std::string("Keystroke/") + label + size, 5,
            [store, text, expected, lastKey](benchmark::State& state) {
                keystroke(state, store, text.chopped(1), lastKey(text), text.right(1), expected);
            });
    }
}

}  // namespace

}  // namespace quillet::bench

int main(int argc, char** argv) {
    using namespace quillet::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    benchmark::Initialize(&argc, argv);
    BenchOptions options;
    if (!parseBenchOptions(argc, argv, options)) return 1;

    previousMessageHandler = qInstallMessageHandler(quietRaiseWarnings);
    QApplication app(argc, argv);
    const std::vector<StoreInfo> stores = prepareStores(options);
    if (stores.empty()) return 1;
    for (const StoreInfo& store : stores) registerBenchmarks(store);
    // The settings window does not depend on the history's size.
    benchmark::RegisterBenchmark(
        "SettingsWindowShown",
        [store = stores.front()](benchmark::State& state) { settingsWindow(state, store); })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(20);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    current.reset();
    return 0;
}
