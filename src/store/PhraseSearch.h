#pragma once

#include <QString>
#include <QUuid>
#include <vector>

struct sqlite3;

namespace quillet {

// One phrase as the search panel lists it: enough to paint its row, and its id to paste it.
struct PhraseHit {
    QUuid id;
    QString title;
    QString abbreviation;
    QString bodyStart;  // the first characters of the body
    QString category;
};

// Finds phrases for the search panel, straight from the store: the phrases whose title,
// abbreviation or body contains the text (case ignored, as QString::contains does), the
// phrase whose abbreviation is the text (as typed, then with case ignored) first, then in
// the library's order (categories, then phrases). An empty text lists the library from the
// start. At most `limit` phrases.
class PhraseSearch {
public:
    static constexpr int bodyStartLength = 200;

    static std::vector<PhraseHit> find(sqlite3* db, const QString& text, int limit);
};

}  // namespace quillet
