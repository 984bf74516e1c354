#pragma once
// Where the shared corpus of real-world documents lies: beside the checkout,
// or where PELMORA_CORPUS in the environment points (a worktree has no
// shared folder beside it). Tests over it skip when it is absent.

#include <cstdlib>
#include <string>

namespace pelmora::test {

inline std::string CorpusDir() {
    const char* env = std::getenv("PELMORA_CORPUS");
    return env && *env ? env : PELMORA_CORPUS;
}

}  // namespace pelmora::test
