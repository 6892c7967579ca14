#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace gui {

/** The desktop around the window: the clipboard and other programs. Tests record instead. */
class Desktop
{
public:
    virtual ~Desktop() = default;
    virtual void clearClipboard() = 0;
    virtual void setClipboardText(const QString& text) = 0;
    /** The clipboard's text in UTF-8, made by `text` only when a program asks for it (each time it asks), as a paste
     *  does: a big text costs nothing until then, and its bytes and not twice as many in UTF-16 while it is given.
     *  `text` gives the same bytes each time: it keeps what it makes them from. */
    virtual void setClipboardUtf8(std::function<QByteArray()> text) = 0;
    /** Opens a document with the desktop's program for its type; the path is passed as one argument. */
    virtual bool openDocument(const QString& path) = 0;
    /** Starts the desktop's program for plain text (text/plain) on `path` (one argument), or with no file when it
     *  is empty. False when there is no such program. */
    virtual bool openInTextEditor(const QString& path) = 0;
};

/** The real desktop: QClipboard, QDesktopServices and QProcess. */
class SystemDesktop final : public Desktop
{
public:
    void clearClipboard() override;
    void setClipboardText(const QString& text) override;
    void setClipboardUtf8(std::function<QByteArray()> text) override;
    bool openDocument(const QString& path) override;
    bool openInTextEditor(const QString& path) override;
};

} // namespace gui
