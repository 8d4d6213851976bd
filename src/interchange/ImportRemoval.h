#pragma once

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::interchange {

// "Importe löschen": after the question, removes all rows of LEISTUNG, PERSON
// and IMPORT; club links, clubs and ranking lists stay. Import numbers start
// at 1 again. Either all three tables are emptied or none.
class ImportRemoval
{
public:
    static void removeAll(db::Database &db);
    static void run(db::Database &db, Operator &op);
};

}  // namespace rq::interchange
