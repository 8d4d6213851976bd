// V2E and E2V files: the record reader, the field checks and the import of
// every line into the database.
#include "interchange/InterchangeImport.h"
#include "interchange/RecordReader.h"

#include "FuzzSupport.h"

using namespace rq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    db::Database &db = fuzz::database();
    const QStringList lines = fuzz::lines(data, size);
    for (const QString &line : lines) {
        // A line has 17 fields; a short one repeats its last field for the rest.
        interchange::RecordReader reader(line);
        QString field;
        for (int i = 0; i < 20 && reader.next(field); ++i) { }
    }
    fuzz::QuietErrorList errors;
    for (const auto format : {interchange::Format::V2E, interchange::Format::E2V}) {
        db::Savepoint input(db, QStringLiteral("fuzz_input"));
        interchange::InterchangeImport(db, errors).importLines(QStringLiteral("fuzz"), lines, format);
    }
    return 0;
}
