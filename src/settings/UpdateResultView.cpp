#include "settings/UpdateResultView.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>

#include "settings/SettingsViewModel.h"

namespace quillet {

namespace {

// Plain text always: versions, notes and messages come from the feed and are never markup.
QLabel* label(const QString& text, qreal scale = 1.0, bool bold = false) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    label->setFont(font);
    return label;
}

QHBoxLayout* row(QWidget* leading, QWidget* trailing) {
    auto* layout = new QHBoxLayout;
    layout->addWidget(leading);
    layout->addStretch();
    layout->addWidget(trailing);
    return layout;
}

constexpr qreal captionScale = 0.85;
constexpr qreal subheadlineScale = 0.95;

}  // namespace

UpdateResultView::UpdateResultView(SettingsViewModel& model, QWidget* parent)
    : QDialog(parent), m_model(model), m_layout(new QVBoxLayout(this)), m_iconLabel(new QLabel) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::WindowModal);
    //% "クイレット"
    setWindowTitle(qtTrId("APP_TITLE"));
    m_layout->setContentsMargins(0, 24, 0, 0);
    m_layout->setSpacing(16);
    // The sheet is as tall as its face; the face is one column of fixed width.
    m_layout->setSizeConstraint(QLayout::SetFixedSize);

    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    m_iconLabel->setPixmap(icon.pixmap(iconSize, iconSize));
    m_iconLabel->setFixedSize(iconSize, iconSize);
    m_iconLabel->setScaledContents(true);
    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addStretch();
    header->addWidget(m_iconLabel);
    header->addWidget(label(qtTrId("APP_TITLE"), 1.4, true));
    header->addStretch();
    m_layout->addLayout(header);

    connect(&model, &SettingsViewModel::updateInfoChanged, this, &UpdateResultView::rebuild);
    connect(&model, &SettingsViewModel::updateCheckMessageChanged, this,
            &UpdateResultView::rebuild);
    rebuild();
}

void UpdateResultView::rebuild() {
    if (m_body) {
        m_layout->removeWidget(m_body);
        m_body->deleteLater();
    }
    m_downloadButton = nullptr;
    m_notesBox = nullptr;
    m_notesMoreLink = nullptr;
    m_body = m_model.updateInfo() ? buildUpdateFace() : buildMessageFace();
    m_body->setFixedWidth(width);
    m_layout->addWidget(m_body);
}

