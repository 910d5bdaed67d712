// Draws the program's icon for the desktop's hicolor theme from its own
// window picture: make_icons <picture> <folder> writes
// <folder>/<N>x<N>/apps/scrivlet.png for each size the desktop asks for.
// Whole multiples of the picture keep its pixels sharp; other sizes are
// smoothed.
#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fputs("usage: make_icons PICTURE FOLDER\n", stderr);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "make_icons: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir folder(QString::fromLocal8Bit(argv[2]));
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const bool multiple = size % picture.width() == 0 && size % picture.height() == 0;
        const QImage icon =
            picture.scaled(size, size, Qt::IgnoreAspectRatio, multiple ? Qt::FastTransformation : Qt::SmoothTransformation);
        const QString sub = QStringLiteral("%1x%1/apps").arg(size);
        if (!folder.mkpath(sub) || !icon.save(folder.filePath(sub + QStringLiteral("/scrivlet.png")), "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write the %dx%d icon\n", size, size);
            return 1;
        }
    }
    return 0;
}
