// Prints one catalogue row as UTF-8, so that the end-to-end test knows
// what a picker should write without copying the tables.
// Usage: catalogue_row <form 2-20> <adult|all-ages> <row index | text the row's name contains> <name|ref>
#include "pickers/picker.h"

#include <cstdio>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 5)
        return 2;
    const PickerForm *picker = pickerNamed("Form" + std::string(argv[1]));
    if (!picker)
        return 2;
    const PickerForm &form = *picker;
    const catalogues::Catalogue rows = std::string(argv[2]) == "adult" ? form.adult : form.allAges;
    const QString key = QString::fromUtf8(argv[3]);
    bool isIndex = false;
    const int index = key.toInt(&isIndex);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString name = QString::fromUtf16(rows[i].name.data(), qsizetype(rows[i].name.size()));
        if (isIndex ? int(i) == index : name.contains(key)) {
            const auto field = std::string(argv[4]) == "ref" ? rows[i].ref : rows[i].name;
            std::fputs(QString::fromUtf16(field.data(), qsizetype(field.size())).toUtf8().constData(), stdout);
            return 0;
        }
    }
    return 1;
}
