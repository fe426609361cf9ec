#pragma once

#include <QByteArray>
#include <QString>

namespace logger {

// The folder that keeps the last downloaded or opened image: dataFolder + "temp", or the
// program's folder + "/temp" when there is no data folder.
QString tempFolder(const QString& dataFolder);
// tempFolder + "/DataSetsTemp.tmp".
QString tempFilePath(const QString& dataFolder);

// Writes an image as a collection file (also the temp file): lastAddress + 257 bytes, the image
// as far as it goes and then 0xFF, as erased memory reads, so that nothing in the file was made
// up. Through QSaveFile: a failed write leaves the old file. The error names the cause.
bool writeImageFile(const QString& path, const QByteArray& image, int lastAddress,
                    QString* error = nullptr);
// Makes the temp folder when missing and writes the image into the temp file; the error is the
// folder's path when the folder cannot be made.
bool writeTempFile(const QString& dataFolder, const QByteArray& image, int lastAddress,
                   QString* error = nullptr);

// A collection file read back: its image and last used address, or why it is none.
struct CollectionFile {
    bool ok = false;
    QByteArray image;
    int lastAddress = -1;
    QString error;  // "it is shorter than ..." and the like, when not ok
};
// Reads at most what a 24-bit last used address can need; a file shorter than 14 bytes, or than
// its last used address + 2, is refused.
CollectionFile readCollectionFile(const QString& path);

// "<name> is not a data set collection: <why>", for the user.
QString notACollectionText(const QString& path, const QString& why);
// Why the parser refused an image, in words.
QString parseRefusalText(int code, int badSetIndex, int badSetEnd);

}  // namespace logger
