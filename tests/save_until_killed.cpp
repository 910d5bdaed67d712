// Helper of test_killed_save: saves two versions of a script over one file
// in turn, the second first, until it is killed; says on its standard
// output when each save starts and when it has ended.
//   save_until_killed TARGET FIRST-VERSION SECOND-VERSION
#include "document/io_wording.h"
#include "document/script_file.h"

#include <QFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 4) {
        std::fputs("usage: save_until_killed TARGET FIRST-VERSION SECOND-VERSION\n", stderr);
        return 2;
    }
    const QString target = QString::fromLocal8Bit(argv[1]);
    QByteArray versions[2];
    for (int i = 0; i < 2; ++i) {
        QFile file(QString::fromLocal8Bit(argv[2 + i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[2 + i]);
            return 2;
        }
        versions[i] = file.readAll();
    }
    std::puts("ready");
    std::fflush(stdout);
    for (unsigned long n = 1;; ++n) {
        std::printf("saving %lu\n", n);
        std::fflush(stdout);
        if (const auto error = scriptfile::save(target, versions[n % 2])) {
            std::fprintf(stderr, "save %lu failed: %s\n", n, qPrintable(wording(*error)));
            return 1;
        }
        std::printf("saved %lu\n", n);
        std::fflush(stdout);
    }
}
