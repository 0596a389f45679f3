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

    HotkeySettingRow* historyRow() const { return m_historyRow; }
    HotkeySettingRow* phraseRow() const { return m_phraseRow; }
    QPushButton* resetButton() const { return m_resetButton; }
    QLabel* errorLabel() const { return m_errorLabel; }
    // "Add to GNOME's keyboard shortcuts", shown where the model offers it, and why the
    // last change of it failed.
    QCheckBox* desktopShortcutsToggle() const { return m_desktopShortcutsToggle; }
    QLabel* desktopShortcutsErrorLabel() const { return m_desktopShortcutsErrorLabel; }
    QCheckBox* autoLaunchToggle() const { return m_autoLaunchToggle; }
    // Under the toggle: why the last change of it failed.
    QLabel* autoLaunchErrorLabel() const { return m_autoLaunchErrorLabel; }
    QLabel* versionLabel() const { return m_versionLabel; }
    QPushButton* checkButton() const { return m_checkButton; }
    // In place of the button where the build has no feed: updates come from elsewhere.
    QLabel* updatesFromPackageLabel() const { return m_updatesFromPackageLabel; }
    // The update result sheet while it is up.
    UpdateResultView* resultSheet() const { return m_sheet; }

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
