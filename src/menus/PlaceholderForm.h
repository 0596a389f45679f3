#pragma once

#include <QDialog>
#include <QHash>
#include <QList>
#include <QWidget>

#include "phrases/PlaceholderFiller.h"

namespace quillet {

// The answers a phrase asks for, before it is pasted: a text field per {input:…}, a choice
// per {choice:…}, in the order the phrase names them. Keyboard first: the first field has the
// focus, Tab moves between fields, Return pastes, Escape cancels. Closing it any other way
// cancels too. It deletes itself once closed.
class PlaceholderForm : public QDialog {
    Q_OBJECT
public:
    // `title`: the phrase's, shown above the fields (none when empty).
    explicit PlaceholderForm(const QList<PlaceholderField>& fields, const QString& title = {},
                             QWidget* parent = nullptr);

    // A phrase may ask for more than fits on a screen: the form shows the first fields, each
    // choice's first answers and each label cut to a width; what is left out keeps its
    // default (empty, or the first answer).
    static constexpr int maxFields = 24;
    static constexpr int maxChoices = 500;
    static constexpr int maxLabelWidth = 200;

    // Shows it in front on the screen under the pointer, the first field focused.
    void present();
    // The answers as they stand, by label.
    QHash<QString, QString> answers() const;

signals:
    void answered(const QHash<QString, QString>& answers);
    void cancelled();

private:
    QList<PlaceholderField> m_fields;
    QList<QWidget*> m_editors;  // one per field, owned by the form
};

}  // namespace quillet
