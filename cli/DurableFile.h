#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A file that lines are added to, each in one write and forced to the disk
// before the call returns, so a killed program loses nothing it wrote.
class DurableFile
{
public:
    DurableFile() = default;
    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // Opens (or makes) the file to add to; on a failure why says the system's reason.
    bool Open(const QString& path, QString& why);
    // The first bytes of the file, up to count; fewer for a shorter file.
    QByteArray Head(qsizetype count) const;
    // The file's last byte; nothing for an empty file.
    std::optional<char> LastByte() const;
    // Whether the path still names the open file: one rotated or removed underneath does not.
    // Windows refuses to remove or rename a file that a program holds open, so there it always does.
    bool StillAtPath() const;
    bool Append(const QByteArray& bytes, QString& why);

private:
    void Close();

    int m_fd = -1;
    QString m_path;
};
