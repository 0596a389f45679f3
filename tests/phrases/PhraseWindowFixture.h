#pragma once

#include <QApplication>
#include <QFile>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QStackedWidget>
#include <QTest>

#include "fakes/FakeFileChooser.h"
#include "phrases/PhraseLibrary.h"
#include "phrases/PhraseListModels.h"
#include "phrases/PhraseManagementView.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"
#include "store/StoreFixture.h"
#include "support/TempDir.h"
#include "support/Wait.h"
#include "support/Widgets.h"

namespace quillet::test {

// The phrase window over a fresh store, with a library to set up records the way a user
// would not need to, and a file chooser that answers at once.
class PhraseWindowFixture : public StoreFixture {
protected:
    PhraseWindowFixture() { view.resize(800, 500); }

    std::shared_ptr<PhraseCategory> category(const QString& name,
                                             const QList<QPair<QString, QString>>& phrases = {}) {
        auto made = library.createCategory(name);
        for (const auto& [title, body] : phrases) library.createPhrase(made, title, body);
        return made;
    }
    QStringList shownTitles() {
        QStringList titles;
        for (int row = 0; row < phraseModel()->rowCount(); ++row)
            titles << phraseModel()->index(row).data().toString();
        return titles;
    }
    PhraseListModel* phraseModel() { return named<PhraseListModel>(view, "phraseModel"); }
    CategoryListModel* categoryModel() { return named<CategoryListModel>(view, "categoryModel"); }
    QListView* phraseList() { return named<QListView>(view, "phraseList"); }
    QWidget* importBar() { return view.findChild<QWidget*>("importProgress"); }
    QAction* importAction() { return named<QMenu>(view, "csvMenu")->actions().first(); }
    // Imports run on a worker and then in slices of the event loop.
    bool importEnds() {
        return waitFor([&] { return importBar()->isHidden(); }, std::chrono::seconds(60));
    }
    bool placeholderShown() {
        return named<QStackedWidget>(view, "phraseDetail")->currentIndex() == 0;
    }
    QMessageBox* failure() { return view.findChild<QMessageBox*>("csvFailure"); }
    QByteArray fileBytes(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    PhraseLibrary library{storage->context()};
    FakeFileChooser chooser;
    PhraseManagementView view{storage->context(), chooser};
};

}  // namespace quillet::test
