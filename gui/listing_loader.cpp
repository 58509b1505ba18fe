#include "gui/listing_loader.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <functional>
#include <map>
#include <tuple>

#include "gui/listing_font.h"
#include "platform/utf8_text.h"

namespace tallyfold::gui {

namespace {

constexpr int kLinesPerChunk = 2000;
// A piece is inserted in one call; kept short so a turn of the event loop can
// stop inserting in time.
constexpr int kLinesPerPiece = 50;
constexpr size_t kQueuedChunks = 4;
// How long one turn of the event loop may insert text. The layout and paint
// that follow add a few milliseconds; a longer turn would load a little faster
// but make the window slower to answer.
constexpr int kInsertBudgetMs = 12;

// The colour as one number; -1 is the automatic colour.
int colourKey(const RtfStyle& s) {
  return s.colour ? (s.colour->red << 16) | (s.colour->green << 8) | s.colour->blue : -1;
}

auto styleKey(const RtfStyle& s) {
  return std::make_tuple(s.bold, s.italic, s.underline, colourKey(s), std::cref(s.fontName),
                         s.halfPoints);
}

struct StyleLess {
  bool operator()(const RtfStyle& a, const RtfStyle& b) const { return styleKey(a) < styleKey(b); }
};

// Collects the reader's runs into chunks of whole lines, numbering the styles.
class ChunkBuilder : public RtfHandler {
 public:
  using Deliver = std::function<bool(ListingChunk&&)>;
  explicit ChunkBuilder(Deliver deliver) : deliver_(std::move(deliver)) {}

  void onText(std::string_view utf8, const RtfStyle& style) override {
    const int id = styleId(style);
    // Runs of wide characters become pieces of their own, which take the
    // wide characters' font.
    size_t start = 0;
    bool wide = false;
    for (size_t pos = 0; pos < utf8.size();) {
      const size_t at = pos;
      const bool isWide =
          static_cast<unsigned char>(utf8[pos]) >= 0xE0 && isWideCharacter(decodeUtf8(utf8, pos));
      if (at == pos) ++pos;  // not decoded above: one byte of ASCII or a short sequence
      if (isWide != wide && at > start) {
        append(utf8.substr(start, at - start), id, wide);
        start = at;
      }
      wide = isWide;
    }
    if (start < utf8.size()) append(utf8.substr(start), id, wide);
  }

  void onParagraphEnd() override {
    if (chunk_.pieces.empty() || chunk_.pieces.back().wide)
      chunk_.pieces.push_back(
          StyledPiece{QString(), chunk_.pieces.empty() ? 0 : chunk_.pieces.back().style, false});
    chunk_.pieces.back().text += QChar('\n');
    ++piecesLines_;
    if (++lines_ >= kLinesPerChunk) flush();
  }

  void append(std::string_view utf8, int id, bool wide) {
    if (chunk_.pieces.empty() || chunk_.pieces.back().style != id ||
        chunk_.pieces.back().wide != wide || piecesLines_ >= kLinesPerPiece) {
      chunk_.pieces.push_back(StyledPiece{QString(), id, wide});
      piecesLines_ = 0;
    }
    chunk_.pieces.back().text += QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
  }

  // Hands over the open chunk; false once the receiver wants no more.
  bool flush() {
    lines_ = 0;
    if (chunk_.pieces.empty() && chunk_.newStyles.empty()) return open_;
    open_ = open_ && deliver_(std::move(chunk_));
    chunk_ = ListingChunk{};
    return open_;
  }

 private:
  int styleId(const RtfStyle& style) {
    auto found = ids_.find(style);
    if (found != ids_.end()) return found->second;
    int id = int(ids_.size());
    ids_.emplace(style, id);
    chunk_.newStyles.push_back(style);
    return id;
  }

  Deliver deliver_;
  ListingChunk chunk_;
  std::map<RtfStyle, int, StyleLess> ids_;
  int lines_ = 0;
  int piecesLines_ = 0;
  bool open_ = true;
};

// Stops the reader once the window no longer wants the text.
class StoppableHandler : public RtfHandler {
 public:
  StoppableHandler(ChunkBuilder& builder, const std::atomic<bool>& stop)
      : builder_(builder), stop_(stop) {}
  void onText(std::string_view utf8, const RtfStyle& style) override {
    if (!stop_.load(std::memory_order_relaxed)) builder_.onText(utf8, style);
  }
  void onParagraphEnd() override {
    if (!stop_.load(std::memory_order_relaxed)) builder_.onParagraphEnd();
  }

