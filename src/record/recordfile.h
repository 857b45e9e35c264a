#pragma once

#include "record.h"

#include <QByteArray>
#include <QImage>
#include <QString>

// A record written to a file, in the format its name's suffix asks for: .png a picture drawn at twice
// the screen's scale, .pdf one page, .csv the samples. Through QSaveFile: the file is whole or not there,
// and a file that was there before stays as it was when the write fails.
namespace Record {

enum class Format { Png, Pdf, Csv, Unknown };
Format formatOf(const QString& path);
QString unknownSuffixText(const QString& path);

// "ms,value" (",near_end" for the near-end sensor) and one row per sample; a missing sample has its time
// and an empty value.
QByteArray csv(const Sheet& sheet);
// The record at `ratio` device pixels per logical pixel.
QImage picture(const Sheet& sheet, qreal ratio);

struct Written {
    bool ok = false;
    QString problem; // one message naming the path
};
// `screenRatio`: the screen's own device pixel ratio (1 without a screen); the picture takes twice that.
// Safe to call on a thread of its own, with a sheet of its own.
Written write(const QString& path, const Sheet& sheet, qreal screenRatio = 1);

} // namespace Record
