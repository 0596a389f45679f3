#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillet {

class IgnoredApplications;

// The settings window's privacy section: the applications whose copies are never recorded,
// edited from the keyboard (type a name and Return or Add; Delete or Remove takes the chosen
// one away), with a note where this desktop cannot tell which application copied.
class PrivacySection : public QWidget {
    Q_OBJECT
public:
    explicit PrivacySection(IgnoredApplications& model, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showNames();
    void showAttribution();
    void addTyped();
    void removeChosen();

    IgnoredApplications& m_model;
    QListWidget* m_list;
    QLineEdit* m_edit;
    QPushButton* m_addButton;
    QPushButton* m_removeButton;
    QLabel* m_note;
};

}  // namespace quillet