 private:
  ChunkBuilder& builder_;
  const std::atomic<bool>& stop_;
};

QTextCharFormat formatOf(const RtfStyle& style) {
  QTextCharFormat format;
  QString family = style.fontName.empty() ? QString() : QString::fromStdString(style.fontName);
  if (!family.isEmpty()) format.setFontFamilies({installedFamily(family)});
  format.setFontStyleHint(QFont::TypeWriter);
  format.setFontPointSize(style.halfPoints / 2.0);
  format.setFontWeight(style.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(style.italic);
  format.setFontUnderline(style.underline);
  if (style.colour)
    format.setForeground(QColor(style.colour->red, style.colour->green, style.colour->blue));
  return format;
}

}  // namespace

ListingLoader::ListingLoader(QPlainTextEdit* pane) : QObject(pane), pane_(pane), reader_(0) {
  connect(&timer_, &QTimer::timeout, this, &ListingLoader::insertSome);
  connect(&reader_, &BackgroundTask::finished, this, &ListingLoader::readerFinished);
}

ListingLoader::~ListingLoader() {
  stop();
}

void ListingLoader::start(const std::string& path) {
  stop();
  stopRequested_ = false;
  readerDone_ = false;
  waiting_ = false;
  loading_ = true;
  formats_.clear();
  wideFormats_.clear();
  wideFormatOfCharacter_.clear();
  wideFormatOfWidth_.clear();
  pane_->setUndoRedoEnabled(false);
  pane_->setReadOnly(true);
  pane_->clear();
  reader_.start([this, path] { read(path); });
  timer_.start(0);
}

void ListingLoader::read(std::string path) {
  ChunkBuilder builder([this](ListingChunk&& chunk) {
    std::unique_lock lock(mutex_);
    space_.wait(lock, [this] { return chunks_.size() < kQueuedChunks || stopRequested_; });
    if (stopRequested_) return false;
    chunks_.push_back(std::move(chunk));
    if (waiting_) {
      waiting_ = false;
      reader_.post([this] { timer_.start(0); });
    }
    return true;
  });
  StoppableHandler handler(builder, stopRequested_);
  readRtfFile(path, handler);
  builder.flush();
}

void ListingLoader::readerFinished() {
  readerDone_ = true;
  if (!timer_.isActive()) timer_.start(0);
}

bool ListingLoader::takeChunk(ListingChunk& chunk) {
  std::lock_guard lock(mutex_);
  if (chunks_.empty()) return false;
  chunk = std::move(chunks_.front());
  chunks_.pop_front();
  space_.notify_one();
  return true;
}

// Inserts pieces of the current chunk, taking the next chunk when one is
// used up, until the time of this turn is spent; false when none is left.
bool ListingLoader::insertPieces(const QElapsedTimer& clock) {
  QTextCursor cursor(pane_->document());
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  bool more = true;
  while (clock.elapsed() < kInsertBudgetMs) {
    if (nextPiece_ >= current_.pieces.size()) {
      if (!takeChunk(current_)) {
        more = false;
        break;
      }
      nextPiece_ = 0;
      for (const RtfStyle& style : current_.newStyles) formats_.push_back(formatOf(style));
      continue;
    }
    const StyledPiece& piece = current_.pieces[nextPiece_++];
    if (piece.wide)
      insertWide(cursor, piece);
    else
      cursor.insertText(piece.text, formats_[piece.style]);
  }
  cursor.endEditBlock();
  return more;
}

// Consecutive characters of one width go in one call.
void ListingLoader::insertWide(QTextCursor& cursor, const StyledPiece& piece) {
  const QString& text = piece.text;
  qsizetype start = 0;
  const QTextCharFormat* format = nullptr;
  for (qsizetype i = 0; i < text.size();) {
    char32_t c = text[i].unicode();
    qsizetype length = 1;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      length = 2;
    }
    const QTextCharFormat* next = &wideFormat(piece.style, c);
    if (format != nullptr && next != format) {
      cursor.insertText(text.mid(start, i - start), *format);
      start = i;
    }
    format = next;
    i += length;
  }
  if (format != nullptr) cursor.insertText(text.mid(start), *format);
}

const QTextCharFormat& ListingLoader::wideFormat(int style, char32_t c) {
  auto known = wideFormatOfCharacter_.find({style, c});
  if (known != wideFormatOfCharacter_.end()) return wideFormats_[size_t(known->second)];
  QFont listing = formats_[size_t(style)].font();
  if (listing.families().isEmpty()) listing.setFamilies({listing.family()});
  const QFont font = wideCharacterFont(listing, c);
  // Characters of one spacing share a format, in 1/64 pixel.
  const int width = int(font.letterSpacing() * 64) + int(font.pointSizeF() * 64) * 4096;
  auto [place, added] = wideFormatOfWidth_.try_emplace({style, width}, int(wideFormats_.size()));
  if (added) {
    QTextCharFormat wide = formats_[size_t(style)];
    wide.setFontFamilies(font.families());
    wide.setFontPointSize(font.pointSizeF());
    wide.setFontLetterSpacingType(font.letterSpacingType());
    wide.setFontLetterSpacing(font.letterSpacing());
    wideFormats_.push_back(wide);
  }
  wideFormatOfCharacter_.emplace(std::make_pair(style, c), place->second);
  return wideFormats_[size_t(place->second)];
}

void ListingLoader::insertSome() {
  QElapsedTimer clock;
  clock.start();
  if (insertPieces(clock)) return;
  {
    std::lock_guard lock(mutex_);
    if (!chunks_.empty()) return;
    if (!readerDone_) {
      // The reader posts a turn with its next chunk, or ends.
      waiting_ = true;
      timer_.stop();
      return;
    }
  }
  complete();
}

void ListingLoader::complete() {
  timer_.stop();
  loading_ = false;
  current_ = ListingChunk{};
  nextPiece_ = 0;
  pane_->setUndoRedoEnabled(true);
  pane_->setReadOnly(false);
  pane_->moveCursor(QTextCursor::Start);
  emit finished();
}

void ListingLoader::stop() {
  {
    std::lock_guard lock(mutex_);
    stopRequested_ = true;
    chunks_.clear();
  }
  current_ = ListingChunk{};
  nextPiece_ = 0;
  space_.notify_all();
  reader_.wait();
  timer_.stop();
  if (loading_) {
    loading_ = false;
    pane_->setUndoRedoEnabled(true);
    pane_->setReadOnly(false);
  }
}

}  // namespace tallyfold::gui
