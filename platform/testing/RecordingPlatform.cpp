#include "RecordingPlatform.h"

#include "System.h"

#include <cstdio>

namespace vorida {

std::vector<std::string> RecordingPlatform::Messages() const
{
    std::vector<std::string> texts;
    for (const auto& s : Log)
        if (s.Kind == "message")
            texts.push_back(s.Text);
    return texts;
}

Answer RecordingPlatform::NextAnswer()
{
    if (Answers.empty())
        return Answer::Cancel;
    Answer a = Answers.front();
    Answers.pop_front();
    return a;
}

void RecordingPlatform::ShowMessage(std::string_view text)
{
    Log.push_back({ "message", std::string(text), {} });
}

Answer RecordingPlatform::AskOkCancel(std::string_view text, std::string_view caption)
{
    Log.push_back({ "okcancel", std::string(text), std::string(caption) });
    return NextAnswer();
}

Answer RecordingPlatform::AskYesNoCancel(std::string_view text, std::string_view caption)
{
    Log.push_back({ "yesnocancel", std::string(text), std::string(caption) });
    return NextAnswer();
}

std::optional<std::string> RecordingPlatform::ChooseFileToOpen(
    std::string_view caption, std::string_view directory)
{
    Log.push_back({ "open", std::string(directory), std::string(caption) });
    if (ChosenFiles.empty())
        return std::nullopt;
    auto f = ChosenFiles.front();
    ChosenFiles.pop_front();
    return f;
}

std::optional<std::string> RecordingPlatform::ChooseFileToSave(
    std::string_view caption, std::string_view suggestedPath)
{
    Log.push_back({ "save", std::string(suggestedPath), std::string(caption) });
    if (ChosenFiles.empty())
        return std::nullopt;
    auto f = ChosenFiles.front();
    ChosenFiles.pop_front();
    return f;
}

bool RecordingPlatform::RegularFileExists(const std::string& path)
{
    return RegularFileExistsOnDisk(path);
}

std::string RecordingPlatform::ShortDate(const LocalDateTime& when)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", when.Year, when.Month, when.Day);
    return buffer;
}

std::string RecordingPlatform::LongTime(const LocalDateTime& when)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d:%02d:%02d", when.Hour, when.Minute, when.Second);
    return buffer;
}

void RecordingPlatform::OpenAddress(std::string_view address)
{
    Log.push_back({ "address", std::string(address), {} });
}

std::optional<std::string> RecordingPlatform::ChooseFolder(
    std::string_view caption, std::string_view directory)
{
    Log.push_back({ "folder", std::string(directory), std::string(caption) });
    if (ChosenFolders.empty())
        return std::nullopt;
    auto f = ChosenFolders.front();
    ChosenFolders.pop_front();
    return f;
}

bool RecordingPlatform::OpenFolder(const std::string& directory)
{
    Log.push_back({ "openfolder", directory, {} });
    return true;
}

bool RecordingPlatform::StartProgram(
    std::string_view name, const std::vector<std::string>& arguments)
{
    std::string text(name);
    for (const std::string& a : arguments)
        text += "\n" + a;
    Log.push_back({ "start", text, {} });
    return true;
}

} // namespace vorida
