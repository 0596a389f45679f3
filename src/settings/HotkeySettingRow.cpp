#include "settings/HotkeySettingRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <utility>

#include "hotkeys/HotkeyRecorder.h"

namespace quillet {

namespace {

QString boxStyle(const QColor& text, QColor background) {
    background.setAlphaF(0.1);
    return QStringLiteral(
               "QLabel { color: %1; background: rgba(%2, %3, %4, %5); border-radius: 4px;"
               " padding: 4px 8px; }")
        .arg(text.name())
        .arg(background.red())
        .arg(background.green())
        .arg(background.blue())
        .arg(background.alpha());
}

}  // namespace

HotkeySettingRow::HotkeySettingRow(const QString& label, HotkeyConfig config, OnUpdate onUpdate,
                                   QWidget* parent)
    : QWidget(parent),
      m_config(config),
      m_onUpdate(std::move(onUpdate)),
      m_keyBox(new QLabel),
      //% "変更"
      m_changeButton(new QPushButton(qtTrId("CHANGE_HOTKEY"))),
      m_notice(new QLabel),
      m_recorder(new HotkeyRecorder(m_keyBox)) {
    m_keyBox->setObjectName(QStringLiteral("hotkeyKeyBox"));
    m_changeButton->setObjectName(QStringLiteral("hotkeyChangeButton"));
    m_notice->setObjectName(QStringLiteral("hotkeyNotice"));
    m_recorder->setObjectName(QStringLiteral("hotkeyRecorder"));
    // The prompt takes the button's place; the row keeps the button's room meanwhile.
    QSizePolicy keepsRoom = m_changeButton->sizePolicy();
    keepsRoom.setRetainSizeWhenHidden(true);
    m_changeButton->setSizePolicy(keepsRoom);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(label));
    row->addStretch();
    row->addWidget(m_keyBox);
    row->addWidget(m_changeButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addLayout(row);
    QFont caption = m_notice->font();
    caption.setPointSizeF(caption.pointSizeF() * 0.85);
    m_notice->setFont(caption);
    m_notice->setWordWrap(true);
    m_notice->setTextFormat(Qt::RichText);
    // Selectable, so the command can be copied into the desktop's settings.
    m_notice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_notice->hide();
    layout->addWidget(m_notice);

    m_recorder->hide();
    connect(m_changeButton, &QPushButton::clicked, this, [this] { setRecording(true); });
    connect(m_recorder, &HotkeyRecorder::recorded, this, &HotkeySettingRow::recorded);
    connect(m_recorder, &HotkeyRecorder::cancelled, this, [this] {
        if (!m_isRecording) return;
        setRecording(false);
        emit cancelled();
    });
    refresh();
}

void HotkeySettingRow::setConfig(HotkeyConfig config) {
    m_config = config;
    refresh();
}

void HotkeySettingRow::setNotice(const QString& notice) {
    // A command it names, on a line of its own, in the typewriter face.
    static const QRegularExpression command(QStringLiteral("(quillet --[a-z-]+)"));
    QString html = notice.toHtmlEscaped();
    html.replace(command, QStringLiteral("<code>\\1</code>"))
        .replace(u'\n', QStringLiteral("<br>"));
    m_notice->setText(html);
    m_notice->setVisible(!notice.isEmpty());
}

void HotkeySettingRow::setRecording(bool recording) {
    if (m_isRecording == recording) return;
    m_isRecording = recording;
    refresh();
    if (recording) {
        // Behind the prompt, the size of its box; showing it gives it the keyboard.
        m_recorder->setGeometry(m_keyBox->rect());
        m_recorder->lower();
        m_recorder->show();
    } else {
        const bool hadFocus = m_recorder->hasFocus();
        m_recorder->hide();
        if (hadFocus) m_changeButton->setFocus(Qt::OtherFocusReason);
    }
    emit recordingChanged(recording);
}

void HotkeySettingRow::recordChord(HotkeyConfig chord) {
    if (!m_isRecording) return;
    // Done recording first: our own keys are back before the new pair is registered.
    setRecording(false);
    if (m_onUpdate) m_onUpdate(chord.keyCode, chord.modifierFlags);
}

void HotkeySettingRow::recorded(quint32 keyCode, quint64 eventFlags) {
    recordChord(HotkeyConfig(keyCode, HotkeyConfig::carbonModifiers(eventFlags)));
}

void HotkeySettingRow::refresh() {
    const QPalette& colours = palette();
    if (m_isRecording) {
        //% "キーを入力..."
        m_keyBox->setText(qtTrId("RECORDING_HOTKEY"));
        const QColor accent = colours.color(QPalette::Highlight);
        m_keyBox->setStyleSheet(boxStyle(accent, accent));
    } else {
        m_keyBox->setText(m_config.displayString());
        m_keyBox->setStyleSheet(
            boxStyle(colours.color(QPalette::PlaceholderText), QColor(Qt::gray)));
    }
    m_changeButton->setVisible(!m_isRecording);
}

}  // namespace quillet
