#pragma once
// Streams a report document into the listing pane: a background task reads
// the rich text into chunks of styled text, and the window thread inserts them
// a few milliseconds at a time, so the first lines show at once and the window
// stays live however long the listing is. When the window has inserted all
// there is, it waits for the reader to post the next chunk; nothing polls.

#include <QElapsedTimer>
#include <QObject>
#include <QTextCharFormat>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "gui/background_task.h"
#include "output/rtf_reader.h"

class QPlainTextEdit;
class QTextCursor;

namespace tallyfold::gui {

// Text of one style; paragraph ends are "\n".
struct StyledPiece {
  QString text;
  int style = 0;
  bool wide = false;  // wide characters only, drawn two cells each
};

struct ListingChunk {
  std::vector<StyledPiece> pieces;
  std::vector<RtfStyle> newStyles;  // styles first used in this chunk, in id order
};

class ListingLoader : public QObject {
  Q_OBJECT

 public:
  explicit ListingLoader(QPlainTextEdit* pane);
  ~ListingLoader() override;

  // Replaces the pane's text by the document in the file.
  void start(const std::string& path);
  // Stops a running load; what was inserted stays.
  void stop();
  bool running() const { return loading_; }

 signals:
  void finished();

 private:
  void read(std::string path);
  void insertSome();
  bool insertPieces(const QElapsedTimer& clock);
  bool takeChunk(ListingChunk& chunk);
  void readerFinished();
  void complete();

  QPlainTextEdit* pane_;
  QTimer timer_;  // a turn of inserting, while there is text to insert
  BackgroundTask reader_;
  std::mutex mutex_;
  std::condition_variable space_;
  std::deque<ListingChunk> chunks_;
  bool waiting_ = false;     // the window inserted all there was; the reader wakes it
  bool readerDone_ = false;  // window thread only
  bool loading_ = false;
  std::atomic<bool> stopRequested_{false};
  std::vector<QTextCharFormat> formats_;
  // The formats of wide characters by style and glyph width, which decides
  // the spacing that makes each two cells.
  void insertWide(QTextCursor& cursor, const StyledPiece& piece);
  const QTextCharFormat& wideFormat(int style, char32_t c);
  std::map<std::pair<int, char32_t>, int> wideFormatOfCharacter_;
  std::map<std::pair<int, int>, int> wideFormatOfWidth_;
  std::vector<QTextCharFormat> wideFormats_;
  ListingChunk current_;  // the chunk being inserted
  size_t nextPiece_ = 0;
};

}  // namespace tallyfold::gui
