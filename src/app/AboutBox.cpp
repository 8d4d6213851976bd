#include "app/AboutBox.h"

#include "app/Logo.h"
#include "common/BuildInfo.h"
#include "common/IniFile.h"
#include "common/Numbers.h"
#include "widgets/GeometryKeeper.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace rq {
namespace {
const QString kWindowName = QStringLiteral("AboutBox");

QLabel *overlayLabel(QWidget *parent, const QString &text, int pixelSize, bool italic, const QRect &box)
{
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelSize);
    font.setItalic(italic);
    label->setFont(font);
    label->setGeometry(box);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}
}  // namespace

AboutBox::AboutBox(IniFile &ini, QWidget *parent)
    : QDialog(parent)
    , m_ini(ini)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Info über Ranquill"));
    setFixedSize(298, 406);

    auto *panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 281);
    auto *picture = new QLabel(panel);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap::fromImage(aboutPicture()));
    picture->setGeometry(0, 0, 281, 281);
    overlayLabel(panel, QStringLiteral("Ranquill"), 32, true, QRect(16, 16, 250, 44));
    m_version = overlayLabel(panel, QStringLiteral("Version"), 19, false, QRect(16, 66, 250, 26));
    m_build = overlayLabel(panel, QStringLiteral("Build"), 13, false, QRect(16, 96, 250, 20));

    auto *line = new QFrame(this);
    line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    line->setGeometry(8, 296, 281, 4);
    m_os = new QLabel(this);
    m_os->setGeometry(8, 304, 281, 20);
    m_database = new QLabel(this);
    m_database->setObjectName(QStringLiteral("DatabaseLine"));
    m_database->setGeometry(8, 348, 281, 20);
    // The figure starts a space after its caption, however wide the font sets it.
    auto *memoryCaption = new QLabel(QStringLiteral("Verfügbarer Speicher:"), this);
    memoryCaption->setObjectName(QStringLiteral("MemoryCaption"));
    const int captionWidth = memoryCaption->fontMetrics().horizontalAdvance(memoryCaption->text());
    memoryCaption->setGeometry(8, 326, captionWidth, 20);
    const int figureLeft = 8 + captionWidth + memoryCaption->fontMetrics().horizontalAdvance(u' ');
    m_memory = new QLabel(this);
    m_memory->setGeometry(figureLeft, 326, 289 - figureLeft, 20);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(111, 374, 75, 25);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    fillSystemLines();
    m_build->setText(QStringLiteral("Build ") + build::fileVersion());
    m_version->setText(QStringLiteral("Version ") + build::productVersion());
    fillSystemLines();
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).restore(this);
}

AboutBox::~AboutBox()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).store(this);
}

void AboutBox::fillSystemLines()
{
    // A long line is shortened to the dialog's width; its hint holds all of it.
    const QString os = build::osLine();
    m_os->setToolTip(os);
    m_os->setText(m_os->fontMetrics().elidedText(os, Qt::ElideRight, m_os->width()));
    m_memory->setText(num::formatGrouped(build::physicalMemoryKb(), num::thousandsSeparator()) + QStringLiteral(" KB"));
}

void AboutBox::showEvent(QShowEvent *event)
{
    fillSystemLines();
    QDialog::showEvent(event);
}

QString AboutBox::versionText() const
{
    return m_version->text();
}
QString AboutBox::buildText() const
{
    return m_build->text();
}
QString AboutBox::osText() const
{
    return m_os->toolTip();
}
QString AboutBox::memoryText() const
{
    return m_memory->text();
}

void AboutBox::setDatabase(const QString &text)
{
    const QString line = QStringLiteral("Datenbank: ") + text;
    m_database->setToolTip(line);
    m_database->setText(m_database->fontMetrics().elidedText(line, Qt::ElideMiddle, m_database->width()));
}

QString AboutBox::databaseText() const
{
    return m_database->toolTip();
}

}  // namespace rq
