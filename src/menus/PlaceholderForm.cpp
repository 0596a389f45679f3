#include "menus/PlaceholderForm.h"

#include <QComboBox>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "base/Logging.h"

namespace quillet {

namespace {
constexpr int fieldWidth = 280;
}

PlaceholderForm::PlaceholderForm(const QList<PlaceholderField>& fields, const QString& title,
                                 QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint),
      m_fields(fields.mid(0, maxFields)) {
    if (fields.size() > maxFields)
        qCWarning(lcPhrases) << "the phrase asks for" << fields.size() << "answers; the form shows"
                             << maxFields << "and the others keep their defaults";
    setObjectName(QStringLiteral("placeholderForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    //% "Fill In the Phrase"
    setWindowTitle(qtTrId("PLACEHOLDER_FORM_TITLE"));

    auto* form = new QFormLayout;
    for (const PlaceholderField& field : m_fields) {
        QWidget* editor = nullptr;
        if (field.kind == PlaceholderField::Kind::choice) {
            auto* combo = new QComboBox;
            combo->addItems(field.choices.mid(0, maxChoices));
            if (field.choices.size() > maxChoices)
                qCWarning(lcPhrases)
                    << "the choice" << field.label << "offers" << field.choices.size()
                    << "answers; the form shows" << maxChoices;
            editor = combo;
        } else {
            editor = new QLineEdit;
        }
        editor->setMinimumWidth(fieldWidth);
        editor->setObjectName(QStringLiteral("placeholderField%1").arg(m_editors.size()));
        // A label is the phrase's own text, shown as written (never as markup), on one line
        // of bounded width.
        auto* label = new QLabel;
        label->setTextFormat(Qt::PlainText);
        label->setText(label->fontMetrics().elidedText(field.label.simplified(), Qt::ElideRight,
                                                       maxLabelWidth));
        label->setBuddy(editor);
        form->addRow(label, editor);
        m_editors.append(editor);
    }

    auto* buttons = new QDialogButtonBox;
    //% "Paste"
    QPushButton* paste =
        buttons->addButton(qtTrId("PLACEHOLDER_FORM_PASTE"), QDialogButtonBox::AcceptRole);
    paste->setObjectName(QStringLiteral("placeholderPaste"));
    paste->setDefault(true);
    //% "Cancel"
    buttons->addButton(qtTrId("PLACEHOLDER_FORM_CANCEL"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    if (!title.isEmpty()) {
        // The phrase's own title, on one line, so the user knows what is being filled in.
        auto* heading = new QLabel;
        heading->setObjectName(QStringLiteral("placeholderPhraseTitle"));
        heading->setTextFormat(Qt::PlainText);
        QFont font = heading->font();
        font.setBold(true);
        heading->setFont(font);
        heading->setText(
            QFontMetrics(font).elidedText(title.simplified(), Qt::ElideRight, fieldWidth * 3 / 2));
        layout->addWidget(heading);
    }
    layout->addLayout(form);
    layout->addWidget(buttons);

    // The answer leaves first: the dialog is hidden by then, so the paste finds the user's
    // window in front again.
    connect(this, &QDialog::accepted, this, [this] { emit answered(answers()); });
    connect(this, &QDialog::rejected, this, &PlaceholderForm::cancelled);
}

void PlaceholderForm::present() {
    adjustSize();
    // A Wayland window cannot place itself; tiling compositors float (and centre) one whose
    // size is fixed instead of tiling a small form across half the screen.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) setFixedSize(size());
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
    if (!m_editors.isEmpty()) m_editors.first()->setFocus(Qt::PopupFocusReason);
}

QHash<QString, QString> PlaceholderForm::answers() const {
    QHash<QString, QString> result;
    for (qsizetype i = 0; i < m_fields.size(); ++i) {
        if (auto* combo = qobject_cast<QComboBox*>(m_editors[i]))
            result.insert(m_fields[i].label, combo->currentText());
        else if (auto* line = qobject_cast<QLineEdit*>(m_editors[i]))
            result.insert(m_fields[i].label, line->text());
    }
    return result;
}

}  // namespace quillet