QWidget* UpdateResultView::buildUpdateFace() {
    const UpdateInfo info = *m_model.updateInfo();
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(24, 0, 24, 24);
    column->setSpacing(20);

    //% "クイレットの新しいバージョンがあります"
    QLabel* headline = label(qtTrId("UPDATE_AVAILABLE_TITLE"), 1.15, true);
    headline->setAlignment(Qt::AlignCenter);
    headline->setWordWrap(true);
    column->addWidget(headline);

    auto* versions = new QVBoxLayout;
    versions->setContentsMargins(8, 0, 8, 0);
    versions->setSpacing(10);
    //% "現在のバージョン"
    versions->addLayout(row(label(qtTrId("CURRENT_VERSION_LABEL"), subheadlineScale),
                            label(m_model.currentVersion(), subheadlineScale)));
    QLabel* latest = label(info.latestVersion, subheadlineScale, true);
    latest->setStyleSheet(
        QStringLiteral("color: %1;").arg(palette().color(QPalette::Highlight).name()));
    //% "最新バージョン"
    versions->addLayout(row(label(qtTrId("LATEST_VERSION_LABEL"), subheadlineScale), latest));
    if (info.releaseNotes) {
        versions->addSpacing(4);
        auto* divider = new QFrame;
        divider->setFrameShape(QFrame::HLine);
        divider->setFrameShadow(QFrame::Sunken);
        versions->addWidget(divider);
        versions->addSpacing(4);
        //% "更新内容:"
        versions->addWidget(label(qtTrId("RELEASE_NOTES_HEADER"), captionScale, true));
        // Laid out in full, so only as much as the sheet can show.
        const NotesExcerpt excerpt = releaseNotesExcerpt(*info.releaseNotes);
        QLabel* notes = label(excerpt.text, captionScale);
        notes->setWordWrap(true);
        notes->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
        notes->setContentsMargins(8, 8, 8, 8);
        m_notesBox = new QScrollArea;
        m_notesBox->setObjectName(QStringLiteral("notesBox"));
        m_notesBox->setWidget(notes);
        m_notesBox->setWidgetResizable(true);
        // Word wrap never breaks a word: a long one scrolls sideways instead of being cut off.
        m_notesBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_notesBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m_notesBox->setFrameShape(QFrame::NoFrame);
        m_notesBox->setStyleSheet(
            QStringLiteral("#notesBox { background: rgba(128, 128, 128, 26); border-radius: 6px; }"
                           "#notesBox > QWidget > QLabel { background: transparent; }"));
        m_notesBox->viewport()->setAutoFillBackground(false);
        m_notesBox->setMaximumHeight(notesMaxHeight);
        versions->addWidget(m_notesBox);
        if (excerpt.isCut) {
            m_notesMoreLink =
                new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                               .arg(m_model.appDownloadPageURL().toString(QUrl::FullyEncoded),
                                    //% "Read the full notes on the download page"
                                    qtTrId("RELEASE_NOTES_MORE_LINK").toHtmlEscaped()));
            m_notesMoreLink->setObjectName(QStringLiteral("notesMoreLink"));
            m_notesMoreLink->setTextFormat(Qt::RichText);
            QFont font = m_notesMoreLink->font();
            font.setPointSizeF(font.pointSizeF() * captionScale);
            m_notesMoreLink->setFont(font);
            connect(m_notesMoreLink, &QLabel::linkActivated, this,
                    &UpdateResultView::openDownloadPage);
            versions->addWidget(m_notesMoreLink, 0, Qt::AlignRight);
        }
    }
    column->addLayout(versions);

    auto* buttons = new QHBoxLayout;
    //% "閉じる"
    m_closeButton = new QPushButton(qtTrId("CLOSE_BUTTON"));
    //% "ダウンロードページを開く"
    m_downloadButton = new QPushButton(qtTrId("OPEN_DOWNLOAD_PAGE"));
    m_downloadButton->setObjectName(QStringLiteral("downloadButton"));
    const QColor accent = palette().color(QPalette::Highlight);
    m_downloadButton->setStyleSheet(
        QStringLiteral("QPushButton { background: %1; color: %2; border-radius: 5px;"
                       " padding: 5px 12px; }")
            .arg(accent.name(), palette().color(QPalette::HighlightedText).name()));
    buttons->addStretch();
    buttons->addWidget(m_closeButton);
    buttons->addWidget(m_downloadButton);
    buttons->addStretch();
    column->addLayout(buttons);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_downloadButton, &QPushButton::clicked, this, &UpdateResultView::openDownloadPage);
    return body;
}

QWidget* UpdateResultView::buildMessageFace() {
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(24, 8, 24, 24);
    column->setSpacing(20);
    QLabel* message = label(m_model.updateCheckMessage());
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    auto* text = new QVBoxLayout;
    text->setSpacing(6);
    text->addWidget(message);
    if (!m_model.updateCheckFailure().isEmpty()) {
        // Beneath the message, smaller, and selectable so it can be quoted in a report.
        QLabel* reason = label(m_model.updateCheckFailure(), captionScale);
        reason->setObjectName(QStringLiteral("updateFailureReason"));
        reason->setAlignment(Qt::AlignCenter);
        reason->setWordWrap(true);
        reason->setTextInteractionFlags(Qt::TextSelectableByMouse);
        text->addWidget(reason);
    }
    column->addLayout(text);
    m_closeButton = new QPushButton(qtTrId("CLOSE_BUTTON"));
    m_closeButton->setDefault(true);
    column->addWidget(m_closeButton, 0, Qt::AlignCenter);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);
    return body;
}

void UpdateResultView::openDownloadPage() {
    // The fixed download page, not the feed's own link.
    QDesktopServices::openUrl(m_model.appDownloadPageURL());
    accept();
}

}  // namespace quillet
