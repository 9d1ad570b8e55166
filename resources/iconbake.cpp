// iconbake OUTDIR ICON.xpm...
//
// Turns the hand-drawn XPM icons into what the build needs: OUTDIR/dayvane-<N>.png
// for each N x N source, and OUTDIR/dayvane.ico holding every size in the order given.
//
// Qt's ICO handler writes exactly one image per file: a second QImageWriter::write()
// on the same device appends a whole second ICO, which readers ignore. So each size
// is first encoded on its own by that handler (a 32-bit BMP with its AND mask, which
// every Windows version and windres accept), and the images are then lifted out of
// those one-image files and put under a single icon directory here.

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
#include <QSaveFile>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int IconDirSize = 6;
constexpr int IconDirEntrySize = 16;

struct IcoImage
{
    QByteArray entry; // the 16-byte ICONDIRENTRY; its last 4 bytes are the data offset
    QByteArray data;
};

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "iconbake: %s\n", qPrintable(message));
    std::exit(1);
}

quint16 word(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 dword(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

IcoImage encodeForIco(const QImage &image, const QString &source)
{
    QByteArray ico;
    QBuffer buffer(&ico);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        fail(QStringLiteral("%1: Qt's ICO writer failed: %2").arg(source, writer.errorString()));

    // Check the layout this relies on rather than trusting it: a one-image directory
    // whose image starts right after it and runs to the end of the file.
    const int headerSize = IconDirSize + IconDirEntrySize;
    if (ico.size() < headerSize || word(ico, 0) != 0 || word(ico, 2) != 1 || word(ico, 4) != 1)
        fail(QStringLiteral("%1: unexpected ICO directory from Qt's writer").arg(source));
    const quint32 length = dword(ico, IconDirSize + 8);
    const quint32 offset = dword(ico, IconDirSize + 12);
    if (offset != quint32(headerSize) || offset + length != quint32(ico.size()))
        fail(QStringLiteral("%1: unexpected ICO image placement from Qt's writer").arg(source));

    return {ico.mid(IconDirSize, IconDirEntrySize), ico.mid(offset)};
}

QByteArray assembleIco(const QList<IcoImage> &images)
{
    QByteArray ico(IconDirSize, '\0');
    qToLittleEndian<quint16>(0, ico.data());
    qToLittleEndian<quint16>(1, ico.data() + 2); // 1: icon, 2 would be a cursor
    qToLittleEndian<quint16>(quint16(images.size()), ico.data() + 4);

    quint32 offset = IconDirSize + IconDirEntrySize * images.size();
    for (const IcoImage &image : images) {
        QByteArray entry = image.entry;
        qToLittleEndian<quint32>(offset, entry.data() + 12);
        ico += entry;
        offset += image.data.size();
    }
    for (const IcoImage &image : images)
        ico += image.data;
    return ico;
}

void save(const QString &path, const QByteArray &bytes)
{
    // QSaveFile, so that an interrupted build never leaves a truncated icon that
    // looks up to date.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

} // namespace

int main(int argc, char *argv[])
{
    // Image plugins need an application object, but nothing here needs a display.
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        fail(QStringLiteral("usage: iconbake OUTDIR ICON.xpm..."));

    const QDir outDir(args.first());
    QList<IcoImage> icoImages;
    for (const QString &source : args.mid(1)) {
        const QImage image(source, "xpm");
        if (image.isNull())
            fail(QStringLiteral("%1: not a readable XPM image").arg(source));
        // Qt's ICO writer scales anything above 128 pixels down, which would leave
        // two entries of the same size in the ICO.
        if (image.width() != image.height() || image.width() > 128)
            fail(QStringLiteral("%1: an icon must be square and at most 128 pixels wide")
                     .arg(source));

        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        if (!writer.write(image))
            fail(
                QStringLiteral("%1: Qt's PNG writer failed: %2").arg(source, writer.errorString()));
        save(outDir.filePath(QStringLiteral("dayvane-%1.png").arg(image.width())), png);

        icoImages.append(encodeForIco(image, source));
    }
    save(outDir.filePath(QStringLiteral("dayvane.ico")), assembleIco(icoImages));
    return 0;
}
