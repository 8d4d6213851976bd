#pragma once

#include "common/Operator.h"

#include <QStringList>

namespace rq {

// An Operator for work that runs beside the operator's own (the results site)
// or without one (fuzzing): it shows nothing, chooses no file, and answers a
// question with the button Enter would press.
class QuietOperator : public Operator
{
public:
    void showMessage(MessageKind, const QString &) override { }
    std::optional<QString> chooseOpenFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> chooseSaveFile(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QStringList> chooseOpenFiles(const FileDialogRequest &) override { return std::nullopt; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override { return std::nullopt; }
    std::unique_ptr<WaitCursor> waitCursor() override { return std::make_unique<WaitCursor>(); }

protected:
    Button question(const QString &, const QList<Button> &, MessageKind, Button enter) override { return enter; }
};

}  // namespace rq
