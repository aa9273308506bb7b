// Under a real X server (under-openbox.sh): the accents of Polish capitals are drawn whole on
// every line whatever the caret line. The pixels are read back from the screen, as the
// incremental redraws of the blinking caret left them, not drawn afresh by a grab.
#include "EditorTestSupport.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

using namespace vorida::editor;
using namespace editortest;

namespace {

const int kFarLine = 14; // below the three lines looked at, still in view

} // namespace

class tst_Accents : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void linesAreTheSameWhateverTheCaretLine();
    void accentRowsAreInked();

private:
    // Line `line` (1-based) as it stands on the screen, after the caret has blinked a while on
    // `caretLine`.
    QImage lineOnScreen(int line, int caretLine);
    // The first row of `image` with a dark pixel, or -1.
    static int firstInkedRow(const QImage& image);

    QPointer<TEdytorF> window_;
    TextArea* area_ = nullptr;
};

void tst_Accents::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (under-openbox.sh)");
    window_ = new TEdytorF;
    area_ = window_->Frame()->Editor();
    QString text = QStringLiteral("ŻÓŁW ŁÓDŹ\nŁÓDŹ ŚĆŃ Ż\nLODZ SCN Z\n");
    for (int line = 4; line <= kFarLine + 2; ++line)
        text += QStringLiteral("x\n");
    setText(*area_, text);
    window_->resize(447, 345);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_));
    area_->setFocus();
    QVERIFY(area_->LineCount() > kFarLine);
    window_->repaint();
}

void tst_Accents::cleanupTestCase()
{
    delete window_.data();
}

QImage tst_Accents::lineOnScreen(int line, int caretLine)
{
    area_->SetCaret(caretLine, 1);
    QWidget* view = area_->viewport();
    window_->repaint();
    // As the caret blinks: its line alone is drawn again, across the whole width.
    const long caret = area_->CaretPosition();
    view->repaint(0,
        static_cast<int>(
            area_->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, caret)),
        view->width(),
        static_cast<int>(area_->SendScintilla(
            QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(caretLine - 1))));
    const long start = area_->PositionAt(line - 1, 0);
    const int y = static_cast<int>(
        area_->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, start));
    const int height = static_cast<int>(area_->SendScintilla(
        QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(line - 1)));
    const QPoint origin = view->mapTo(window_, QPoint(0, y));
    // Only the text's first 120 pixels: clear of the caret at column 1.
    return window_->screen()
        ->grabWindow(window_->winId(), origin.x() + 4, origin.y(), 120, height)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

int tst_Accents::firstInkedRow(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                return y;
    return -1;
}

void tst_Accents::linesAreTheSameWhateverTheCaretLine()
{
    for (int line = 1; line <= 3; ++line) {
        const QImage far = lineOnScreen(line, kFarLine);
        for (const int caret : { line - 1, line + 1 }) {
            if (caret < 1)
                continue;
            QVERIFY2(lineOnScreen(line, caret) == far,
                qPrintable(QStringLiteral("line %1, caret on line %2").arg(line).arg(caret)));
        }
    }
}

void tst_Accents::accentRowsAreInked()
{
    // The accents rise above the capitals: the accented line has ink in rows where the same
    // capitals without accents have none, and the line's first row stays blank (nothing cut).
    const QImage accented = lineOnScreen(2, kFarLine);
    const QImage plain = lineOnScreen(3, kFarLine);
    const int accentTop = firstInkedRow(accented);
    const int capitalTop = firstInkedRow(plain);
    QVERIFY(capitalTop > 0);
    QVERIFY2(accentTop > 0 && accentTop < capitalTop - 1,
        qPrintable(QStringLiteral("accents from row %1, capitals from row %2")
                       .arg(accentTop)
                       .arg(capitalTop)));
    QVERIFY(firstInkedRow(lineOnScreen(1, kFarLine)) > 0); // the first line's too
}

QTEST_MAIN(tst_Accents)
#include "tst_Accents.moc"
