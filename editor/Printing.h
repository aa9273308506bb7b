// Printing the text area: the fixed page layout, the page count for the print dialog, and the
// printout of all pages, a page range or the selection. The printer and the print dialog come
// from a PrintService, which tests replace to print to PDF without a dialog.
#pragma once

#include "Error.h"

#include <Qsci/qsciprinter.h>

#include <memory>

class QWidget;

namespace vorida::editor {

class TextArea;

class PrintError : public Error
{
public:
    using Error::Error;
};

class PrintService
{
public:
    virtual ~PrintService();

    // A printer on the system's default printer. Throws PrintError when no printer is
    // installed (Qt would quietly make a PDF writer with no file of it).
    virtual std::unique_ptr<QsciPrinter> CreatePrinter();
    // The print dialog for `printer`: pages 1..lastPage, a page range, the selection only when
    // offered, never a file. False when the user cancels.
    virtual bool ExecPrintDialog(
        QPrinter& printer, int lastPage, bool selectionOffered, QWidget* parent);

    static PrintService& Current();
    // Installs another service (not owned); nullptr goes back to the real one.
    static void Install(PrintService* service);
};

// Margins 25, 25, 15, 25 mm (left, top, right, bottom), no header or footer, long lines wrapped.
void PreparePrinter(QsciPrinter& printer);

// Portrait, unless the longest line of the text (tabs expanded) is wider than a portrait page
// between its margins at the text area's font: then landscape.
void ChooseOrientation(TextArea& area, QPrinter& printer);
// The number of whole characters of the text area's font a line of the page holds between the
// margins, in the printer's orientation.
int ColumnsPerLine(const TextArea& area, const QPrinter& printer);

// The number of pages the whole text of `area` takes with the resolution and page layout of
// `printer` (nothing is printed).
int CountPages(TextArea& area, const QPrinter& printer);

// Prints as the printer's range says: all pages, pages from..to, or the selection as a document
// of its own from page 1; each copy in full. Throws PrintError.
void PrintText(TextArea& area, QsciPrinter& printer);

} // namespace vorida::editor
