#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace quillet {

class SettingsViewModel;

// The sheet over the settings window with the outcome of an update check: a newer version
// with its notes and the way to the download page, or the check's message. It keeps nothing
// of its own and redraws from the model when the model changes.
class UpdateResultView : public QDialog {
    Q_OBJECT
public:
    static constexpr int width = 380;
    static constexpr int iconSize = 48;
    static constexpr int notesMaxHeight = 100;

    // Window-modal over `parent`.
    UpdateResultView(SettingsViewModel& model, QWidget* parent);

private:
    void rebuild();
    QWidget* buildUpdateFace();
    QWidget* buildMessageFace();
    void openDownloadPage();

    SettingsViewModel& m_model;
    QVBoxLayout* m_layout;
    QLabel* m_iconLabel;
    QWidget* m_body = nullptr;
    QPushButton* m_closeButton = nullptr;
    QPushButton* m_downloadButton = nullptr;
    QScrollArea* m_notesBox = nullptr;
    QLabel* m_notesMoreLink = nullptr;
};

}  // namespace quillet
