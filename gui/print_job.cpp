#include "gui/print_job.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <string>

#include "gui/dialogs.h"
#include "gui/listing_font.h"
#include "gui/page_setup.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kProgramName[] = "Tallyfold";
constexpr double kTwipsPerPoint = 20;

SettingsStore settingsStore() {
  return SettingsStore{std::string(kSettingsApplication)};
}

// The listing's fixed-pitch CJK face goes behind each run's own family, for
// the characters the listing font lacks (CJK names), so that columns after
// such a name stay aligned on paper as in the pane.
QStringList withFallbacks(QStringList families) {
  const QString wide = wideFallbackFamily();
  if (!wide.isEmpty() && !families.contains(wide)) families << wide;
  return families;
}

// Every run's font gets the CJK faces behind its own family.
void addCjkFallbacks(QTextDocument& copy) {
  if (wideFallbackFamily().isEmpty()) return;
  QFont base = copy.defaultFont();
  base.setFamilies(withFallbacks(QStringList{base.family()}));
  copy.setDefaultFont(base);
  for (QTextBlock block = copy.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      QStringList families = fragment.charFormat().fontFamilies().toStringList();
      if (families.isEmpty()) continue;
      QTextCursor cursor(&copy);
      cursor.setPosition(fragment.position());
      cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
      QTextCharFormat format;
      format.setFontFamilies(withFallbacks(families));
      cursor.mergeCharFormat(format);
    }
  }
}

// The printer-resolution copy of the listing that is cut into pages.
std::unique_ptr<QTextDocument> pagedCopy(const QTextDocument& listing, QPrinter& printer) {
  std::unique_ptr<QTextDocument> copy(listing.clone());
  copy->setDefaultFont(listing.defaultFont());
  addCjkFallbacks(*copy);
  copy->documentLayout()->setPaintDevice(&printer);
  copy->setDocumentMargin(0);
  return copy;
}

void setWrapping(QTextDocument& copy, bool wrap) {
  QTextOption option = copy.defaultTextOption();
  option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
  copy.setDefaultTextOption(option);
}

// How much the listing is drawn smaller so that its widest line fits the
// page's width: 1 when it fits already or fitting is off. The pane never
// wraps, but paper must: without fitting, a line wider than the page goes on
// below rather than off the edge.
double layOutForPage(QTextDocument& copy, const QSizeF& body, bool fitToWidth) {
  double scale = 1;
  if (fitToWidth) {
    setWrapping(copy, false);
    const double widest = copy.idealWidth();
    if (widest > body.width()) scale = body.width() / widest;
  } else {
    setWrapping(copy, true);
  }
  copy.setPageSize(QSizeF(body.width() / scale, body.height() / scale));
  return scale;
}

// True when some line is taller than a page's drawing area, which no page
// could ever hold.
bool lineTallerThan(const QTextDocument& copy, double height) {
  for (QTextBlock block = copy.begin(); block.isValid(); block = block.next()) {
    const QTextLayout* layout = block.layout();
    for (int i = 0; layout != nullptr && i < layout->lineCount(); ++i)
      if (layout->lineAt(i).height() > height) return true;
  }
  return false;
}

}  // namespace

PrintJob::PrintJob() {
  const SettingsStore store = settingsStore();
  options_.pageNumbers = storedPageNumbers(store);
  options_.fitToWidth = storedFitToWidth(store);
}

PrintJob::~PrintJob() = default;

QPrinter& PrintJob::printer() {
  // Made on first use: finding the system's printers takes a moment that
  // start-up need not spend.
  if (!printer_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageOrientation(storedOrientation(settingsStore()));
  }
  return *printer_;
}

void PrintJob::print(QWidget* owner, const QTextDocument& listing, const PageMargins& margins) {
  if (!Dialogs::current().choosePrinter(owner, printer())) return;
  QString failure;
  if (!render(listing, printer(), margins, &failure))
    Dialogs::current().message(owner, kProgramName, failure, MessageIcon::Critical);
}

