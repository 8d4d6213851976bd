#pragma once

#include <QDialog>

class QLabel;

namespace rq {

class IniFile;

// "Info über Ranquill": name, version and build compiled into the program,
// the operating system and the installed memory.
class AboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit AboutBox(IniFile &ini, QWidget *parent = nullptr);
    ~AboutBox() override;

    QString versionText() const;
    QString buildText() const;
    QString osText() const;
    QString memoryText() const;
    // The line naming the database in use: the file, or the server's database.
    void setDatabase(const QString &text);
    QString databaseText() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillSystemLines();

    IniFile &m_ini;
    QLabel *m_version = nullptr;
    QLabel *m_build = nullptr;
    QLabel *m_os = nullptr;
    QLabel *m_memory = nullptr;
    QLabel *m_database = nullptr;
};

}  // namespace rq
