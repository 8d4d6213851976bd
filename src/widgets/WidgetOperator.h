#pragma once

#include "common/Operator.h"

#include <QFileDialog>

#include <functional>

class QWidget;

namespace rq {

// The Operator of the real program: message boxes with the German captions and
// button texts, the shared open and save dialogs, the input dialog and the
// hourglass cursor. The shared dialogs keep what the previous command set.
class WidgetOperator : public Operator
{
public:
    explicit WidgetOperator(QWidget *parent);

    void showMessage(MessageKind kind, const QString &text) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest &request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest &request) override;
    std::optional<QStringList> chooseOpenFiles(const FileDialogRequest &request) override;
    std::optional<QString> askText(const QString &title, const QString &prompt, const QString &defaultText) override;
    std::unique_ptr<WaitCursor> waitCursor() override;
    void report(const QString &summary) override;
    // A dialog with a bar over the window the operator works in, shown once the
    // work has run for a second.
    std::unique_ptr<Progress> progress(const QString &label) override;

    // Where summaries go (the main window's status bar).
    void setReportLine(std::function<void(const QString &)> line) { m_reportLine = std::move(line); }

protected:
    Button question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter) override;

private:
    QWidget *dialogParent() const;
    std::optional<QStringList> runFileDialog(FileDialogRequest &shared, const FileDialogRequest &request,
                                             QFileDialog::FileMode mode);

    QWidget *m_parent;
    FileDialogRequest m_openDialog;
    FileDialogRequest m_saveDialog;
    std::function<void(const QString &)> m_reportLine;
};

}  // namespace rq
