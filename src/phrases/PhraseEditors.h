#pragma once

#include <QDialog>
#include <QUuid>
#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quillet {

class PhraseCategory;
class PhraseItem;
class PhraseLibrary;

// Whether a name, title or body counts as filled in: something is left once white space and
// line breaks are cut from both ends. The text itself is stored as typed.
bool hasVisibleText(const QString& text);

// Creates a category (none given) or renames one. Window-modal over the phrase window; the
// record is written only by "保存" (or Return in the name).
class CategoryEditor : public QDialog {
    Q_OBJECT
public:
    CategoryEditor(PhraseLibrary& library, std::shared_ptr<PhraseCategory> category,
                   QWidget* parent = nullptr);

signals:
    void categoryCreated(const QUuid& id);

private:
    void save();

    PhraseLibrary& m_library;
    std::shared_ptr<PhraseCategory> m_category;
    QLineEdit* m_name;
    QPushButton* m_cancel;
    QPushButton* m_save;
};

// Creates a phrase in `category` (no phrase given) or changes a phrase's title, body and
// abbreviation (optional, stored trimmed; Return in it saves).
// Return in the title saves (or goes on to an empty body); Ctrl+Return saves from the body.
class PhraseEditor : public QDialog {
    Q_OBJECT
public:
    PhraseEditor(PhraseLibrary& library, std::shared_ptr<PhraseCategory> category,
                 std::shared_ptr<PhraseItem> phrase, QWidget* parent = nullptr);

    static constexpr int bodyHeight = 120;

private:
    void updateSaveButton();
    void titleEntered();
    void save();
    QString typedBody() const;
    QString abbreviation() const;

    PhraseLibrary& m_library;
    std::shared_ptr<PhraseCategory> m_category;
    std::shared_ptr<PhraseItem> m_phrase;
    QLineEdit* m_title;
    QPlainTextEdit* m_body;
    QLineEdit* m_abbreviation;
    QString m_bodyAsShown;  // the stored body as the editor shows it, line breaks normalised
    QPushButton* m_cancel;
    QPushButton* m_save;
};

}  // namespace quillet
