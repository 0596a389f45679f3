#include "settings/SettingsView.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "settings/HotkeySettingRow.h"
#include "settings/PrivacySection.h"
#include "settings/SettingsViewModel.h"
#include "settings/SyncSection.h"
#include "settings/UpdateResultView.h"

namespace quillet {

namespace {

// Small red text under the control it concerns.
QLabel* errorText() {
    auto* label = new QLabel;
    QFont caption = label->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    label->setFont(caption);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setStyleSheet(QStringLiteral("color: #d70015;"));
    return label;
}

QGroupBox* section(const QString& title, QLayout* content) {
    auto* box = new QGroupBox(title);
    box->setLayout(content);
    return box;
}

}  // namespace

SettingsView::SettingsView(SettingsViewModel& model, QWidget* parent)
    : QWidget(parent),
      m_model(model),
      m_historyRow(new HotkeySettingRow(
          //% "履歴表示"
          qtTrId("HOTKEY_HISTORY_LABEL"), model.historyHotkey(),
          [&model](quint32 key, quint32 modifiers) { model.updateHistoryHotkey(key, modifiers); })),
      m_phraseRow(new HotkeySettingRow(
          //% "定型文表示"
          qtTrId("HOTKEY_PHRASE_LABEL"), model.phraseHotkey(),
          [&model](quint32 key, quint32 modifiers) { model.updatePhraseHotkey(key, modifiers); })),
      //% "既定値に戻す"
      m_resetButton(new QPushButton(qtTrId("RESET_TO_DEFAULTS"))),
      m_errorLabel(errorText()),
      //% "Add to GNOME's keyboard shortcuts"
      m_desktopShortcutsToggle(new QCheckBox(qtTrId("DESKTOP_SHORTCUTS_TOGGLE"))),
      m_desktopShortcutsErrorLabel(errorText()),
      //% "Mac起動時に自動起動"
      m_autoLaunchToggle(new QCheckBox(qtTrId("AUTO_LAUNCH_LABEL"))),
      m_autoLaunchErrorLabel(errorText()),
      m_versionLabel(new QLabel(model.versionDisplayString())),
      m_checkButton(new QPushButton),
      //% "Updates to Quillet come from your system's package manager."
      m_updatesFromPackageLabel(new QLabel(qtTrId("UPDATES_FROM_PACKAGE_MANAGER"))) {
    setFixedSize(width, model.sync() ? height + syncHeight : height);
    m_historyRow->setObjectName(QStringLiteral("historyHotkeyRow"));
    m_phraseRow->setObjectName(QStringLiteral("phraseHotkeyRow"));
    m_resetButton->setObjectName(QStringLiteral("resetHotkeysButton"));
    m_errorLabel->setObjectName(QStringLiteral("hotkeyErrorLabel"));
    m_desktopShortcutsToggle->setObjectName(QStringLiteral("desktopShortcutsToggle"));
    m_desktopShortcutsErrorLabel->setObjectName(QStringLiteral("desktopShortcutsError"));
    m_autoLaunchToggle->setObjectName(QStringLiteral("autoLaunchToggle"));
    m_autoLaunchErrorLabel->setObjectName(QStringLiteral("autoLaunchError"));
    // Its lines are kept while empty: an error coming or going moves nothing below it.
    m_errorLabel->setMinimumHeight(2 * m_errorLabel->fontMetrics().lineSpacing());
    m_errorLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_checkButton->setObjectName(QStringLiteral("checkForUpdatesButton"));
    m_updatesFromPackageLabel->setObjectName(QStringLiteral("updatesFromPackageLabel"));
    m_updatesFromPackageLabel->setWordWrap(true);
    m_checkButton->setVisible(model.canCheckForUpdates());
    m_updatesFromPackageLabel->setVisible(!model.canCheckForUpdates());

    auto* hotkeys = new QVBoxLayout;
    hotkeys->addWidget(m_historyRow);
    hotkeys->addWidget(m_phraseRow);
    hotkeys->addSpacing(4);
    hotkeys->addWidget(m_resetButton, 0, Qt::AlignLeft);
    hotkeys->addWidget(m_errorLabel);
    hotkeys->addWidget(m_desktopShortcutsToggle);
    hotkeys->addWidget(m_desktopShortcutsErrorLabel);

    auto* general = new QVBoxLayout;
    general->addWidget(m_autoLaunchToggle);
    general->addWidget(m_autoLaunchErrorLabel);

    auto* about = new QVBoxLayout;
    auto* versionRow = new QHBoxLayout;
    //% "バージョン"
    versionRow->addWidget(new QLabel(qtTrId("VERSION_LABEL")));
    versionRow->addStretch();
    m_versionLabel->setStyleSheet(
        QStringLiteral("color: %1;").arg(palette().color(QPalette::PlaceholderText).name()));
    versionRow->addWidget(m_versionLabel);
    about->addLayout(versionRow);
    about->addWidget(m_checkButton, 0, Qt::AlignLeft);
    about->addWidget(m_updatesFromPackageLabel);

    auto* layout = new QVBoxLayout(this);
    //% "ホットキー"
    layout->addWidget(section(qtTrId("HOTKEY_SETTINGS_HEADER"), hotkeys));
    //% "一般"
    layout->addWidget(section(qtTrId("GENERAL_SETTINGS_HEADER"), general));
    auto* privacy = new QVBoxLayout;
    privacy->addWidget(new PrivacySection(model.ignoredApplications()));
    //% "プライバシー"
    layout->addWidget(section(qtTrId("PRIVACY_SETTINGS_HEADER"), privacy));
    if (model.sync()) {
        auto* sync = new QVBoxLayout;
        sync->addWidget(new SyncSection(*model.sync()));
        //% "Sync"
        layout->addWidget(section(qtTrId("SYNC_SETTINGS_HEADER"), sync));
    }
    //% "このアプリについて"
    layout->addWidget(section(qtTrId("ABOUT_APP_HEADER"), about));
    layout->addStretch();

    connect(&model, &SettingsViewModel::historyHotkeyChanged, this,
            [this] { m_historyRow->setConfig(m_model.historyHotkey()); });
    connect(&model, &SettingsViewModel::phraseHotkeyChanged, this,
            [this] { m_phraseRow->setConfig(m_model.phraseHotkey()); });
    connect(&model, &SettingsViewModel::hotkeyNoticesChanged, this, &SettingsView::showNotices);
    for (HotkeySettingRow* row : {m_historyRow, m_phraseRow}) {
        connect(row, &HotkeySettingRow::recordingChanged, this, &SettingsView::recordingChanged);
        // A cancelled recording takes the error of the last one with it.
        connect(row, &HotkeySettingRow::cancelled, this, [this] { m_model.dismissError(); });
    }
    connect(&model, &SettingsViewModel::ownHotkeyRecorded, this, [this](HotkeyConfig chord) {
        for (HotkeySettingRow* row : {m_historyRow, m_phraseRow})
            if (row->isRecording()) row->recordChord(chord);
    });
    connect(m_resetButton, &QPushButton::clicked, this, [this] { m_model.resetToDefaults(); });
    connect(&model, &SettingsViewModel::errorMessageChanged, this, &SettingsView::showError);

    DesktopShortcutsOption& desktop = model.desktopShortcuts();
    connect(m_desktopShortcutsToggle, &QCheckBox::clicked, this, [this](bool on) {
        m_model.setDesktopShortcutsEnabled(on);
        // What the desktop holds now, also when the change failed.
        showDesktopShortcuts();
    });
    for (auto change :
         {&DesktopShortcutsOption::isOfferedChanged, &DesktopShortcutsOption::isOnChanged,
          &DesktopShortcutsOption::errorChanged})
        connect(&desktop, change, this, &SettingsView::showDesktopShortcuts);

    m_autoLaunchToggle->setChecked(model.isAutoLaunchEnabled());
    connect(m_autoLaunchToggle, &QCheckBox::clicked, this, [this](bool on) {
        m_model.setAutoLaunchEnabled(on);
        // Whatever the system settled on, also when that is no change of the model.
        m_autoLaunchToggle->setChecked(m_model.isAutoLaunchEnabled());
    });
    connect(&model, &SettingsViewModel::autoLaunchErrorChanged, this,
            &SettingsView::showAutoLaunchError);
    connect(&model, &SettingsViewModel::isAutoLaunchEnabledChanged, this,
            [this] { m_autoLaunchToggle->setChecked(m_model.isAutoLaunchEnabled()); });

    connect(m_checkButton, &QPushButton::clicked, this, [this] { m_model.checkForUpdates(); });
    connect(&model, &SettingsViewModel::isCheckingForUpdatesChanged, this,
            &SettingsView::showChecking);
    m_spinner.setInterval(80);
    connect(&m_spinner, &QTimer::timeout, this, &SettingsView::drawSpinner);
    connect(&model, &SettingsViewModel::isShowingUpdateResultChanged, this,
            &SettingsView::presentResultIfAsked);

    showError();
    showAutoLaunchError();
    showNotices();
    showDesktopShortcuts();
    showChecking();
}

SettingsView::~SettingsView() {
    // However the window goes, our own keys work again. Only then: a window hidden earlier
    // stopped recording already, and may be deleted after the model is gone.
    if (m_historyRow->isRecording() || m_phraseRow->isRecording())
        m_model.setRecordingHotkey(false);
}

void SettingsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;
    m_model.refreshAutoLaunchStatus();
    m_model.desktopShortcuts().refresh();
    // After the window is up, so the sheet has a window to sit on.
    QMetaObject::invokeMethod(this, &SettingsView::presentResultIfAsked, Qt::QueuedConnection);
}

