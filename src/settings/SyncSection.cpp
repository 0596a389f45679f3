#include "settings/SyncSection.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "sync/SyncControl.h"

namespace quillet {

namespace {

QLabel* smallLabel(const char* name, bool red) {
    auto* label = new QLabel;
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    label->setFont(small);
    if (red) label->setStyleSheet(QStringLiteral("color: #d70015;"));
    return label;
}

QPushButton* button(const QString& text, const char* name) {
    auto* button = new QPushButton(text);
    button->setObjectName(QLatin1String(name));
    return button;
}

void chooseWithDialog(QWidget* parent, std::function<void(const QString&)> done) {
    auto* dialog = new QFileDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    //% "Choose the folder to sync through"
    dialog->setWindowTitle(qtTrId("SYNC_CHOOSE_FOLDER_TITLE"));
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog, done);
    dialog->open();
}

bool confirmWithDialog(QWidget* parent) {
    QMessageBox box(QMessageBox::Question,
                    //% "Turn off sync?"
                    qtTrId("SYNC_TURN_OFF_TITLE"),
                    //% "This computer stops syncing and forgets the key. What it has stays; the "
                    //% "other computers go on syncing. To sync again you need the pairing code."
                    qtTrId("SYNC_TURN_OFF_MESSAGE"), QMessageBox::Cancel, parent);
    //% "Turn Off"
    QPushButton* off = box.addButton(qtTrId("SYNC_TURN_OFF_CONFIRM"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::Cancel);
    box.exec();
    return box.clickedButton() == off;
}

QString timeText(const QDateTime& when) {
    const QLocale locale;
    const QDateTime local = when.toLocalTime();
    QString format = locale.timeFormat(QLocale::ShortFormat);
    if (local.date() != QDate::currentDate())
        format = locale.dateFormat(QLocale::ShortFormat) + u' ' + format;
    return locale.toString(local, format);
}

}  // namespace

SyncSection::SyncSection(SyncControl& sync, QWidget* parent)
    : QWidget(parent),
      m_sync(sync),
      m_chooseFolder(chooseWithDialog),
      m_confirm(confirmWithDialog),
      m_state(smallLabel("syncState", false)),
      m_problem(smallLabel("syncProblem", true)),
      m_pages(new QStackedWidget),
      m_folderEdit(new QLineEdit),
      //% "Choose…"
      m_chooseButton(button(qtTrId("SYNC_CHOOSE_FOLDER"), "chooseSyncFolder")),
      //% "Start Sync"
      m_startButton(button(qtTrId("SYNC_START"), "startSync")),
      m_codeEntry(new QLineEdit),
      //% "Join"
      m_joinButton(button(qtTrId("SYNC_JOIN"), "joinSync")),
      m_codeShown(new QLineEdit),
      //% "Copy"
      m_copyButton(button(qtTrId("SYNC_COPY_CODE"), "copyPairingCode")),
      //% "Turn Off Sync…"
      m_turnOffButton(button(qtTrId("SYNC_TURN_OFF"), "turnOffSync")) {
    m_folderEdit->setObjectName(QStringLiteral("syncFolder"));
    //% "Folder shared by Syncthing"
    m_folderEdit->setPlaceholderText(qtTrId("SYNC_FOLDER_PLACEHOLDER"));
    m_codeEntry->setObjectName(QStringLiteral("pairingCodeEntry"));
    //% "Pairing code from another computer"
    m_codeEntry->setPlaceholderText(qtTrId("SYNC_CODE_PLACEHOLDER"));
    m_codeShown->setObjectName(QStringLiteral("pairingCode"));
    m_codeShown->setReadOnly(true);
    // Letters and digits that must be told apart when typed on another computer.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(m_codeShown->font().pointSizeF() * 0.9);
    m_codeShown->setFont(fixed);

    auto* off = new QWidget;
    auto* offLayout = new QVBoxLayout(off);
    offLayout->setContentsMargins(0, 0, 0, 0);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folderEdit, 1);
    folderRow->addWidget(m_chooseButton);
    folderRow->addWidget(m_startButton);
    auto* joinRow = new QHBoxLayout;
    joinRow->addWidget(m_codeEntry, 1);
    joinRow->addWidget(m_joinButton);
    offLayout->addLayout(folderRow);
    offLayout->addLayout(joinRow);

