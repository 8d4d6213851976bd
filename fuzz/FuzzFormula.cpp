// Formulas: checking, splitting and evaluating any text; the first 16 bytes
// give the values of L and Z.
#include "capture/FormulaParser.h"

#include <cstring>

#include "FuzzSupport.h"

using namespace rq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    double values[2] = {12.5, 3.0};
    if (size >= sizeof values) {
        std::memcpy(values, data, sizeof values);
        data += sizeof values;
        size -= sizeof values;
    }
    fuzz::QuietOperator op;
    capture::FormulaParser parser(op);
    if (parser.prepare(fuzz::text(data, size)))
        (void)parser.evaluate(values[0], values[1]);
    return 0;
}
