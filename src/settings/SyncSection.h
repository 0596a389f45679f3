#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace quillet {

class SyncControl;

// The settings window's sync section. Off: a folder (typed, or chosen in a dialog), then Start
// Sync for a new pairing code, or a code from another computer and Join. On: the folder, the
// other computers seen, when their last change came, the pairing code with a Copy button, and
// Turn Off (after a confirmation). What goes wrong shows in red under it. Every control is
// reached with Tab; Return in a field presses its button.
class SyncSection : public QWidget {
    Q_OBJECT
public:
    // Asks for a folder; `done` gets it, or nothing after Cancel.
    using ChooseFolder =
        std::function<void(QWidget* parent, std::function<void(const QString& folder)> done)>;
    // Asks whether to turn sync off; true to go on.
    using Confirm = std::function<bool(QWidget* parent)>;

    explicit SyncSection(SyncControl& sync, QWidget* parent = nullptr);

    void setFolderChooser(ChooseFolder choose) { m_chooseFolder = std::move(choose); }
    void setConfirmation(Confirm confirm) { m_confirm = std::move(confirm); }

private:
    void showStatus();
    void showCode(const QString& code);
    void setBusy(bool busy);
    void showError(const QString& reason);
    void start();
    void join();
    void turnOff();
    void copyCode();

    SyncControl& m_sync;
    ChooseFolder m_chooseFolder;
    Confirm m_confirm;
    QLabel* m_state;
    QLabel* m_problem;
    QStackedWidget* m_pages;
    QLineEdit* m_folderEdit;
    QPushButton* m_chooseButton;
    QPushButton* m_startButton;
    QLineEdit* m_codeEntry;
    QPushButton* m_joinButton;
    QLineEdit* m_codeShown;
    QPushButton* m_copyButton;
    QPushButton* m_turnOffButton;
    QString m_error;  // the last request's failure, until the next request
    bool m_busy = false;
};

}  // namespace quillet
