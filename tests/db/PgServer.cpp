#include "PgServer.h"

#include <cstdlib>
#include <fstream>

std::string testServerUri() {
    const char* state = std::getenv("TAV_TEST_PG_STATE");
    if (state == nullptr) return "";
    std::ifstream file(std::string(state) + "/uri");
    std::string uri;
    std::getline(file, uri);
    return uri;
}
