#pragma once

#include <QString>

// How a stored entry text or title shows in the editor, and back.
//
// The editor shows line breaks as "\n"; entries keep them as CR LF, the form
// that publishing turns into paragraphs. A stored text that is not UTF-8
// (ByteText escapes) shows decoded as Windows-1252 and goes back in it, byte
// for byte, so that opening and leaving it never changes it, and a change
// keeps its encoding. A character Windows-1252 cannot hold turns the text
// into UTF-8 when it is stored.
struct EditorText {
    QString shown;
    bool legacy = false; // the stored bytes are not UTF-8

    static EditorText fromStored(const QString &stored, bool multiLine = true);
    static QString toStored(const QString &shown, bool legacy, bool multiLine = true);
};
