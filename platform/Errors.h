// The error the platform's file layer raises: its text is what the error box shows.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

class IoError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace platform
