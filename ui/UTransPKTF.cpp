#include "UTransPKTF.h"

#include "ui_UTransPKTF.h"

#include "Cp1250.h"
#include "Platform.h"
#include "PrzyciskLok.h"
#include "QtPlatform.h"
#include "RunMessages.h"
#include "System.h"
#include "UEdytorF.h"
#include "UEdytorFrame.h"
#include "UNITtrk.h"
#include "UTransPkt.h"
#include "VoridaVersion.h"
#include "WorkFolder.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

namespace vorida::ui {

const char* const kManualFileName = "instrukcja.html";

namespace {

QFont pixelFont(const char* family, int pixelHeight, bool bold)
{
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixelHeight);
    f.setBold(bold);
    return f;
}

// The widest a recent folder stands in the area menu, in pixels.
constexpr int kRecentFolderWidth = 560;

// w / 2 rounded to the nearest whole number, halves to the even neighbour.
int halfRoundedToEven(int w)
{
    const int q = w / 2;
    return (w % 2 != 0 && q % 2 != 0) ? q + 1 : q;
}

QString trimmedAreaName()
{
    return QString::fromStdString(Cp1250ToUtf8(std::string(TrimControls(AreaName))));
}

} // namespace

TForm1::TForm1(QWidget* parent, const QString& workFolder)
    : QDialog(parent), ui_(std::make_unique<Ui::TForm1>()),
      workFolder_(workFolder.isEmpty()
              ? QString::fromStdString(CurrentPlatform().ExecutableDirectory())
              : workFolder)
{
    ui_->setupUi(this);
    // The version in the title is the project's, like the report's credit line.
    setWindowTitle(QStringLiteral("Transformacja punktów Vorida.exe ver %1")
                       .arg(QString::fromLatin1(kVoridaVersion)));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(712, 427);
    setWindowIcon(QIcon(QStringLiteral(":/vorida/ui/vorida.png")));

    setFont(pixelFont("Tahoma", 11, false));
    ui_->Label5->setFont(pixelFont("Arial", 16, true));
    ui_->Label6->setFont(pixelFont("Arial", 16, true));
    ui_->Label9->setFont(pixelFont("Tahoma", 13, true));
    ui_->Label11->setFont(pixelFont("Tahoma", 12, true));
    ui_->Label8->setFont(pixelFont("Tahoma", 11, true));
    ui_->BitBtn1->setFont(pixelFont("Tahoma", 11, true));
    ui_->BitBtn2->setFont(pixelFont("Tahoma", 11, true));

    QPalette white = ui_->Panel1->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui_->Panel1->setPalette(white);
    QPalette red = ui_->Label8->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    ui_->Label8->setPalette(red);
    ui_->Label11->setCursor(Qt::PointingHandCursor);
    ui_->Bevel1->setStyleSheet(
        QStringLiteral("QFrame#Bevel1 { border: none; border-bottom: 2px groove palette(mid); }"));

    // Labels size themselves to their text.
    for (QLabel* label :
        { ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4, ui_->Label7, ui_->Label10 })
        label->adjustSize();

    // The warning keeps its 397 pixels: where the installed face of the window's font runs
    // wider than the face the layout was drawn for, its letters close up a little instead of
    // being cut off.
    const QFontMetrics metrics(ui_->Label8->font());
    const int overflow = metrics.horizontalAdvance(ui_->Label8->text()) - ui_->Label8->width();
    if (overflow > 0) {
        QFont tighter = ui_->Label8->font();
        tighter.setLetterSpacing(QFont::AbsoluteSpacing,
            -static_cast<qreal>(overflow) / static_cast<qreal>(ui_->Label8->text().size()));
        ui_->Label8->setFont(tighter);
    }
    ui_->Memo1->document()->setDocumentMargin(2);
    ui_->Memo1->setTabChangesFocus(true); // Tab moves on, as everywhere in the window

    ui_->SpinEdit1->SetRange(1, 5);
    ui_->SpinEdit1->SetValue(2);

    for (QWidget* w : { static_cast<QWidget*>(ui_->Panel1), static_cast<QWidget*>(ui_->Image1),
             static_cast<QWidget*>(ui_->Label5), static_cast<QWidget*>(ui_->Label6),
             static_cast<QWidget*>(ui_->Label9), static_cast<QWidget*>(ui_->Label11) })
        w->installEventFilter(this);
    ui_->Memo1->installEventFilter(this);

    areaMenu_ = new QMenu(this);
    FillAreaMenu();
    connect(areaMenu_, &QMenu::aboutToShow, this, &TForm1::FillAreaMenu);
    // The work folder under the area panel; a right click offers the same menu.
    ui_->Label12->setTextFormat(Qt::PlainText);
    ui_->Label12->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui_->Label12, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& at) { areaMenu_->popup(ui_->Label12->mapToGlobal(at)); });
    // A folder or a file dropped anywhere on the window, the instruction text included.
    setAcceptDrops(true);
    ui_->Memo1->setAcceptDrops(false);

    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
}

