#include "QtPlatform.h"

#include "System.h"

#include <QApplication>
#include <QDate>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace vorida {

namespace {

QString fromUtf8(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string toUtf8(const QString& s)
{
    return s.toUtf8().toStdString();
}

// The program's messages break their lines with CR, as the system's message boxes do; Qt's
// label breaks only at LF (with some font engines, the Windows ones among them, a CR shows as
// nothing and the lines run together).
QString messageText(std::string_view s)
{
    QString text = fromUtf8(s);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString applicationTitle()
{
    QString title = QGuiApplication::applicationDisplayName();
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

QPointer<QWidget> owner;

// A message box is of fixed size: no maximise button in its title bar (left to themselves,
// some window managers offer one). It comes up above the program's windows that stay on top.
void fixedTitleBar(QMessageBox& box)
{
    box.setWindowFlags(
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    QtPlatform::KeepAboveStayingOnTop(box);
}

// Qt's file dialog writes file sizes and dates in the system's locale, whatever the default
// one: these two columns in Polish, as is the rest of the interface.
class PolishFileColumns : public QIdentityProxyModel
{
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex source = mapToSource(index);
        if (role != Qt::DisplayRole || !files || !source.isValid())
            return QIdentityProxyModel::data(index, role);
        const QLocale polish(QLocale::Polish, QLocale::Poland);
        if (index.column() == 3)
            return polish.toString(files->lastModified(source), QLocale::ShortFormat);
        if (index.column() == 1 && !files->isDir(source))
            return QtPlatform::PolishFileSize(files->size(source));
        if (index.column() == 2 && !files->isDir(source))
            return QtPlatform::PolishFileType(files->fileName(source.siblingAtColumn(0)),
                QIdentityProxyModel::data(index, role).toString());
        return QIdentityProxyModel::data(index, role);
    }
};

// A file dialog of Qt's own (a system one would open under a window that stays on top).
std::optional<std::string> chooseFile(
    QFileDialog::AcceptMode mode, std::string_view caption, std::string_view path)
{
    QFileDialog dialog(QtPlatform::DialogParent(), fromUtf8(caption), fromUtf8(path));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(
        mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (QtPlatform::KeepAboveStayingOnTop(dialog))
        dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new PolishFileColumns(&dialog));
    // The size, type and date columns as wide as their texts, not cut to "Kod…ake", in a
    // dialog wide enough for them beside the names.
    if (auto* files = dialog.findChild<QTreeView*>())
        for (const int column : { 1, 2, 3 })
            files->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    dialog.resize(std::max(dialog.width(), 800), std::max(dialog.height(), 440));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return toUtf8(dialog.selectedFiles().constFirst());
}

} // namespace

QString QtPlatform::PolishFileSize(qint64 bytes)
{
    if (bytes >= 1024)
        return QLocale(QLocale::Polish, QLocale::Poland).formattedDataSize(bytes);
    // 1 bajt, 2-4 bajty (but 12-14 bajtów), 22-24 bajty, and bajtów otherwise.
    const qint64 ones = bytes % 10, tens = bytes % 100;
    const char* word = bytes == 1                            ? "bajt"
        : ones >= 2 && ones <= 4 && (tens < 12 || tens > 14) ? "bajty"
                                                             : "bajtów";
    return QString::number(bytes) + QLatin1Char(' ') + QString::fromUtf8(word);
}

QString QtPlatform::PolishFileType(const QString& fileName, const QString& shown)
{
    // The run's result files (xy2000.1, xy_LOK.1), which the system takes for manual pages.
    if (fileName.endsWith(QLatin1String(".1")))
        return QStringLiteral("Plik wyników");
    return shown;
}

QtPlatform::DialogOwner::DialogOwner(QWidget* window) : previous_(owner.data())
{
    owner = window;
}

QtPlatform::DialogOwner::~DialogOwner()
{
    owner = previous_;
}

namespace {

// While the dialog it watches is shown, the program's other windows that stay on top do not:
// a window manager keeps a box that belongs to one window (an editor) beneath a window that
// stays on top and belongs to another (another editor's search dialog), where it holds the
// keyboard unseen. They stay on top again when the dialog goes.
class OthersGiveWay : public QObject
{
public:
    explicit OthersGiveWay(QWidget& dialog) : QObject(&dialog), dialog_(dialog)
    {
        dialog.installEventFilter(this);
    }
    ~OthersGiveWay() override { restore(); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &dialog_ && event->type() == QEvent::Show)
            giveWay();
        else if (watched == &dialog_ && event->type() == QEvent::Hide)
            restore();
        return false;
    }

private:
    void giveWay()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            QWindow* handle = window->windowHandle();
            if (window == &dialog_ || !window->isVisible() || !handle
                || !handle->flags().testFlag(Qt::WindowStaysOnTopHint))
                continue;
            handle->setFlag(Qt::WindowStaysOnTopHint, false);
            gaveWay_ << window;
        }
    }

    void restore()
    {
        for (const QPointer<QWidget>& window : std::as_const(gaveWay_))
            if (window && window->windowHandle())
                window->windowHandle()->setFlags(window->windowFlags());
        gaveWay_.clear();
    }

    QWidget& dialog_;
    QList<QPointer<QWidget>> gaveWay_;
};

// Keeps the dialog it watches whole on its screen's available area: as it opens, as the window
// manager frames it, and as it grows (the print dialog's "Opcje >>" adds its options below).
class KeepsOnScreen : public QObject
{
public:
    explicit KeepsOnScreen(QWidget& dialog) : QObject(&dialog), dialog_(dialog)
    {
        dialog.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &dialog_ && !queued_
            && (event->type() == QEvent::Show || event->type() == QEvent::Resize
                || event->type() == QEvent::Move)) {
            queued_ = true; // once the window system has the new size
            QTimer::singleShot(0, this, [this] {
                queued_ = false;
                pullOnScreen();
            });
        }
        return false;
    }

private:
    void pullOnScreen()
    {
        if (!dialog_.isVisible() || !dialog_.screen())
            return;
        const QRect room = dialog_.screen()->availableGeometry();
        QRect frame = dialog_.frameGeometry();
        if (frame == dialog_.geometry() && dialog_.parentWidget()) {
            // Not framed yet: the frame of the window it belongs to is the guess.
            const QWidget& window = *dialog_.parentWidget()->window();
            const QRect outer = window.frameGeometry(), inner = window.geometry();
            frame.adjust(outer.left() - inner.left(), outer.top() - inner.top(),
                outer.right() - inner.right(), outer.bottom() - inner.bottom());
        }
        if (room.contains(frame))
            return;
        dialog_.move(std::clamp(frame.left(), room.left(),
                         std::max(room.left(), room.right() + 1 - frame.width())),
            std::clamp(
                frame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - frame.height())));
    }

    QWidget& dialog_;
    bool queued_ = false;
};

} // namespace

