#pragma once

#include "platform/ClipboardWriter.h"
#include "platform/PrimarySelection.h"

class QClipboard;

namespace quillet {

// Our texts through QClipboard, which takes every one (whether the desktop follows is for the
// reader to see).
class QtClipboardWriter final : public ClipboardWriter {
public:
    explicit QtClipboardWriter(QClipboard* clipboard) : m_clipboard(clipboard) {}
    bool write(const std::optional<QString>& text) override;
    const char* refusal() const override { return "Qt's clipboard refused it"; }

private:
    QClipboard* m_clipboard;
};

// PRIMARY through QClipboard where the platform has it: the text stays there after the paste
// (nothing tells us what the user had selected before). Ready at once.
class QtPrimarySelection final : public PrimarySelection {
public:
    explicit QtPrimarySelection(QClipboard* clipboard) : m_clipboard(clipboard) {}
    void lend(const QString& text, std::function<void(bool)> ready) override;

private:
    QClipboard* m_clipboard;
};

}  // namespace quillet
