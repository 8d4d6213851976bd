#include "widgets/WidgetOperator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

namespace rq {
namespace {

QMessageBox::Icon iconFor(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
    case MessageKind::Application:
        return QMessageBox::Critical;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole roleFor(Button button)
{
    switch (button) {
    case Button::Ok:
    case Button::Yes:
        return QMessageBox::YesRole;
    case Button::No:
        return QMessageBox::NoRole;
    case Button::Cancel:
    case Button::Abort:
        return QMessageBox::RejectRole;
    case Button::Retry:
    case Button::Ignore:
        return QMessageBox::ActionRole;
    }
    return QMessageBox::ActionRole;
}

struct OverrideCursor : WaitCursor
{
    OverrideCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursor() override { QApplication::restoreOverrideCursor(); }
};

// A box or dialog that comes up while a command shows the hourglass gets the
// ordinary arrow, so that the operator sees it waits for an answer.
class ArrowWhileAsking
{
public:
    ArrowWhileAsking()
        : m_active(QApplication::overrideCursor() != nullptr)
    {
        if (m_active)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking()
    {
        if (m_active)
            QApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking &) = delete;
    ArrowWhileAsking &operator=(const ArrowWhileAsking &) = delete;

private:
    bool m_active;
};

void merge(FileDialogRequest &shared, const FileDialogRequest &request)
{
    if (request.title)
        shared.title = request.title;
    if (request.fileName)
        shared.fileName = request.fileName;
    if (request.filter)
        shared.filter = request.filter;
    if (request.initialDirectory)
        shared.initialDirectory = request.initialDirectory;
    if (request.defaultSuffix)
        shared.defaultSuffix = request.defaultSuffix;
    shared.promptOverwrite = request.promptOverwrite;
}

}  // namespace

QWidget *WidgetOperator::dialogParent() const
{
    // Boxes and dialogs belong to the window the operator works in, which is
    // often a modal window above the main window.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return m_parent;
}

WidgetOperator::WidgetOperator(QWidget *parent)
    : m_parent(parent)
{
}

void WidgetOperator::showMessage(MessageKind kind, const QString &text)
{
    ask(text, {Button::Ok}, kind);
}

Button WidgetOperator::question(const QString &text, const QList<Button> &buttons, MessageKind kind, Button enter)
{
    QMessageBox box(iconFor(kind), messageCaption(kind), text, QMessageBox::NoButton, dialogParent());
    QList<QPair<QAbstractButton *, Button>> map;
    for (const Button b : buttons) {
        QPushButton *pb = box.addButton(buttonText(b), roleFor(b));
        map.append({pb, b});
    }
    for (const auto &[pb, b] : map) {
        if (b == enter)
            box.setDefaultButton(qobject_cast<QPushButton *>(pb));
    }
    // Esc answers with the last "cancel"-like button, as the system boxes do.
    for (const auto &[pb, b] : map) {
        if (b == Button::Cancel || b == Button::No || b == Button::Abort || buttons.size() == 1)
            box.setEscapeButton(pb);
    }
    const ArrowWhileAsking arrow;
    box.exec();
    for (const auto &[pb, b] : map) {
        if (box.clickedButton() == pb)
            return b;
    }
    return buttons.isEmpty() ? Button::Ok : buttons.last();
}

std::optional<QStringList> WidgetOperator::runFileDialog(FileDialogRequest &shared, const FileDialogRequest &request,
                                                         QFileDialog::FileMode mode)
{
    merge(shared, request);
    QFileDialog dialog(dialogParent(), shared.title.value_or(QString()));
    const bool save = mode == QFileDialog::AnyFile;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(mode);
    if (shared.filter)
        dialog.setNameFilters(qtNameFilters(*shared.filter));
    if (shared.initialDirectory)
        dialog.setDirectory(*shared.initialDirectory);
    if (shared.defaultSuffix)
        dialog.setDefaultSuffix(*shared.defaultSuffix);
    if (shared.fileName)
        dialog.selectFile(*shared.fileName);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !shared.promptOverwrite);
    const ArrowWhileAsking arrow;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    shared.fileName = QFileInfo(chosen.constFirst()).fileName();
    shared.initialDirectory = QFileInfo(chosen.constFirst()).absolutePath();
    return chosen;
}

std::optional<QString> WidgetOperator::chooseOpenFile(const FileDialogRequest &request)
{
    if (const auto chosen = runFileDialog(m_openDialog, request, QFileDialog::ExistingFile))
        return chosen->constFirst();
    return std::nullopt;
}

std::optional<QString> WidgetOperator::chooseSaveFile(const FileDialogRequest &request)
{
    if (const auto chosen = runFileDialog(m_saveDialog, request, QFileDialog::AnyFile))
        return chosen->constFirst();
    return std::nullopt;
}

std::optional<QStringList> WidgetOperator::chooseOpenFiles(const FileDialogRequest &request)
{
    // The shared open dialog with multiple selection for this one command.
    return runFileDialog(m_openDialog, request, QFileDialog::ExistingFiles);
}

std::optional<QString> WidgetOperator::askText(const QString &title, const QString &prompt, const QString &defaultText)
{
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(buttonText(Button::Ok));
    dialog.setCancelButtonText(buttonText(Button::Cancel));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::unique_ptr<WaitCursor> WidgetOperator::waitCursor()
{
    return std::make_unique<OverrideCursor>();
}

void WidgetOperator::report(const QString &summary)
{
    if (m_reportLine)
        m_reportLine(summary);
}

namespace {

// The work runs on the window's thread: the dialog is brought up to date, and
// its window painted, at most every 100 ms, which costs the work nothing.
class DialogProgress : public Progress
{
public:
    DialogProgress(const QString &label, QWidget *parent)
        : m_dialog(label, QString(), 0, 1000, parent)
    {
        m_dialog.setWindowTitle(QStringLiteral("Ranquill"));
        m_dialog.setCancelButton(nullptr);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(1000);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_dialog.setValue(0);
        m_sinceUpdate.start();
    }

    void advance(qint64 done, qint64 total) override
    {
        if (m_sinceUpdate.elapsed() < 100 || total <= 0)
            return;
        m_sinceUpdate.restart();
        // The bar counts in thousandths, so that any count fits its int range.
        m_dialog.setValue(int(std::clamp<qint64>(done * 1000 / total, 0, 999)));
    }

private:
    QProgressDialog m_dialog;
    QElapsedTimer m_sinceUpdate;
};

}  // namespace

std::unique_ptr<Progress> WidgetOperator::progress(const QString &label)
{
    return std::make_unique<DialogProgress>(label, dialogParent());
}

}  // namespace rq
