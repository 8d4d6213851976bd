#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <memory>
#include <optional>

namespace rq {

// The four kinds of message box, plus the general error display ("Ranquill")
// and the plain box used before any window exists.
enum class MessageKind { Information, Warning, Error, Confirmation, Application, Plain };

enum class Button { Ok, Cancel, Yes, No, Abort, Retry, Ignore };

// The caption of each kind: "Information", "Warnung", "Fehler", "Bestätigung", "Ranquill".
QString messageCaption(MessageKind kind);
// The message of a command that this version does not offer yet.
QString notAvailableMessage();
// The German button texts: "OK", "Abbrechen", "&Ja", "&Nein", "&Abbrechen", ...
QString buttonText(Button button);

// One request to the shared open or save dialog. Fields left unset keep what
// the previous command left on the shared dialog.
struct FileDialogRequest
{
    std::optional<QString> title;
    std::optional<QString> fileName;
    // Filter in the "Beschreibung (*.x)|*.x|..." form of the stored dialogs.
    std::optional<QString> filter;
    std::optional<QString> initialDirectory;
    std::optional<QString> defaultSuffix;
    bool promptOverwrite = false;
};

// Turns "A (*.a)|*.a|B|*.b" into the list of Qt name filters "A (*.a)", "B (*.b)".
QStringList qtNameFilters(const QString &pipeFilter);

// How far a long piece of work has come. The program's window shows a bar
// once the work has run for a second; elsewhere nothing is shown.
class Progress
{
public:
    virtual ~Progress();
    // `done` of `total` steps (rows, lines, bytes or pages: whatever the work counts).
    virtual void advance(qint64 done, qint64 total) = 0;
};

// Every interaction with the person at the machine goes through this interface.
class Operator
{
public:
    virtual ~Operator();

    // Shows a message with an OK button.
    virtual void showMessage(MessageKind kind, const QString &text) = 0;
    // Asks a question (caption "Bestätigung" unless told otherwise) with the
    // given buttons; Enter presses the first.
    Button ask(const QString &text, const QList<Button> &buttons, MessageKind kind = MessageKind::Confirmation);
    // A question whose first answer destroys or discards data: Enter presses
    // `keep`, the button that keeps them.
    Button askKeeping(const QString &text, const QList<Button> &buttons, Button keep,
                      MessageKind kind = MessageKind::Confirmation);
    // The chosen path, or nothing when the operator cancelled.
    virtual std::optional<QString> chooseOpenFile(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileDialogRequest &request) = 0;
    // Several files to open, in the order the dialog gives them; nothing when cancelled.
    virtual std::optional<QStringList> chooseOpenFiles(const FileDialogRequest &request) = 0;
    // One line of text, or nothing when cancelled.
    virtual std::optional<QString> askText(const QString &title, const QString &prompt, const QString &defaultText) = 0;
    // The hourglass while the returned object lives.
    virtual std::unique_ptr<struct WaitCursor> waitCursor() = 0;
    // Says what a finished command did, in a line that needs no answer (the
    // main window's status bar). Shows nothing unless the Operator has such a line.
    virtual void report(const QString &summary);
    // The progress of the long piece of work `label`, until the returned object goes.
    virtual std::unique_ptr<Progress> progress(const QString &label);

    void inform(const QString &text) { showMessage(MessageKind::Information, text); }
    void warn(const QString &text) { showMessage(MessageKind::Warning, text); }
    void error(const QString &text) { showMessage(MessageKind::Error, text); }
    bool confirm(const QString &text);  // Yes/No question; true on Yes
    // Yes/No question whose Yes destroys or discards data; Enter answers No.
    bool confirmDiscarding(const QString &text);

protected:
    // Asks the question; `enter` is the button Enter presses (one of `buttons`).
    virtual Button question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter) = 0;
};

// Scope of the hourglass cursor; the previous cursor comes back on destruction.
struct WaitCursor
{
    virtual ~WaitCursor();
};

// The main window's error list ("Fehlerliste"), lent to imports, restore and setup.
class ErrorList
{
public:
    virtual ~ErrorList();
    virtual void clearLines() = 0;
    virtual void appendLine(const QString &line) = 0;
    virtual void showList() = 0;
    virtual void hideList() = 0;
};

}  // namespace rq
