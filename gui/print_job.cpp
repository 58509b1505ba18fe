#include "gui/print_job.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <string>

#include "gui/dialogs.h"
#include "gui/page_setup.h"
#include "platform/settings_store.h"

namespace tallyfold::gui {

namespace {

constexpr char kProgramName[] = "Tallyfold";
constexpr double kTwipsPerPoint = 20;

SettingsStore settingsStore() {
  return SettingsStore{std::string(kSettingsApplication)};
}

// The printer-resolution copy of the listing that is cut into pages.
std::unique_ptr<QTextDocument> pagedCopy(const QTextDocument& listing, QPrinter& printer,
                                         const QSizeF& page) {
  std::unique_ptr<QTextDocument> copy(listing.clone());
  copy->setDefaultFont(listing.defaultFont());
  copy->documentLayout()->setPaintDevice(&printer);
  copy->setDocumentMargin(0);
  // The pane never wraps, but paper must: a line wider than the page goes on
  // below rather than off the edge.
  QTextOption option = copy->defaultTextOption();
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  copy->setDefaultTextOption(option);
  copy->setPageSize(page);
  return copy;
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

PrintJob::PrintJob() : pageNumbers_(storedPageNumbers(settingsStore())) {}

PrintJob::~PrintJob() = default;

QPrinter& PrintJob::printer() {
  // Made on first use: finding the system's printers takes a moment that
  // start-up need not spend.
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
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
  bool numbers = pageNumbers_;
  if (!Dialogs::current().choosePageSetup(owner, printer(), numbers)) return false;
  const QMarginsF chosen = printer().pageLayout().margins(unit);
  auto twips = [&](double value) {
    return marginFromDialog(int(std::lround(value * scale)), units);
  };
  margins = PageMargins{twips(chosen.top()), twips(chosen.bottom()), twips(chosen.left()),
                        twips(chosen.right())};
  pageNumbers_ = numbers;
  SettingsStore store = settingsStore();
  storeMargins(store, margins);
  storePageNumbers(store, numbers);
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
      pageNumbers_ ? QFontMetricsF(footerFont, &printer).height() * 1.5 : 0.0;
  const QSizeF body(area.width(), area.height() - footerHeight);
  const QString noRoom = "The page margins leave no room for a line of the listing.";
  if (body.width() < 1 || body.height() < 1) {
    *failure = noRoom;
    return false;
  }
  std::unique_ptr<QTextDocument> copy = pagedCopy(listing, printer, body);
  const int pages = copy->pageCount();
  if (lineTallerThan(*copy, body.height())) {
    *failure = noRoom;
    return false;
  }
  QPainter painter;
  if (!painter.begin(&printer)) {
    *failure = "Unexpected Error in printing";
    return false;
  }
  for (int page = 0; page < pages; ++page) {
    if (page > 0 && !printer.newPage()) {
      *failure = "Unexpected Error in printing";
      return false;
    }
    const QRectF clip(0, page * body.height(), body.width(), body.height());
    painter.save();
    painter.translate(0, -clip.top());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    copy->documentLayout()->draw(&painter, context);
    painter.restore();
    if (pageNumbers_) {
      painter.setFont(QFont(footerFont, &printer));
      painter.setPen(Qt::black);
      painter.drawText(QRectF(0, body.height(), body.width(), footerHeight),
                       Qt::AlignHCenter | Qt::AlignBottom,
                       QString("Page %1 of %2").arg(page + 1).arg(pages));
    }
  }
  return painter.end();
}

}  // namespace tallyfold::gui
