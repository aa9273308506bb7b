// An editor window: a non-modal top-level window bound to one file for its whole life. The
// main window creates one per click on a file button and hands it the file with OpenFile.
#pragma once

#include <QList>
#include <QPoint>
#include <QWidget>

#include <optional>

namespace vorida::editor {

class TEdytorFrame;

class TEdytorF : public QWidget
{
    Q_OBJECT
public:
    // `owner` is the main window: the editor stays in front of it, has no taskbar entry of its
    // own, and goes (without asking about unsaved text) when the owner's program ends. The
    // window shows itself at once with the caption "---" and deletes itself when closed.
    explicit TEdytorF(QWidget* owner = nullptr);

    // Loads the file at `path` (if a file exists there) and binds the window to it: caption and
    // FileName become `path`. A file that exists but cannot be read is reported, and the window
    // stays empty, captioned "---", without a FileName.
    void OpenFile(const QString& path);

    TEdytorFrame* Frame() const { return EdytorFrame1; }

    // The close question; false keeps the window open.
    bool FormCloseQuery();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void FormCreate();
    // Cascaded from the last editor still open (CascadePlace), the first beside the main
    // window; always whole on the main window's screen.
    void placeCascaded();

    TEdytorFrame* EdytorFrame1 = nullptr;
    // Where placeCascaded put the frame's top-left, until the window manager has framed it.
    std::optional<QPoint> askedPlace_;
};

} // namespace vorida::editor