void SettingsView::closeEvent(QCloseEvent* event) {
    // A sheet goes with its window, and says so to the model as any other closing would.
    if (m_sheet) m_sheet->reject();
    QWidget::closeEvent(event);
}

void SettingsView::hideEvent(QHideEvent* event) {
    // Nobody records into a window that is not there.
    stopRecording();
    QWidget::hideEvent(event);
}

void SettingsView::stopRecording() {
    m_historyRow->setRecording(false);
    m_phraseRow->setRecording(false);
}

void SettingsView::recordingChanged() {
    // Suspended while either row records; a click on the other row's button stops the first
    // before the second starts.
    m_model.setRecordingHotkey(m_historyRow->isRecording() || m_phraseRow->isRecording());
}

void SettingsView::showError() {
    m_errorLabel->setText(m_model.errorMessage());
}

void SettingsView::showAutoLaunchError() {
    m_autoLaunchErrorLabel->setText(m_model.autoLaunchError());
    m_autoLaunchErrorLabel->setVisible(!m_model.autoLaunchError().isEmpty());
}

void SettingsView::showNotices() {
    m_historyRow->setNotice(m_model.historyHotkeyNotice());
    m_phraseRow->setNotice(m_model.phraseHotkeyNotice());
}

void SettingsView::showDesktopShortcuts() {
    const DesktopShortcutsOption& option = m_model.desktopShortcuts();
    m_desktopShortcutsToggle->setVisible(option.isOffered());
    m_desktopShortcutsToggle->setChecked(option.isOn());
    m_desktopShortcutsErrorLabel->setText(option.error());
    m_desktopShortcutsErrorLabel->setVisible(option.isOffered() && !option.error().isEmpty());
}

