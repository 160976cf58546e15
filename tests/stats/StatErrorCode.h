#pragma once

#include "stats/StStat.h"

// The code of the EStStatError that f raises, or 0 when it raises none.
template <class F>
int ErrorCode(F f) {
    try {
        f();
    } catch (const EStStatError& e) {
        return e.Code();
    }
    return 0;
}
