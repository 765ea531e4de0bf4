#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// An INI-format text file read and written one key at a time.
//
// Nothing is cached: every read opens the file, every write rewrites it at once
// (through a temporary file renamed into place, so a crash never leaves half a
// file behind). Section and key names match without regard to letter case.
// Values follow these rules:
//  - text is stored as is; a value read back is cut to 2047 characters;
//  - a write changes only the line of its key: every other line keeps its
//    bytes, and texts that are not UTF-8 come back as they were (ByteText);
//  - integers are written in decimal and read as decimal, or as hexadecimal when
//    the text is longer than two characters and starts with "0x" or "0X";
//  - Booleans are written "1" or "0" and read as integers, any number but 0 true.
// A missing file, section or key, or a number that does not parse, gives the
// caller's default. A write the file system refuses throws WrenError
// "Unable to write to <path>"; keys written before it stay written.
class IniFile {
public:
    explicit IniFile(QString path);

    const QString &path() const { return m_path; }

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    int readInteger(const QString &section, const QString &key, int defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    bool hasKey(const QString &section, const QString &key) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    // The value's bytes as the file holds them, and writing them so: for texts
    // that must reach a page byte for byte (day and month names).
    std::optional<QByteArray> readBytes(const QString &section, const QString &key) const
    {
        return lookupBytes(section, key);
    }
    void writeBytes(const QString &section, const QString &key, const QByteArray &value);
    void writeInteger(const QString &section, const QString &key, int value);
    void writeBool(const QString &section, const QString &key, bool value);

    // The integer rule on its own: decimal, or "0x" hex longer than two characters.
    static std::optional<int> parseInteger(const QString &text);

    static constexpr int kMaxValueLength = 2047;

private:
    QByteArray readBytes() const;
    std::optional<QString> lookup(const QString &section, const QString &key) const;
    std::optional<QByteArray> lookupBytes(const QString &section, const QString &key) const;
    void store(const QByteArray &bytes);

    QString m_path;
};
