#pragma once
// A report sink over any of the platform's line writers (the atomic file
// writer, the temporary file), which add the CR LF themselves.

#include <string_view>

#include "report/report.h"

namespace tallyfold {

template <class Writer>
class LineSink : public ReportSink {
 public:
  explicit LineSink(Writer& writer) : writer_(writer) {}
  void writeLine(std::string_view line) override { writer_.writeLine(line); }

 private:
  Writer& writer_;
};

}  // namespace tallyfold