bool QtPlatform::KeepAboveStayingOnTop(QWidget& dialog)
{
    new KeepsOnScreen(dialog);
    for (const QWidget* window : QApplication::topLevelWidgets()) {
        if (window != &dialog && window->isVisible()
            && window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
            new OthersGiveWay(dialog);
            return true;
        }
    }
    return false;
}

QWidget* QtPlatform::DialogParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (owner)
        return owner->window();
    return QApplication::activeWindow();
}

namespace {

void showWithOk(QMessageBox::Icon icon, std::string_view text)
{
    QMessageBox box(
        icon, applicationTitle(), messageText(text), QMessageBox::Ok, QtPlatform::DialogParent());
    fixedTitleBar(box);
    box.exec();
}

} // namespace

void QtPlatform::ShowMessage(std::string_view text)
{
    showWithOk(QMessageBox::NoIcon, text);
}

void QtPlatform::ShowError(std::string_view text)
{
    showWithOk(QMessageBox::Critical, text);
}

Answer QtPlatform::AskOkCancel(std::string_view text, std::string_view caption)
{
    QMessageBox box(QMessageBox::NoIcon, fromUtf8(caption), messageText(text),
        QMessageBox::Ok | QMessageBox::Cancel, DialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    fixedTitleBar(box);
    return box.exec() == QMessageBox::Ok ? Answer::Ok : Answer::Cancel;
}

Answer QtPlatform::AskYesNoCancel(std::string_view text, std::string_view caption)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(caption), messageText(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, DialogParent());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    fixedTitleBar(box);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel; // Esc and the title-bar close button too
    }
}

Answer QtPlatform::AskYesNo(std::string_view text, std::string_view caption)
{
    QMessageBox box(QMessageBox::Warning, fromUtf8(caption), messageText(text),
        QMessageBox::Yes | QMessageBox::No, DialogParent());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    fixedTitleBar(box);
    return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

std::optional<std::string> QtPlatform::ChooseFileToOpen(
    std::string_view caption, std::string_view directory)
{
    return chooseFile(QFileDialog::AcceptOpen, caption, directory);
}

std::optional<std::string> QtPlatform::ChooseFileToSave(
    std::string_view caption, std::string_view suggestedPath)
{
    return chooseFile(QFileDialog::AcceptSave, caption, suggestedPath);
}

std::string QtPlatform::ExecutableDirectory()
{
    return toUtf8(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()));
}

bool QtPlatform::RegularFileExists(const std::string& path)
{
    return RegularFileExistsOnDisk(path);
}

LocalDateTime QtPlatform::Now()
{
    return LocalNow();
}

std::string QtPlatform::ShortDate(const LocalDateTime& when)
{
    QDate date(when.Year, when.Month, when.Day);
    return toUtf8(QLocale::system().toString(date, QLocale::ShortFormat));
}

std::string QtPlatform::LongTime(const LocalDateTime& when)
{
    QTime time(when.Hour, when.Minute, when.Second);
    return toUtf8(QLocale::system().toString(time, QLocale::LongFormat));
}

void QtPlatform::OpenAddress(std::string_view address)
{
    QDesktopServices::openUrl(QUrl(fromUtf8(address)));
}

bool QtPlatform::StartProgram(std::string_view name, const std::vector<std::string>& arguments)
{
    QStringList args;
    for (const std::string& a : arguments)
        args << fromUtf8(a);
#ifdef _WIN32
    const std::string file = std::string(name) + ".exe";
#else
    const std::string file(name);
#endif
    return QProcess::startDetached(
        fromUtf8(PathIn(ExecutableDirectory(), file)), args, fromUtf8(ExecutableDirectory()));
}

void QtPlatform::LoadWindowsFonts()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList known = QFontDatabase::families();
    const char* const files[][2] = {
        { "MS Sans Serif", "ms_sans_serif.ttf" },
        // Only the regular face: the package's bold face draws no heavier than the regular one,
        // while the bold Qt derives from the regular face is plainly bold.
        { "Tahoma", "tahoma.ttf" },
    };
    for (const auto& [family, file] : files) {
        if (known.contains(QString::fromLatin1(family), Qt::CaseInsensitive))
            continue;
        const QString path = QStringLiteral("/usr/share/wine/fonts/") + QString::fromLatin1(file);
        if (QFileInfo::exists(path))
            QFontDatabase::addApplicationFont(path);
    }
}

} // namespace vorida
