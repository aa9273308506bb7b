// The file button: a flat, non-focusable button standing for one of the program's files. Its
// picture shows whether the file exists; a click opens the file in a new editor window.
#pragma once

#include <QDir>
#include <QList>
#include <QToolButton>

namespace vorida::ui {

class TPrzyciskLok : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(QString NazwaPliku READ NazwaPliku WRITE SetNazwaPliku)
public:
    explicit TPrzyciskLok(QWidget* parent = nullptr);

    // The file name, relative to BaseDirectory. Setting it renames the caption too while the
    // caption is still the button's object name or the old file name.
    QString NazwaPliku() const { return nazwaPliku_; }
    void SetNazwaPliku(const QString& name);

    // The directory of the running executable at construction; the main window's work folder.
    QString BaseDirectory() const { return baseDirectory_; }
    void SetBaseDirectory(const QString& directory) { baseDirectory_ = directory; }
    QString FilePath() const { return baseDirectory_ + QDir::separator() + nazwaPliku_; }

    // Re-checks whether the file exists (a directory counts as missing) and redraws.
    void Repaint();
    bool ShowsFilePresent() const { return present_; }

    // The pictures shared by every button: a lined sheet for a present file, nothing else.
    static const QIcon& FilePresentGlyph();
    static const QIcon& FileAbsentGlyph();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void OpenInEditor();

    QString nazwaPliku_;
    QString baseDirectory_;
    bool present_ = false;
};

// The widgets of class T owned by owner, in ownership order; a widget of the class is not
// searched further.
template <typename T> QList<T*> FindComponentsOfClass(const QObject* owner)
{
    QList<T*> found;
    for (QObject* child : owner->children()) {
        if (T* t = qobject_cast<T*>(child))
            found.append(t);
        else if (child->isWidgetType())
            found.append(FindComponentsOfClass<T>(child));
    }
    return found;
}

// Repaints every visible file button of every window of the program.
void RefreshFileButtons();

} // namespace vorida::ui
