#pragma once
// The one error type of the reader; every layer throws it with a short reason.

#include <stdexcept>

namespace pelmora::word {

class WordError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

}  // namespace pelmora::word
