#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The disc name and thumbnail that a Blu-ray's metadata file ("BDMV/META/DL/bdmt_eng.xml")
// names, as the disc page shows them.
struct DiscMetadata
{
    QByteArray nameBytes;      // the bytes between "<di:name>" and the next "</"
    QByteArray thumbnailBytes; // the thumbnail file name, relative to the META/DL folder
    QString name;              // nameBytes as the window shows it (UTF-8, Qt's C-string codec)
    QString thumbnail;         // thumbnailBytes as a file name (the locale's codec)
};

// Reads the file line by line, each read taking at most 2,047 bytes (a longer line is read
// in pieces, each treated as a line), with Windows text-mode line ends ("\r\n" reads as
// "\n"); each line is C text, so it ends at a zero byte.
//  - A line holding "<di:name>": the name is what follows, up to the first "</" after it,
//    or to the end of the line, line end included, when there is none.
//  - Any other line holding "<di:thumbnail href=\"": the thumbnail is what follows, up to the
//    next double quote (the href attribute's own value), or to the end of the line when
//    there is none. Real discs write `<di:thumbnail href="x.jpg" size="416x240" />`, so
//    the value cannot wait for the element's end.
//  - A value of 256 bytes or more is ignored; otherwise it replaces the earlier one, so the
//    last values of the file win. The name test comes first on a line that holds both.
// A missing or unreadable file gives empty values.
DiscMetadata ReadDiscMetadata(const QString &path);
// The same rules over the file's bytes, read by the caller (from a folder or an image).
DiscMetadata ReadDiscMetadataBytes(QByteArrayView bytes);
