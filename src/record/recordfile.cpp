#include "recordfile.h"

#include "identity.h"
#include "recordpainter.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace Record {

namespace {
// The record fills the printable width of an A4 page, at a resolution that keeps its lines sharp.
constexpr int kPdfResolution = 300;

bool writePdf(QSaveFile& file, const Sheet& sheet) {
    QPdfWriter pdf(&file);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    pdf.setResolution(kPdfResolution);
    pdf.setTitle(QStringLiteral("Sensor record"));
    pdf.setCreator(Identity::kProductName);
    QPainter painter;
    if (!painter.begin(&pdf)) return false;
    const QSizeF logical = size(sheet);
    const double scale = std::min(pdf.width() / logical.width(), pdf.height() / logical.height());
    painter.scale(scale, scale);
    paint(painter, sheet);
    return painter.end();
}

QString failedText(const QString& path, const QString& reason) {
    return QStringLiteral("The record could not be written to %1: %2").arg(QDir::toNativeSeparators(path), reason);
}
} // namespace

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png")) return Format::Png;
    if (suffix == QLatin1String("pdf")) return Format::Pdf;
    if (suffix == QLatin1String("csv")) return Format::Csv;
    return Format::Unknown;
}

QString unknownSuffixText(const QString& path) {
    return QStringLiteral("The record cannot be written to %1: the file name must end in .png, .pdf or .csv")
        .arg(QDir::toNativeSeparators(path));
}

QByteArray csv(const Sheet& sheet) {
    const bool nearEnd = sheet.sensor == Printer::Sensor::NearEnd;
    QByteArray text = nearEnd ? "ms,value,near_end\n" : "ms,value\n";
    for (const Printer::Sample& s : sheet.samples) {
        text += QByteArray::number(s.ms) + ',';
        if (s.value) text += QByteArray::number(*s.value);
        if (nearEnd) text += ',' + (s.nearEnd ? QByteArray::number(*s.nearEnd) : QByteArray());
        text += '\n';
    }
    return text;
}

QImage picture(const Sheet& sheet, qreal ratio) {
    const QSizeF logical = size(sheet);
    QImage image((logical * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter, sheet);
    return image;
}

Written write(const QString& path, const Sheet& sheet, qreal screenRatio) {
    const Format format = formatOf(path);
    if (format == Format::Unknown) return {false, unknownSuffixText(path)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return {false, failedText(path, file.errorString())};
    bool drawn = true;
    switch (format) {
    case Format::Png:
        drawn = picture(sheet, 2 * screenRatio).save(&file, "PNG");
        break;
    case Format::Pdf:
        drawn = writePdf(file, sheet);
        break;
    case Format::Csv:
        drawn = file.write(csv(sheet)) >= 0;
        break;
    case Format::Unknown:
        break;
    }
    if (!drawn) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return {false, failedText(path, reason)};
    }
    if (!file.commit()) return {false, failedText(path, file.errorString())};
    return {true, {}};
}

} // namespace Record