TForm1::~TForm1() = default;

void TForm1::showEvent(QShowEvent* event)
{
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TForm1::FormShow()
{
    // A start on another folder keeps nothing of the last one's area.
    AdjustmentPoints.clear();
    AreaName.clear();
    SystemCode = 0;
    for (TPrzyciskLok* button : findChildren<TPrzyciskLok*>())
        button->SetBaseDirectory(workFolder_);
    ShowWorkFolder(); // before the load, whose message then stands under the folder it names
    LoadPointFile(PathIn(WorkDirectory(), kDataFileName));
    ComputeAreaExtents();

    ui_->Label6->setText(trimmedAreaName());
    ui_->Label5->setText(QStringLiteral(" PRZELICZENIE WSPÓŁRZĘDNYCH UKŁ. LOKALNY <==> 2000/18"));
    const QString input = QString::fromStdString(Cp1250ToUtf8(NationalInputName(SystemCode)));
    const QString result = QString::fromStdString(Cp1250ToUtf8(NationalResultName(SystemCode)));
    ui_->PrzyciskLok3->setText(input);
    ui_->PrzyciskLok3->SetNazwaPliku(input);
    ui_->PrzyciskLok2->setText(result);
    ui_->PrzyciskLok2->SetNazwaPliku(result);
    ui_->PrzyciskLok1->SetNazwaPliku(QString::fromLatin1(kLocalInputName));
    ui_->PrzyciskLok4->SetNazwaPliku(QString::fromLatin1(kLocalResultName));
    ui_->PrzyciskLok5->SetNazwaPliku(QString::fromLatin1(kReportName));

    // The area name and its heading centred under the title.
    for (QLabel* label : { ui_->Label5, ui_->Label6, ui_->Label9 })
        label->adjustSize();
    const int c = ui_->Label5->x() + halfRoundedToEven(ui_->Label5->width());
    ui_->Label6->move(c - halfRoundedToEven(ui_->Label6->width()), ui_->Label6->y());
    ui_->Label9->move(c - halfRoundedToEven(ui_->Label9->width()), ui_->Label9->y());

    RefreshFileButtons();

    recentFolders_ = WithRecentFolder(recentFolders_, workFolder_);
    if (saveRecentFolders_)
        saveRecentFolders_(recentFolders_);
}

void TForm1::BitBtn1Click()
{
    RoundingDigits = ui_->SpinEdit1->Value();
    // The wait cursor while the lines are converted, gone before the closing message.
    TransPkt.SetProgress([](const RunProgress& p) {
        if (p.Now == RunProgress::Stage::Started)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        else if (p.Now == RunProgress::Stage::Finished)
            QGuiApplication::restoreOverrideCursor();
    });
    // The editors look at their files after the run, not halfway through its writing.
    const editor::DiskCheckHold hold;
    // The run's messages belong to this window, whichever window is active.
    const QtPlatform::DialogOwner owner(this);
    RunMessages messages(CurrentPlatform());
    try {
        const ScopedPlatform scope(messages);
        TransPkt.TransformFile(ui_->RadioButton1->isChecked(), WorkDirectory());
        messages.ShowHeldFailure(TransPkt.LastFailure());
    } catch (const Error& e) {
        // A fit that fails (coordinates of the area that are no numbers) touched no file.
        CurrentPlatform().ShowError(e.what());
    } catch (const std::exception& e) {
        CurrentPlatform().ShowError(InternalErrorText(e));
    }
    TransPkt.SetProgress({});
    RefreshFileButtons();
}

void TForm1::BitBtn2Click()
{
    close();
}

void TForm1::OpenWebPage()
{
    const QString manual = QString::fromStdString(CurrentPlatform().ExecutableDirectory())
        + QLatin1Char('/') + QLatin1String(kManualFileName);
    CurrentPlatform().OpenAddress(QUrl::fromLocalFile(manual).toString().toStdString());
}

bool TForm1::CloseEditorWindows()
{
    for (editor::TEdytorF* editor : findChildren<editor::TEdytorF*>(Qt::FindDirectChildrenOnly))
        if (editor->isVisible() && !editor->FormCloseQuery())
            return false;
    return true;
}

void TForm1::done(int result)
{
    // Esc, "ZAMKNIJ PROGRAM" and the title bar all end here.
    if (!CloseEditorWindows())
        return;
    QDialog::done(result);
}

void TForm1::OpenAreaCheck()
{
    Platform& platform = CurrentPlatform();
    const std::string area = PathIn(WorkDirectory(), kDataFileName);
    if (!platform.StartProgram("vorida-obszar", { area }))
        platform.ShowError("Nie można uruchomić programu vorida-obszar.");
}

std::string TForm1::WorkDirectory() const
{
    return workFolder_.toUtf8().toStdString();
}

void TForm1::ShowWorkFolder()
{
    QLabel* label = ui_->Label12;
    const QString heading = QStringLiteral("Folder roboczy: ");
    // A folder that is not there (a mistyped name, a share that went away) says so, in red.
    const bool missing = !QFileInfo(workFolder_).isDir();
    const QString note = missing ? QStringLiteral("  (nie ma takiego folderu)") : QString();
    const QFontMetrics metrics(label->font());
    label->setText(heading
        + metrics.elidedText(workFolder_, Qt::ElideMiddle,
            label->width() - metrics.horizontalAdvance(heading + note))
        + note);
    label->setToolTip(workFolder_);
    QPalette palette = label->palette();
    palette.setColor(
        QPalette::WindowText, missing ? QColor(Qt::red) : palette.color(QPalette::Text));
    label->setPalette(palette);
}

void TForm1::FillAreaMenu()
{
    areaMenu_->clear();
    connect(areaMenu_->addAction(QStringLiteral("Kontrola obszaru…")), &QAction::triggered, this,
        &TForm1::OpenAreaCheck);
    areaMenu_->addSeparator();
    connect(areaMenu_->addAction(QStringLiteral("Wybierz folder roboczy…")), &QAction::triggered,
        this, &TForm1::ChooseWorkFolder);
    connect(areaMenu_->addAction(QStringLiteral("Otwórz folder roboczy w menedżerze plików")),
        &QAction::triggered, this, &TForm1::OpenWorkFolder);
    if (recentFolders_.isEmpty())
        return;
    areaMenu_->setToolTipsVisible(true);
    areaMenu_->addSeparator();
    for (qsizetype i = 0; i < recentFolders_.size(); ++i) {
        const QString folder = recentFolders_[i];
        // A long path shortened in its middle, whole in the tooltip.
        QString text = QFontMetrics(areaMenu_->font())
                           .elidedText(folder, Qt::ElideMiddle, kRecentFolderWidth);
        text.replace(QLatin1Char('&'), QLatin1String("&&"))
            .replace(QLatin1Char('\t'), QLatin1Char(' '));
        QAction* action = areaMenu_->addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(text));
        action->setToolTip(folder);
        action->setCheckable(true);
        action->setChecked(SameFolder(folder, workFolder_));
        connect(action, &QAction::triggered, this, [this, folder] { ChangeWorkFolder(folder); });
    }
}

