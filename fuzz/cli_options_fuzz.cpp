// The command line: the input split on NUL bytes is the argument list. Parsing
// must never fault, and parsing a fresh copy of the same list right after
// (getopt keeps state between calls) must give the same result.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz/fuzz_support.h"

namespace {

using tallyfold::cli::CliOptions;

constexpr size_t kMaxArguments = 64;

// The arguments as separately allocated strings, as the kernel would hand
// them over, so that a pointer kept from an earlier call is caught when the
// copy is freed.
class ArgumentList {
 public:
  explicit ArgumentList(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
      auto copy = std::make_unique<char[]>(argument.size() + 1);
      argument.copy(copy.get(), argument.size());
      copy[argument.size()] = '\0';
      pointers_.push_back(copy.get());
      storage_.push_back(std::move(copy));
    }
    pointers_.push_back(nullptr);
  }
  int argc() const { return static_cast<int>(pointers_.size()) - 1; }
  char** argv() { return pointers_.data(); }

 private:
  std::vector<std::unique_ptr<char[]>> storage_;
  std::vector<char*> pointers_;
};

// A field as text, whatever type the options give it.
template <typename T>
std::string fieldText(const T& value) {
  if constexpr (std::is_arithmetic_v<T>) {
    return std::to_string(value);
  } else {
    return std::string(value);
  }
}

template <typename T>
std::string fieldText(const std::optional<T>& value) {
  return value ? "=" + fieldText(*value) : "-";
}

std::string describe(bool parsed, const CliOptions& o, const std::string& error) {
  std::string text = parsed ? "ok|" : "error:" + error + "|";
  auto add = [&text](const auto& field) {
    text += fieldText(field);
    text += '|';
  };
  for (const std::string& folder : o.folders) add(folder);
  add(o.jobFile);
  add(o.reportType);
  add(o.sort);
  add(o.fontName);
  add(o.fontSize);
  add(o.level);
  add(o.filter);
  for (const auto& [key, value] : o.settings) add(key + "=" + value);
  add(o.output);
  add(o.compare);
  for (bool flag : {o.descending, o.noSubFolders, o.records, o.nulTerminated, o.followLinks,
                    o.quiet, o.help, o.version}) {
    add(flag);
  }
  return text;
}

std::string parseOnce(const std::vector<std::string>& arguments) {
  ArgumentList list(arguments);
  CliOptions options;
  std::string error;
  bool parsed = tallyfold::cli::parseCliOptions(list.argc(), list.argv(), options, error);
  return describe(parsed, options, error);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = tallyfold::fuzz::asText(data, size);
  std::vector<std::string> arguments{"tallyfold-cli"};
  size_t start = 0;
  while (start <= input.size() && arguments.size() < kMaxArguments) {
    size_t end = input.find('\0', start);
    if (end == std::string_view::npos) end = input.size();
    arguments.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  if (input.empty()) arguments.resize(1);

  const std::string first = parseOnce(arguments);
  const std::string second = parseOnce(arguments);
  FUZZ_CHECK(first == second);
  return 0;
}