    auto* on = new QWidget;
    auto* onLayout = new QVBoxLayout(on);
    onLayout->setContentsMargins(0, 0, 0, 0);
    //% "Pairing code:"
    auto* codeLabel = new QLabel(qtTrId("SYNC_CODE_LABEL"));
    codeLabel->setBuddy(m_codeShown);
    auto* codeRow = new QHBoxLayout;
    codeRow->addWidget(m_codeShown, 1);
    codeRow->addWidget(m_copyButton);
    onLayout->addWidget(codeLabel);
    onLayout->addLayout(codeRow);
    onLayout->addWidget(m_turnOffButton, 0, Qt::AlignLeft);
    m_pages->addWidget(off);
    m_pages->addWidget(on);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_state);
    layout->addWidget(m_pages);
    layout->addWidget(m_problem);

    connect(m_chooseButton, &QPushButton::clicked, this, [this] {
        m_chooseFolder(window(), [this](const QString& folder) {
            if (folder.isEmpty()) return;
            m_folderEdit->setText(folder);
            m_startButton->setFocus();
        });
    });
    connect(m_startButton, &QPushButton::clicked, this, &SyncSection::start);
    connect(m_folderEdit, &QLineEdit::returnPressed, this, &SyncSection::start);
    connect(m_joinButton, &QPushButton::clicked, this, &SyncSection::join);
    connect(m_codeEntry, &QLineEdit::returnPressed, this, &SyncSection::join);
    connect(m_copyButton, &QPushButton::clicked, this, &SyncSection::copyCode);
    connect(m_turnOffButton, &QPushButton::clicked, this, &SyncSection::turnOff);
    auto enableRequests = [this] { setBusy(m_busy); };
    connect(m_folderEdit, &QLineEdit::textChanged, this, enableRequests);
    connect(m_codeEntry, &QLineEdit::textChanged, this, enableRequests);

    connect(&sync, &SyncControl::statusChanged, this, &SyncSection::showStatus);
    connect(&sync, &SyncControl::pairingCodeReady, this, [this](const QString& code) {
        showCode(code);
        setBusy(false);
        showStatus();
        m_copyButton->setFocus();
    });
    connect(&sync, &SyncControl::joined, this, [this] {
        setBusy(false);
        m_codeEntry->clear();
        showStatus();
    });
    connect(&sync, &SyncControl::failed, this, [this](const QString& reason) {
        setBusy(false);
        showError(reason);
    });
    showStatus();
}

void SyncSection::showStatus() {
    const SyncStatus status = m_sync.status();
    QStringList lines;
    if (!status.enabled) {
        //% "Off: history and phrases stay on this computer. Choose a folder that Syncthing "
        //% "shares with your other computers, then start sync here and join on them."
        lines << qtTrId("SYNC_SECTION_OFF");
    } else {
        //% "Syncing through %1."
        lines << qtTrId("SYNC_SECTION_ON").arg(status.folder);
        //% "Other computers seen: %1"
        lines << qtTrId("SYNC_SECTION_DEVICES").arg(status.devices);
        if (status.lastReceived)
            //% "Last change received: %1"
            lines << qtTrId("SYNC_SECTION_LAST").arg(timeText(*status.lastReceived));
    }
    m_state->setText(lines.join(u'\n'));
    m_pages->setCurrentIndex(status.enabled ? 1 : 0);
    if (status.enabled) {
        if (m_codeShown->text() != m_sync.pairingCode()) showCode(m_sync.pairingCode());
        if (m_folderEdit->text().isEmpty()) m_folderEdit->setText(status.folder);
    }
    QStringList problems;
    if (!m_error.isEmpty()) problems << m_error;
    if (!status.problem.isEmpty()) problems << status.problem;
    if (status.enabled && status.keyInFile)
        //% "No keyring answered: the sync key is kept in a file only you can read."
        problems << qtTrId("SYNC_KEY_IN_FILE_NOTE");
    m_problem->setText(problems.join(u'\n'));
    m_problem->setVisible(!problems.isEmpty());
    setBusy(m_busy);
}

void SyncSection::showCode(const QString& code) {
    m_codeShown->setText(code);
    // Read from its start.
    m_codeShown->setCursorPosition(0);
}

void SyncSection::setBusy(bool busy) {
    m_busy = busy;
    const bool folder = !m_folderEdit->text().trimmed().isEmpty();
    m_startButton->setEnabled(!busy && folder);
    m_joinButton->setEnabled(!busy && folder && !m_codeEntry->text().trimmed().isEmpty());
    m_turnOffButton->setEnabled(!busy);
    m_copyButton->setEnabled(!m_codeShown->text().isEmpty());
}

void SyncSection::showError(const QString& reason) {
    m_error = reason;
    showStatus();
}

void SyncSection::start() {
    const QString folder = m_folderEdit->text().trimmed();
    if (m_busy || folder.isEmpty()) return;
    m_error.clear();
    setBusy(true);
    showStatus();
    m_sync.initialize(folder);
}

void SyncSection::join() {
    const QString folder = m_folderEdit->text().trimmed();
    const QString code = m_codeEntry->text().trimmed();
    if (m_busy || folder.isEmpty() || code.isEmpty()) return;
    m_error.clear();
    setBusy(true);
    showStatus();
    m_sync.join(folder, code);
}

void SyncSection::turnOff() {
    if (m_busy || !m_confirm(window())) return;
    m_error.clear();
    m_codeShown->clear();
    m_sync.turnOff();
    showStatus();
}

void SyncSection::copyCode() {
    // Marked as a secret, so that clipboard histories (ours too) leave it out.
    auto* data = new QMimeData;
    data->setText(m_codeShown->text());
    data->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace quillet
