#include "settings/PrivacySection.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/IgnoredApplications.h"

namespace quillet {

PrivacySection::PrivacySection(IgnoredApplications& model, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_list(new QListWidget),
      m_edit(new QLineEdit),
      //% "追加"
      m_addButton(new QPushButton(qtTrId("IGNORED_APP_ADD"))),
      //% "削除"
      m_removeButton(new QPushButton(qtTrId("IGNORED_APP_REMOVE"))),
      m_note(new QLabel) {
    m_list->setObjectName(QStringLiteral("ignoredApplications"));
    m_edit->setObjectName(QStringLiteral("ignoredApplicationName"));
    m_addButton->setObjectName(QStringLiteral("addIgnoredApplication"));
    m_removeButton->setObjectName(QStringLiteral("removeIgnoredApplication"));
    m_note->setObjectName(QStringLiteral("attributionNote"));

    //% "次のアプリからのコピーは記録しません:"
    auto* caption = new QLabel(qtTrId("IGNORED_APPS_CAPTION"));
    caption->setWordWrap(true);
    m_list->installEventFilter(this);
    //% "クラス名またはアプリID"
    m_edit->setPlaceholderText(qtTrId("IGNORED_APP_PLACEHOLDER"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    QFont small = m_note->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_note->setFont(small);

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(m_edit, 1);
    editRow->addWidget(m_addButton);
    editRow->addWidget(m_removeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addWidget(m_list);
    layout->addLayout(editRow);
    layout->addWidget(m_note);

    connect(m_edit, &QLineEdit::returnPressed, this, &PrivacySection::addTyped);
    connect(m_edit, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_addButton->setEnabled(!text.trimmed().isEmpty()); });
    connect(m_addButton, &QPushButton::clicked, this, &PrivacySection::addTyped);
    connect(m_removeButton, &QPushButton::clicked, this, &PrivacySection::removeChosen);
    connect(m_list, &QListWidget::currentRowChanged, this,
            [this](int row) { m_removeButton->setEnabled(row >= 0); });
    connect(&model, &IgnoredApplications::namesChanged, this, &PrivacySection::showNames);
    connect(&model, &IgnoredApplications::attributionChanged, this,
            &PrivacySection::showAttribution);

    m_addButton->setEnabled(false);
    showNames();
    showAttribution();
    // Four whole rows show; the list scrolls beyond.
    const int row = m_list->count() > 0 ? m_list->sizeHintForRow(0) : m_list->fontMetrics().height();
    m_list->setFixedHeight(row * 4 + 2 * m_list->frameWidth());
}

bool PrivacySection::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
            removeChosen();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PrivacySection::showNames() {
    const int row = m_list->currentRow();
    m_list->clear();
    m_list->addItems(m_model.names());
    // After a removal the next name is chosen, so Delete can go on down the list.
    if (m_list->count() > 0 && row >= 0) m_list->setCurrentRow(std::min(row, m_list->count() - 1));
    m_removeButton->setEnabled(m_list->currentRow() >= 0);
}

void PrivacySection::showAttribution() {
    switch (m_model.attribution()) {
        case CopyAttribution::ownerWindowClass:
            //% "名前は、コピーしたウィンドウのクラス名(WM_CLASS)と照合します。"
            m_note->setText(qtTrId("IGNORED_APPS_BY_CLASS"));
            break;
        case CopyAttribution::activeAppId:
            //% "名前は、コピーしたときにアクティブだった"
            //% "ウィンドウのアプリIDと照合します。"
            m_note->setText(qtTrId("IGNORED_APPS_BY_APP_ID"));
            break;
        case CopyAttribution::none:
            //% "このデスクトップはどのアプリがコピーしたかを"
            //% "知らせないため、このリストは適用されません。"
            m_note->setText(qtTrId("IGNORED_APPS_UNAVAILABLE"));
            break;
    }
    m_note->setStyleSheet(m_model.attribution() == CopyAttribution::none
                              ? QStringLiteral("color: #d70015;")
                              : QString());
}

void PrivacySection::addTyped() {
    if (m_model.add(m_edit->text())) {
        m_edit->clear();
        m_list->setCurrentRow(m_list->count() - 1);
    }
    m_edit->setFocus();
}

void PrivacySection::removeChosen() {
    const QListWidgetItem* item = m_list->currentItem();
    if (item != nullptr) m_model.remove(item->text());
}

}  // namespace quillet