void TForm1::RememberRecentFolders(
    const QStringList& recent, std::function<void(const QStringList&)> save)
{
    recentFolders_ = recent.mid(0, kRecentFolderCount);
    saveRecentFolders_ = std::move(save);
}

bool TForm1::CloseEditorsIn(const QString& folder)
{
    QList<editor::TEdytorF*> closing;
    for (editor::TEdytorF* editor : findChildren<editor::TEdytorF*>(Qt::FindDirectChildrenOnly)) {
        const QString file = editor->Frame()->FileName();
        if (file.isEmpty() || !SameFolder(QFileInfo(file).absolutePath(), folder))
            continue;
        if (editor->isVisible() && !editor->FormCloseQuery())
            return false;
        closing << editor;
    }
    // Answered already: they go without a second question.
    for (editor::TEdytorF* editor : closing) {
        editor->hide();
        editor->deleteLater();
    }
    return true;
}

bool TForm1::ChangeWorkFolder(const QString& folder)
{
    const QString next = WorkFolderOf(folder, QDir::currentPath());
    if (next.isEmpty())
        return false;
    // The editors of the old folder's files go; on the same folder they stay on their files.
    if (!SameFolder(next, workFolder_) && !CloseEditorsIn(workFolder_))
        return false;
    workFolder_ = next;
    FormShow();
    return true;
}

void TForm1::ChooseWorkFolder()
{
    const QtPlatform::DialogOwner owner(this);
    if (const auto chosen
        = CurrentPlatform().ChooseFolder("Wybierz folder roboczy", WorkDirectory()))
        ChangeWorkFolder(QString::fromStdString(*chosen));
}

void TForm1::OpenWorkFolder()
{
    if (!CurrentPlatform().OpenFolder(WorkDirectory())) {
        const QtPlatform::DialogOwner owner(this);
        CurrentPlatform().ShowError(
            "Nie można otworzyć folderu " + WorkDirectory() + " w menedżerze plików.");
    }
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.front().isLocalFile())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the new start may ask questions, and the program that dragged
    // waits while the drop goes on.
    const QString folder = WorkFolderOf(urls.front().toLocalFile(), QDir::currentPath());
    QTimer::singleShot(0, this, [this, folder] { ChangeWorkFolder(folder); });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui_->Memo1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        return true; // Esc in the instruction text does not close the program
    // A right click on the panel, its labels or the logo offers the area's check.
    if (watched != ui_->Memo1 && event->type() == QEvent::ContextMenu) {
        areaMenu_->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    }
    // The panel, its labels and the logo open the manual on a left click: released with the
    // left button over the control it was pressed on (the release goes to that control).
    if (watched != ui_->Memo1 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        if (static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
            OpenWebPage();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace vorida::ui
