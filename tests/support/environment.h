#pragma once
// An environment variable set (or, with nullopt, removed) for the life of one
// object, its earlier value put back afterwards.

#include <cstdlib>
#include <optional>
#include <string>

namespace tallyfold::test {

class EnvironmentValue {
 public:
  EnvironmentValue(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
  }
  ~EnvironmentValue() { previous_ ? setenv(name_, previous_->c_str(), 1) : unsetenv(name_); }
  EnvironmentValue(const EnvironmentValue&) = delete;
  EnvironmentValue& operator=(const EnvironmentValue&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace tallyfold::test
