#include "page/page_data.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

#include "platform/utf8_text.h"

namespace tallyfold {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr char32_t kReplacement = 0xFFFD;

constexpr uint32_t kNoParent = UINT32_MAX;

void appendEscapedByte(std::string& out, unsigned char byte) {
  out.push_back('\\');
  out.push_back(kHexDigits[byte >> 4]);
  out.push_back(kHexDigits[byte & 0xF]);
}

bool needsEscape(unsigned char byte) {
  return byte < 0x20 || byte == '\\' || byte == '<';
}

std::string_view parentPath(std::string_view folderPath) {
  const std::string_view bare = folderWithoutSlash(folderPath);
  if (bare == "/") return {};
  const size_t slash = bare.rfind('/');
  if (slash == std::string_view::npos) return {};
  return bare.substr(0, slash + 1);
}

std::string_view folderName(std::string_view folderPath, bool isRoot) {
  const std::string_view bare = folderWithoutSlash(folderPath);
  if (isRoot || bare == "/") return bare;
  return bare.substr(bare.rfind('/') + 1);
}

std::vector<uint32_t> parentsOf(const RecordStore& store) {
  std::unordered_map<std::string_view, uint32_t> indexOfPath;
  indexOfPath.reserve(store.folderCount());
  for (uint32_t i = 0; i < store.folderCount(); ++i) indexOfPath.emplace(store.folder(i).path, i);
  std::vector<uint32_t> parents(store.folderCount(), kNoParent);
  for (uint32_t i = 0; i < store.folderCount(); ++i) {
    const std::string_view parent = parentPath(store.folder(i).path);
    if (parent.empty()) continue;
    auto found = indexOfPath.find(parent);
    if (found != indexOfPath.end() && found->second != i) parents[i] = found->second;
  }
  return parents;
}

}  // namespace

void appendPageText(std::string& out, std::string_view text) {
  for (size_t pos = 0; pos < text.size();) {
    const unsigned char lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      if (needsEscape(lead)) {
        appendEscapedByte(out, lead);
      } else {
        out.push_back(static_cast<char>(lead));
      }
      ++pos;
      continue;
    }
    const size_t start = pos;
    const char32_t code = decodeUtf8(text, pos);
    if (code == kReplacement && pos - start == 1) {
      appendEscapedByte(out, lead);
    } else {
      out.append(text.substr(start, pos - start));
    }
  }
}

void appendBase36(std::string& out, uint64_t value) {
  char digits[16];
  size_t count = 0;
  do {
    digits[count++] = "0123456789abcdefghijklmnopqrstuvwxyz"[value % 36];
    value /= 36;
  } while (value != 0);
  while (count > 0) out.push_back(digits[--count]);
}

std::vector<uint32_t> foldersInTreeOrder(const RecordStore& store, std::vector<uint32_t>& depths) {
  const std::vector<uint32_t> parents = parentsOf(store);
  const uint32_t count = store.folderCount();
  // Children in one block, each folder's run sorted by name.
  std::vector<uint32_t> childStart(count + 1, 0);
  std::vector<uint32_t> roots;
  for (uint32_t i = 0; i < count; ++i) {
    if (parents[i] == kNoParent) {
      roots.push_back(i);
    } else {
      ++childStart[parents[i] + 1];
    }
  }
  for (uint32_t i = 0; i < count; ++i) childStart[i + 1] += childStart[i];
  std::vector<uint32_t> children(childStart[count]);
  std::vector<uint32_t> filled(childStart.begin(), childStart.end() - 1);
  for (uint32_t i = 0; i < count; ++i) {
    if (parents[i] != kNoParent) children[filled[parents[i]]++] = i;
  }
  auto byName = [&store](uint32_t a, uint32_t b) {
    return folderName(store.folder(a).path, false) < folderName(store.folder(b).path, false);
  };
  for (uint32_t i = 0; i < count; ++i) {
    std::sort(children.begin() + childStart[i], children.begin() + childStart[i + 1], byName);
  }

  std::vector<uint32_t> order;
  order.reserve(count);
  depths.clear();
  depths.reserve(count);
  std::vector<std::pair<uint32_t, uint32_t>> stack;  // folder, depth
  for (auto root = roots.rbegin(); root != roots.rend(); ++root) stack.emplace_back(*root, 0);
  while (!stack.empty()) {
    const auto [folder, depth] = stack.back();
    stack.pop_back();
    order.push_back(folder);
    depths.push_back(depth);
    for (uint32_t c = childStart[folder + 1]; c > childStart[folder]; --c) {
      stack.emplace_back(children[c - 1], depth + 1);
    }
  }
  return order;
}

PageData makePageData(const RecordStore& store, const PageColumnTexts& columnTexts) {
  PageData data;
  std::vector<uint64_t> firstFileNumber(store.folderCount() + 1, 0);
  int64_t oldest = std::numeric_limits<int64_t>::max();
  size_t nameBytes = 0;
  for (uint32_t i = 0; i < store.folderCount(); ++i) {
    const FolderEntry& folder = store.folder(i);
    firstFileNumber[i + 1] = firstFileNumber[i] + folder.fileCount();
    nameBytes += folder.names().size() + folder.fileCount();
    for (const FileEntry& file : folder.files()) {
      oldest = std::min(oldest, file.mtime);
      data.totalBytes += file.size;
    }
  }
  data.fileCount = firstFileNumber.back();
  data.timeBase = firstFileNumber.back() == 0 ? 0 : oldest;
  data.folderCount = store.folderCount();
  data.names.reserve(nameBytes + nameBytes / 16);
  data.sizes.reserve(data.fileCount * 6);
  data.times.reserve(data.fileCount * 7);
  const size_t columnCount = columnTexts.columns.size();
  data.columns.resize(columnCount);

  std::vector<uint32_t> depths;
  const std::vector<uint32_t> order = foldersInTreeOrder(store, depths);
  for (size_t at = 0; at < order.size(); ++at) {
    const uint32_t index = order[at];
    const FolderEntry& folder = store.folder(index);
    appendBase36(data.folders, depths[at]);
    data.folders.push_back('\t');
    appendBase36(data.folders, folder.fileCount());
    data.folders.push_back('\t');
    appendPageText(data.folders, folderName(folder.path, depths[at] == 0));
    data.folders.push_back('\n');
    const std::string_view names = folder.names();
    for (uint32_t f = 0; f < folder.fileCount(); ++f) {
      const FileEntry& file = folder.file(f);
      appendPageText(data.names, names.substr(file.nameOffset, file.nameLength));
      data.names.push_back('\n');
      appendBase36(data.sizes, file.size);
      data.sizes.push_back(',');
      // In unsigned arithmetic: the difference of any two times fits.
      appendBase36(data.times,
                   static_cast<uint64_t>(file.mtime) - static_cast<uint64_t>(data.timeBase));
      data.times.push_back(',');
      const size_t number = firstFileNumber[index] + f;
      for (size_t c = 0; c < columnCount; ++c) {
        const size_t slot = number * columnCount + c;
        if (slot < columnTexts.texts.size())
          appendPageText(data.columns[c], columnTexts.texts[slot]);
        data.columns[c].push_back('\n');
      }
    }
  }
  return data;
}

}  // namespace tallyfold