void SettingsView::showChecking() {
    const bool checking = m_model.isCheckingForUpdates();
    m_checkButton->setEnabled(!checking);
    if (checking) {
        //% "確認中..."
        m_checkButton->setText(qtTrId("CHECKING_FOR_UPDATES"));
        drawSpinner();
        m_spinner.start();
    } else {
        m_spinner.stop();
        m_checkButton->setIcon(QIcon());
        //% "更新をチェック..."
        m_checkButton->setText(qtTrId("CHECK_FOR_UPDATES"));
    }
}

void SettingsView::drawSpinner() {
    const int size = 16;
    const qreal ratio = devicePixelRatioF();
    QPixmap frame(QSize(size, size) * ratio);
    frame.setDevicePixelRatio(ratio);
    frame.fill(Qt::transparent);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 2, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(QRectF(2, 2, size - 4, size - 4), -m_spinnerAngle * 16, 270 * 16);
    painter.end();
    // Drawn as the normal and the disabled look alike: the button is disabled meanwhile.
    QIcon icon;
    icon.addPixmap(frame, QIcon::Normal);
    icon.addPixmap(frame, QIcon::Disabled);
    m_checkButton->setIcon(icon);
    m_spinnerAngle = (m_spinnerAngle + 30) % 360;
}

void SettingsView::presentResultIfAsked() {
    if (!m_model.isShowingUpdateResult()) {
        if (m_sheet) m_sheet->reject();
        return;
    }
    if (m_sheet || !isVisible()) return;
    m_sheet = new UpdateResultView(m_model, window());
    m_sheet->setObjectName(QStringLiteral("updateResultSheet"));
    connect(m_sheet, &QDialog::finished, this, [this] {
        // Forgotten at once, so a result that comes in meanwhile gets a sheet of its own.
        if (m_sheet) m_sheet.data()->deleteLater();
        m_sheet = nullptr;
        m_model.setIsShowingUpdateResult(false);
    });
    m_sheet->open();
}

}  // namespace quillet
