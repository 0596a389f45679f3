#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "settings/UpdateResultView.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace quillet {

class HotkeySettingRow;
class SettingsViewModel;

// The settings window's content: hot keys, start at login, ignored applications, version and
// update check. A thin
// view: every value is the model's, and the update result sheet is up exactly while the
// model says so.
class SettingsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int width = 400;
    static constexpr int height = 530;
    // Taller by this much with the sync section.
    static constexpr int syncHeight = 160;

    explicit SettingsView(SettingsViewModel& model, QWidget* parent = nullptr);
    ~SettingsView() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void showError();
    void recordingChanged();
    void stopRecording();
    void showAutoLaunchError();
    void showNotices();
    void showDesktopShortcuts();
    void showChecking();
    void presentResultIfAsked();
    void drawSpinner();

    SettingsViewModel& m_model;
    HotkeySettingRow* m_historyRow;
    HotkeySettingRow* m_phraseRow;
    QPushButton* m_resetButton;
    QLabel* m_errorLabel;
    QCheckBox* m_desktopShortcutsToggle;
    QLabel* m_desktopShortcutsErrorLabel;
    QCheckBox* m_autoLaunchToggle;
    QLabel* m_autoLaunchErrorLabel;
    QLabel* m_versionLabel;
    QPushButton* m_checkButton;
    QLabel* m_updatesFromPackageLabel;
    QTimer m_spinner;
    int m_spinnerAngle = 0;
    QPointer<UpdateResultView> m_sheet;
};

}  // namespace quillet
