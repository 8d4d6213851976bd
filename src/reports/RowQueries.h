#pragma once

#include <QString>

namespace rq::reports {

// The four ranking-list layouts; "PAAR" prints with the individual one.
enum class ListLayout { Individual, Team, Group, Game };

// The row query of a ranking-list report: one row per position of the list,
// ordered by RANGPOS_NR, with the list's titles and the first detail blocks of
// the pre-stage joined by block number (individual 4, team 6, group 4, game
// none). Parameters KAT_NR and KLASSE_NR, bound in this order. The column names
// are the reports' own (NAME1_k, DETAILTEXTn_k, JAHRHANG_k, PUNKTE_k, ...).
QString rankingRowQuery(ListLayout layout);

// The same with the column KATE (KAT_NR + "-" + KLASSE_NR), the medal lists'
// row queries: first for teams and groups, last for the others.
QString medalRowQuery(ListLayout layout);

}  // namespace rq::reports
