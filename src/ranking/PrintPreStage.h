#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace rq {
class Operator;
}

namespace rq::ranking {

class KonfigDataModule;

// The display text of a detail: for "EINZEL" the performance, " [additional]"
// and " (points)" (points left out with `shortDetail`); for "PAAR" the same with
// " + additional"; for every other layout the stored detail text. Trimmed.
QString detailDisplayText(const QString &layout, const QString &leistung, const QString &zusatzwert,
                          const QString &punkte, const QString &detailText, bool shortDetail);

// The print pre-stage of the current list (table DETAILLINE): one row per
// block with details, the details spread over 20 column groups, each with its
// display text; and the tab-separated text file of a list's report rows.
class PrintPreStage
{
public:
    PrintPreStage(KonfigDataModule &module, Operator &op);

    // Rebuilds DETAILLINE for the current list in one transaction. `progress`
    // receives (done, total) while the details are taken. Throws EngineError
    // (after the statement's text for the deletion).
    void buildDetailLines(bool shortDetail, const std::function<void(int, int)> &progress = {});

    // The lines of the text file of the current list ("TEAM", "GRUPPE",
    // "EINZEL", "PAAR", "SPIEL"); nothing for any other layout.
    std::optional<QStringList> textLines();
    // "Druckvorstufe &speichern" after the pre-stage: asks for the file
    // (LAYOUT-KAT_NR-KLASSE_NR.txt) and writes it.
    void saveTextFile(bool rebuild, bool shortDetail, const std::function<void(int, int)> &progress = {});

private:
    KonfigDataModule &m_module;
    Operator &m_op;
};

} // namespace rq::ranking