void PrintJob::preview(QWidget* owner, const QTextDocument& listing, const PageMargins& margins) {
  QPrintPreviewDialog dialog(&printer(), owner);
  dialog.setObjectName("PrintPreview");
  QString failure;
  QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                   [&](QPrinter* target) { render(listing, *target, margins, &failure); });
  dialog.exec();
  if (!failure.isEmpty())
    Dialogs::current().message(owner, kProgramName, failure, MessageIcon::Critical);
}

bool PrintJob::pageSetup(QWidget* owner, PageMargins& margins) {
  const MarginUnits units = marginUnitsOf(QLocale());
  const QPageLayout::Unit unit =
      units == MarginUnits::Millimetre ? QPageLayout::Millimeter : QPageLayout::Inch;
  const double scale = dialogUnitsPerUnit(units);
  auto shown = [&](int twips) { return marginToDialog(twips, units) / scale; };
  printer().setPageMargins(QMarginsF(shown(margins.left), shown(margins.top), shown(margins.right),
                                     shown(margins.bottom)),
                           unit);
  PageOptions chosenOptions = options_;
  if (!Dialogs::current().choosePageSetup(owner, printer(), chosenOptions)) return false;
  const QMarginsF chosen = printer().pageLayout().margins(unit);
  auto twips = [&](double value) {
    return marginFromDialog(int(std::lround(value * scale)), units);
  };
  margins = PageMargins{twips(chosen.top()), twips(chosen.bottom()), twips(chosen.left()),
                        twips(chosen.right())};
  options_ = chosenOptions;
  SettingsStore store = settingsStore();
  storeMargins(store, margins);
  storePageNumbers(store, options_.pageNumbers);
  storePageShape(store, options_.fitToWidth, printer().pageLayout().orientation());
  return true;
}

bool PrintJob::render(const QTextDocument& listing, QPrinter& printer, const PageMargins& margins,
                      QString* failure) const {
  printer.setFullPage(false);
  printer.setPageMargins(QMarginsF(margins.left / kTwipsPerPoint, margins.top / kTwipsPerPoint,
                                   margins.right / kTwipsPerPoint, margins.bottom / kTwipsPerPoint),
                         QPageLayout::Point);
  const QRectF area = printer.pageRect(QPrinter::DevicePixel);
  const QFont footerFont = listing.defaultFont();
  const double footerHeight =
      options_.pageNumbers ? QFontMetricsF(footerFont, &printer).height() * 1.5 : 0.0;
  const QSizeF body(area.width(), area.height() - footerHeight);
  const QString noRoom = "The page margins leave no room for a line of the listing.";
  if (body.width() < 1 || body.height() < 1) {
    *failure = noRoom;
    return false;
  }
  std::unique_ptr<QTextDocument> copy = pagedCopy(listing, printer);
  const double scale = layOutForPage(*copy, body, options_.fitToWidth);
  const QSizeF page = copy->pageSize();
  const int pages = copy->pageCount();
  if (lineTallerThan(*copy, page.height())) {
    *failure = noRoom;
    return false;
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    *failure = "Unexpected Error in printing";
    return false;
  }
  for (int index = 0; index < pages; ++index) {
    if (index > 0 && !printer.newPage()) {
      *failure = "Unexpected Error in printing";
      return false;
    }
    const QRectF clip(0, index * page.height(), page.width(), page.height());
    painter.save();
    painter.scale(scale, scale);
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    copy->documentLayout()->draw(&painter, context);
    painter.restore();
    if (options_.pageNumbers) {
      painter.setFont(QFont(footerFont, &printer));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(0, body.height(), body.width(), footerHeight),
                       Qt::AlignHCenter | Qt::AlignBottom,
                       QString("Page %1 of %2").arg(index + 1).arg(pages));
    }
  }
  return painter.end();
}

}  // namespace tallyfold::gui
