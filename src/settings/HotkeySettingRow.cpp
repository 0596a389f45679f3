#include "settings/HotkeySettingRow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
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
      m_recorder(new HotkeyRecorder(m_keyBox)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(label));
    layout->addStretch();
    layout->addWidget(m_keyBox);
    layout->addWidget(m_changeButton);

    m_recorder->hide();
    connect(m_changeButton, &QPushButton::clicked, this, [this] { setRecording(true); });
    connect(m_recorder, &HotkeyRecorder::recorded, this, &HotkeySettingRow::recorded);
    connect(m_recorder, &HotkeyRecorder::cancelled, this, [this] { setRecording(false); });
    refresh();
}

void HotkeySettingRow::setConfig(HotkeyConfig config) {
    m_config = config;
    refresh();
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
        return;
    }
    const bool hadFocus = m_recorder->hasFocus();
    m_recorder->hide();
    if (hadFocus) m_changeButton->setFocus(Qt::OtherFocusReason);
}

void HotkeySettingRow::recorded(quint32 macKeyCode, quint64 eventFlags) {
    if (!m_isRecording) return;
    if (m_onUpdate) m_onUpdate(macKeyCode, HotkeyConfig::carbonModifiers(eventFlags));
    setRecording(false);
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
