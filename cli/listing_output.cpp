#include "cli/listing_output.h"

#include "app/listing_export.h"
#include "app/page_export.h"

namespace tallyfold::cli {

bool isListingForm(OutputForm form) {
  return form == OutputForm::Csv || form == OutputForm::Json;
}

namespace {

OutputResult outcomeOf(ListingResult& result, ScanResult& scan, std::string& error) {
  for (ReadFailure& failure : result.unreadable) scan.failures.push_back(std::move(failure));
  if (result.stopped) return OutputResult::Stopped;
  if (result.written) return OutputResult::Written;
  error = result.error;
  return OutputResult::Failed;
}

}  // namespace

OutputResult writePageOutput(ScanResult& scan, const RunSettings& run, const std::string& path,
                             int64_t scanTime, RunControl& control, std::string& error) {
  ListingResult result = writeBrowsablePageFile(scan, run, scanTime, path, control);
  return outcomeOf(result, scan, error);
}

OutputResult writeListingOutput(ScanResult& scan, const RunSettings& run,
                                const OutputChoice& output, int64_t scanTime, RunControl& control,
                                std::string& error) {
  ListingResult result = output.form == OutputForm::Csv
                             ? writeCsvListing(scan, run, output.path, control)
                             : writeJsonListing(scan, run, scanTime, output.path, control);
  return outcomeOf(result, scan, error);
}

}  // namespace tallyfold::cli
