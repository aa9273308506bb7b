#include "Printing.h"

#include "QtPlatform.h"
#include "TextArea.h"

#include <QFontMetricsF>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace vorida::editor {

namespace {

PrintService* installed = nullptr;

// Lays the text out without drawing a page and remembers the last page number.
class PageCounter : public QsciPrinter
{
public:
    explicit PageCounter(PrinterMode mode) : QsciPrinter(mode) { }
    void formatPage(QPainter&, bool, QRect&, int pageNumber) override
    {
        pages = std::max(pages, pageNumber);
    }
    int pages = 0;
};

const char* const kNoPrinter = "Nie zainstalowano żadnej drukarki.";

} // namespace

PrintService::~PrintService() = default;

PrintService& PrintService::Current()
{
    static PrintService real;
    return installed ? *installed : real;
}

void PrintService::Install(PrintService* service)
{
    installed = service;
}

std::unique_ptr<QsciPrinter> PrintService::CreatePrinter()
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        throw PrintError(kNoPrinter);
    auto printer = std::make_unique<QsciPrinter>(QPrinter::HighResolution);
    if (!info.isNull())
        printer->setPrinterName(info.printerName());
    return printer;
}

bool PrintService::ExecPrintDialog(
    QPrinter& printer, int lastPage, bool selectionOffered, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    QtPlatform::KeepAboveStayingOnTop(dialog); // above the search dialog
    dialog.setMinMax(1, lastPage);
    QAbstractPrintDialog::PrintDialogOptions options = QAbstractPrintDialog::PrintPageRange
        | QAbstractPrintDialog::PrintCollateCopies | QAbstractPrintDialog::PrintShowPageSize;
    if (selectionOffered)
        options |= QAbstractPrintDialog::PrintSelection;
    dialog.setOptions(options);
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Printing to a file is not offered: a PDF writer here means there is no real printer.
    if (printer.outputFormat() != QPrinter::NativeFormat)
        throw PrintError(kNoPrinter);
    return true;
}

void PreparePrinter(QsciPrinter& printer)
{
    printer.setFullPage(false);
    printer.setPageMargins(QMarginsF(25, 25, 15, 25), QPageLayout::Millimeter);
    printer.setWrapMode(QsciScintilla::WrapWord);
    printer.setMagnification(0);
    printer.setCollateCopies(true);
}

int ColumnsPerLine(const TextArea& area, const QPrinter& printer)
{
    // The printout's font is the text area's at the printer's resolution; the text is
    // monospaced.
    const QFontMetricsF metrics(area.font(), &printer);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('0'));
    const qreal width = printer.pageLayout().paintRectPixels(printer.resolution()).width();
    return advance > 0 ? static_cast<int>(width / advance) : 0;
}

void ChooseOrientation(TextArea& area, QPrinter& printer)
{
    const int tabWidth = std::max(area.tabWidth(), 1);
    const std::string_view text = area.Utf8();
    int longest = 0, column = 0;
    for (const char c : text) {
        if (c == '\n') {
            column = 0;
        } else if (c == '\t') {
            column += tabWidth - column % tabWidth;
        } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++column; // a character's first byte
        }
        longest = std::max(longest, column);
    }
    printer.setPageOrientation(QPageLayout::Portrait);
    if (longest > ColumnsPerLine(area, printer))
        printer.setPageOrientation(QPageLayout::Landscape);
}

int CountPages(TextArea& area, const QPrinter& printer)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw PrintError("Nie można policzyć stron wydruku: brak katalogu tymczasowego.");
    PageCounter counter(QPrinter::HighResolution);
    counter.setOutputFormat(QPrinter::PdfFormat);
    counter.setOutputFileName(dir.filePath(QStringLiteral("strony.pdf")));
    counter.setResolution(printer.resolution());
    counter.setPageLayout(printer.pageLayout());
    counter.setFullPage(printer.fullPage());
    counter.setWrapMode(QsciScintilla::WrapWord);
    // Pages beyond any text: every page is laid out, none is drawn.
    counter.setFromTo(1000000, 1000000);
    counter.printRange(&area);
    return std::max(counter.pages, 1);
}

void PrintText(TextArea& area, QsciPrinter& printer)
{
    bool printed;
    if (printer.QPrinter::printRange() == QPrinter::Selection) {
        TextArea selection;
        selection.setTabWidth(area.tabWidth());
        selection.SetTextFont(area.font());
        const QString text = area.selectedText();
        const QByteArray utf8 = text.toUtf8();
        selection.LoadBytes({}); // an empty, unmodified document
        selection.SendScintilla(
            QsciScintillaBase::SCI_ADDTEXT, static_cast<uintptr_t>(utf8.size()), utf8.constData());
        printer.setFromTo(0, 0);
        printed = printer.printRange(&selection) != 0;
    } else {
        if (printer.QPrinter::printRange() != QPrinter::PageRange)
            printer.setFromTo(0, 0);
        printed = printer.printRange(&area) != 0;
    }
    if (!printed)
        throw PrintError("Błąd drukowania.");
}

} // namespace vorida::editor
