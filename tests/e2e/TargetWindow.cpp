// A stand-in for the user's application in end-to-end runs: a text window that writes what it
// holds to a file after every change, so the test can see what a paste delivered.
//
//   quillet-target <output file>                 a focused text window; each change of the
//                                                keyboard focus is appended to <output>.focus
//                                                ("in" or "out"), so a test sees a menu of ours
//                                                take the keyboard; the caret's position is
//                                                written to <output>.caret as it moves
//   quillet-target --offer-and-hang <text>       owns the clipboard, then stops itself: an
//                                                owner that never answers
//   quillet-target --copy-as <class> <text>      a window of another application (its X11
//                                                class is <class>) holding <text>, for the
//                                                test to select and copy with the keyboard
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QWindow>
#include <csignal>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillet-target"));
    const QStringList args = QApplication::arguments();

    if (args.size() == 3 && args[1] == QLatin1String("--offer-and-hang")) {
        QApplication::clipboard()->setText(args[2], QClipboard::Clipboard);
        std::raise(SIGSTOP);
        return QApplication::exec();
    }
    if (args.size() == 4 && args[1] == QLatin1String("--copy-as")) {
        // Read by the platform when the first window is made: set before it.
        QApplication::setApplicationName(args[2]);
        QPlainTextEdit window(args[3]);
        window.setWindowTitle(args[2]);
        window.resize(300, 200);
        window.show();
        window.activateWindow();
        return QApplication::exec();
    }
    if (args.size() != 2) return 2;

    const QString outputPath = args[1];
    QPlainTextEdit editor;
    editor.setWindowTitle(QStringLiteral("Quillet target"));
    editor.resize(500, 300);
    QObject::connect(&editor, &QPlainTextEdit::textChanged, [&] {
        QSaveFile file(outputPath);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(editor.toPlainText().toUtf8());
        file.commit();
    });
    QObject::connect(&editor, &QPlainTextEdit::cursorPositionChanged, [&] {
        QSaveFile file(outputPath + QStringLiteral(".caret"));
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(QByteArray::number(editor.textCursor().position()));
        file.commit();
    });
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, [&](QWindow* window) {
        QFile file(outputPath + QStringLiteral(".focus"));
        if (file.open(QIODevice::Append)) file.write(window ? "in\n" : "out\n");
    });
    editor.show();
    editor.activateWindow();
    editor.setFocus();
    return QApplication::exec();
}
