#include "phrases/PhraseEditors.h"

#include <QAction>
#include <algorithm>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "phrases/PhraseLibrary.h"
#include "store/PhraseCategory.h"
#include "store/PhraseItem.h"

namespace quillet {

namespace {

// "キャンセル" at the leading end, "保存" at the trailing end. Neither is a default button,
// so Return in the body is a line break; the keys that save are bound by bindSaveKeys.
QHBoxLayout* buttonRow(QDialog* dialog, QPushButton*& cancel, QPushButton*& save) {
    //% "キャンセル"
    cancel = new QPushButton(qtTrId("PHRASE_CANCEL"), dialog);
    //% "保存"
    save = new QPushButton(qtTrId("PHRASE_SAVE"), dialog);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    save->setObjectName(QStringLiteral("saveButton"));
    for (QPushButton* button : {cancel, save}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(cancel);
    row->addStretch(1);
    row->addWidget(save);
    return row;
}

// Return in the one-line field saves; Ctrl+Return saves from anywhere in the editor.
template <class Editor>
void bindSaveKeys(Editor* editor, QLineEdit* field, void (Editor::*onReturn)(),
                  void (Editor::*save)()) {
    QObject::connect(field, &QLineEdit::returnPressed, editor, onReturn);
    auto* saveKey = new QAction(editor);
    saveKey->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Return),
                           QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    saveKey->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(saveKey, &QAction::triggered, editor, save);
    editor->addAction(saveKey);
}

void makeSheet(QDialog* dialog) {
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setSizeGripEnabled(false);
}

}  // namespace

bool hasVisibleText(const QString& text) {
    // QChar::isSpace covers the Unicode separators, tab, LF, VT, FF, CR and NEL.
    return !text.trimmed().isEmpty();
}

CategoryEditor::CategoryEditor(PhraseLibrary& library, std::shared_ptr<PhraseCategory> category,
                               QWidget* parent)
    : QDialog(parent), m_library(library), m_category(std::move(category)) {
    setObjectName(QStringLiteral("categoryEditor"));
    makeSheet(this);
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("categoryName"));
    auto* form = new QFormLayout;
    //% "カテゴリ名"
    form->addRow(qtTrId("PHRASE_CATEGORY_NAME"), m_name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow(this, m_cancel, m_save));
    setMinimumWidth(320);

    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_save->setEnabled(hasVisibleText(text)); });
    connect(m_save, &QPushButton::clicked, this, &CategoryEditor::save);
    bindSaveKeys(this, m_name, &CategoryEditor::save, &CategoryEditor::save);
    m_name->setText(m_category ? m_category->name() : QString());
    m_save->setEnabled(hasVisibleText(m_name->text()));
    m_name->setFocus();
}

void CategoryEditor::save() {
    if (!m_save->isEnabled()) return;
    m_save->setEnabled(false);  // saved once, whichever key or click came first
    if (m_category) {
        m_library.renameCategory(m_category, m_name->text());
    } else if (auto created = m_library.createCategory(m_name->text())) {
        emit categoryCreated(created->id());
    }
    accept();
}

PhraseEditor::PhraseEditor(PhraseLibrary& library, std::shared_ptr<PhraseCategory> category,
                           std::shared_ptr<PhraseItem> phrase, QWidget* parent)
    : QDialog(parent),
      m_library(library),
      m_category(std::move(category)),
      m_phrase(std::move(phrase)) {
    setObjectName(QStringLiteral("phraseEditor"));
    makeSheet(this);
    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("phraseTitle"));
    m_body = new QPlainTextEdit(this);
    m_body->setObjectName(QStringLiteral("phraseBody"));
    m_body->setFixedHeight(bodyHeight);
    // Tab leaves the body (line breaks are what the body keeps), so the form works by keys.
    m_body->setTabChangesFocus(true);
    m_body->setFrameShape(QFrame::NoFrame);
    m_body->setStyleSheet(
        QStringLiteral("QPlainTextEdit#phraseBody { border: 1px solid rgba(128, 128, 128, 51); }"));
    // Made after the body, so Tab goes title, body, abbreviation.
    m_abbreviation = new QLineEdit(this);
    m_abbreviation->setObjectName(QStringLiteral("phraseAbbreviation"));
    //% "検索パネルで呼び出す短い語 (省略可)"
    m_abbreviation->setPlaceholderText(qtTrId("PHRASE_ABBREVIATION_HINT"));

    auto* form = new QFormLayout;
    //% "タイトル"
    form->addRow(qtTrId("PHRASE_TITLE"), m_title);
    auto* below = new QFormLayout;
    //% "略語(&A)"
    below->addRow(qtTrId("PHRASE_ABBREVIATION"), m_abbreviation);
    // The two fields line up although the body sits between their forms.
    QWidget* labels[] = {form->labelForField(m_title), below->labelForField(m_abbreviation)};
    const int labelWidth =
        std::max(labels[0]->sizeHint().width(), labels[1]->sizeHint().width());
    for (QWidget* label : labels) label->setMinimumWidth(labelWidth);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_body);
    layout->addLayout(below);
    layout->addLayout(buttonRow(this, m_cancel, m_save));
    setMinimumWidth(420);

    connect(m_title, &QLineEdit::textChanged, this, &PhraseEditor::updateSaveButton);
    connect(m_body, &QPlainTextEdit::textChanged, this, &PhraseEditor::updateSaveButton);
    connect(m_save, &QPushButton::clicked, this, &PhraseEditor::save);
    bindSaveKeys(this, m_title, &PhraseEditor::titleEntered, &PhraseEditor::save);
    connect(m_abbreviation, &QLineEdit::returnPressed, this, &PhraseEditor::save);
    if (m_phrase) {
        m_title->setText(m_phrase->title());
        m_abbreviation->setText(m_phrase->abbreviation());
        m_body->setPlainText(m_phrase->body());
        m_bodyAsShown = m_body->toPlainText();
    }
    updateSaveButton();
    m_title->setFocus();
}

void PhraseEditor::updateSaveButton() {
    m_save->setEnabled(hasVisibleText(m_title->text()) && hasVisibleText(m_body->toPlainText()));
}

QString PhraseEditor::typedBody() const {
    // The editor turns CR LF and CR into LF; a body left untouched keeps its own line breaks
    // (an imported one may have CR LF).
    const QString shown = m_body->toPlainText();
    return m_phrase && shown == m_bodyAsShown ? m_phrase->body() : shown;
}

QString PhraseEditor::abbreviation() const {
    return m_abbreviation->text().trimmed();
}

void PhraseEditor::titleEntered() {
    // Without a body yet, Return goes on to it.
    if (m_save->isEnabled())
        save();
    else if (hasVisibleText(m_title->text()))
        m_body->setFocus();
}

void PhraseEditor::save() {
    if (!m_save->isEnabled()) return;
    m_save->setEnabled(false);
    if (m_phrase)
        m_library.updatePhrase(m_phrase, m_title->text(), typedBody(), abbreviation());
    else if (m_category)
        m_library.createPhrase(m_category, m_title->text(), typedBody(), abbreviation());
    accept();
}

}  // namespace quillet
