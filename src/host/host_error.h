// The one kind of failure the host reports to its user: a sentence naming
// the problem, printed on one line of stderr, exit status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace vyrtal::host {

class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace vyrtal::host
