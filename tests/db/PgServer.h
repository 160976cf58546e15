#pragma once

#include <string>

// The throw-away server of the database tests (pg_cluster.sh, started by a CTest fixture): its
// connection URI, or "" when none runs.
std::string testServerUri();

// Skips the current test, saying why, when no test server runs.
#define TAV_REQUIRE_SERVER()                                                                      \
    do {                                                                                          \
        if (testServerUri().empty())                                                              \
            GTEST_SKIP() << "No PostgreSQL test server (pg_cluster.sh found no server programs)"; \
    } while (0)
