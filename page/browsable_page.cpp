#include "page/browsable_page.h"

#include "listing/name_bytes.h"
#include "page/page_assets.h"
#include "platform/iso_time.h"
#include "platform/sha256.h"

namespace tallyfold {

namespace {

std::string base64(const uint8_t* data, size_t size) {
  constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < size; i += 3) {
    const uint32_t b0 = data[i];
    const uint32_t b1 = i + 1 < size ? data[i + 1] : 0;
    const uint32_t b2 = i + 2 < size ? data[i + 2] : 0;
    const uint32_t group = (b0 << 16) | (b1 << 8) | b2;
    out.push_back(kDigits[(group >> 18) & 63]);
    out.push_back(kDigits[(group >> 12) & 63]);
    out.push_back(i + 1 < size ? kDigits[(group >> 6) & 63] : '=');
    out.push_back(i + 2 < size ? kDigits[group & 63] : '=');
  }
  return out;
}

std::string digestSource(std::string_view text) {
  const Sha256Digest digest = sha256OfBytes(text.data(), text.size());
  return "'sha256-" + base64(digest.data(), digest.size()) + "'";
}

void addKey(std::string& out, std::string_view key) {
  out.push_back('"');
  out.append(key);
  out += "\":";
}

// A data block: raw text the browser never runs or parses as markup.
void writeBlock(const PageOutput& output, std::string_view id, std::string_view text) {
  output("<script type=\"text/plain\" id=\"");
  output(id);
  output("\">");
  output(text);
  output("</script>\n");
}

// The detail columns by their listing names, their headings, and which of
// them hold numbers: the page sorts those as numbers and exports them as JSON
// numbers, as the JSON listing writes them.
void appendColumnFacts(std::string& json, const std::vector<ListingColumn>& columns) {
  const auto appendTexts = [&](std::string_view key, std::string_view (*textOf)(ListingColumn)) {
    addKey(json, key);
    json.push_back('[');
    for (size_t i = 0; i < columns.size(); ++i) {
      if (i > 0) json.push_back(',');
      appendJsonString(json, textOf(columns[i]));
    }
    json += "],";
  };
  appendTexts("columns", listingColumnName);
  appendTexts("titles", listingColumnTitle);
  addKey(json, "numbers");
  json.push_back('[');
  bool firstNumber = true;
  for (size_t i = 0; i < columns.size(); ++i) {
    if (!isNumberColumn(columns[i])) continue;
    if (!firstNumber) json.push_back(',');
    firstNumber = false;
    json += std::to_string(i);
  }
  json += "],";
}

}  // namespace

std::string pagePolicy(std::string_view script, std::string_view style) {
  return "default-src 'none'; script-src " + digestSource(script) + "; style-src " +
         digestSource(style) + "; img-src 'none'; base-uri 'none'; form-action 'none'";
}

std::string pageHeaderJson(const PageHeader& header, const PageData& data) {
  std::string json = "{";
  addKey(json, "program");
  appendJsonString(json, header.program);
  json.push_back(',');
  addKey(json, "version");
  appendJsonString(json, header.version);
  json.push_back(',');
  addKey(json, "scanned");
  appendJsonString(json, isoLocalTime(header.scanTime));
  json.push_back(',');
  addKey(json, "locations");
  json.push_back('[');
  for (size_t i = 0; i < header.locations.size(); ++i) {
    const ScanLocation& location = header.locations[i];
    if (i > 0) json.push_back(',');
    json.push_back('{');
    addKey(json, "folder");
    appendJsonString(json, location.folder);
    json.push_back(',');
    addKey(json, "subfolders");
    json += location.subFolders ? "true" : "false";
    json.push_back(',');
    addKey(json, "types");
    appendJsonString(json, location.fileTypes);
    json.push_back(',');
    addKey(json, "level");
    json += std::to_string(location.level);
    json.push_back('}');
  }
  json += "],";
  appendColumnFacts(json, header.columns);
  addKey(json, "files");
  json += std::to_string(data.fileCount) + ",";
  addKey(json, "folders");
  json += std::to_string(data.folderCount) + ",";
  addKey(json, "bytes");
  json += std::to_string(data.totalBytes) + ",";
  addKey(json, "timeBase");
  json += std::to_string(data.timeBase) + "}";
  // Inside the page's block nothing may look like the block's end tag.
  std::string safe;
  safe.reserve(json.size());
  for (char c : json) {
    if (c == '<') {
      safe += "\\u003c";
    } else {
      safe.push_back(c);
    }
  }
  return safe;
}

void writeBrowsablePage(const PageHeader& header, const PageData& data, const PageOutput& output) {
  const std::string_view script = browsablePageScript();
  const std::string_view style = browsablePageStyle();
  output(
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"");
  output(pagePolicy(script, style));
  output(
      "\">\n<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"color-scheme\" content=\"light dark\">\n"
      "<meta name=\"generator\" content=\"");
  output(header.program);
  output("\">\n<title>Tallyfold listing</title>\n<style>");
  output(style);
  output(
      "</style>\n</head>\n<body>\n<noscript>This page shows its listing with JavaScript; "
      "allow scripts for this file to browse it.</noscript>\n");
  writeBlock(output, "tf-head", pageHeaderJson(header, data));
  writeBlock(output, "tf-folders", data.folders);
  writeBlock(output, "tf-names", data.names);
  writeBlock(output, "tf-sizes", data.sizes);
  writeBlock(output, "tf-times", data.times);
  for (size_t i = 0; i < data.columns.size(); ++i) {
    writeBlock(output, "tf-column-" + std::to_string(i), data.columns[i]);
  }
  output("<script>");
  output(script);
  output("</script>\n</body>\n</html>\n");
}

}  // namespace tallyfold
