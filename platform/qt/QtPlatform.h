// The platform of the windowed program: Qt message boxes and file dialogs, the desktop's browser,
// the system locale's date and time formats.
#pragma once

#include "Platform.h"

#include <QString>

class QWidget;

namespace vorida {

class QtPlatform : public Platform
{
public:
    void ShowMessage(std::string_view text) override;
    void ShowError(std::string_view text) override;
    Answer AskOkCancel(std::string_view text, std::string_view caption) override;
    Answer AskYesNoCancel(std::string_view text, std::string_view caption) override;
    Answer AskYesNo(std::string_view text, std::string_view caption) override;
    std::optional<std::string> ChooseFileToOpen(
        std::string_view caption, std::string_view directory) override;
    std::optional<std::string> ChooseFileToSave(
        std::string_view caption, std::string_view suggestedPath) override;
    std::string ExecutableDirectory() override;
    bool RegularFileExists(const std::string& path) override;
    LocalDateTime Now() override;
    std::string ShortDate(const LocalDateTime& when) override;
    std::string LongTime(const LocalDateTime& when) override;
    void OpenAddress(std::string_view address) override;
    bool StartProgram(std::string_view name, const std::vector<std::string>& arguments) override;
    // In QtFolders.cpp.
    std::optional<std::string> ChooseFolder(
        std::string_view caption, std::string_view directory) override;
    bool OpenFolder(const std::string& directory) override;

    // The window the boxes and dialogs belong to: an open modal window, else the window of
    // the innermost DialogOwner, else the active window, if any.
    static QWidget* DialogParent();

    // A dialog about to open goes above the program's windows that stay on top (the search
    // dialogs) while one of them is shown: it then stays on top itself, and while it is shown
    // the others do not. True when it does. In every case the dialog stays whole on its
    // screen, also when it grows.
    static bool KeepAboveStayingOnTop(QWidget& dialog);

    // While one lives, the boxes belong to `window` (one just brought to the front, which the
    // window manager may not have activated yet).
    class DialogOwner
    {
    public:
        explicit DialogOwner(QWidget* window);
        ~DialogOwner();
        DialogOwner(const DialogOwner&) = delete;
        DialogOwner& operator=(const DialogOwner&) = delete;

    private:
        QWidget* previous_;
    };

    // The file dialog's size and type columns in Polish: "1 bajt", "3 bajty", "88 bajtów" (from
    // a kilobyte on, the locale's units); the run's result files ("*.1") as "Plik wyników",
    // any other type as `shown`.
    static QString PolishFileSize(qint64 bytes);
    static QString PolishFileType(const QString& fileName, const QString& shown);

    // Registers the Windows fonts the windows name ("MS Sans Serif", "Tahoma") from the
    // fonts-wine package when fontconfig does not know them. Safe to call more than once.
    static void LoadWindowsFonts();
};

} // namespace vorida
