#include "app/dialogs.h"

#include "document/file_access.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace {

const QString filter = QStringLiteral(u"DNML書庫(*.dnml)");

class QtDialogs final : public Dialogs
{
public:
    QString openPath(QWidget *parent) override
    {
        QFileDialog dialog(parent, QString(), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        return run(dialog);
    }

    QString savePath(QWidget *parent, const QString &current) override
    {
        QFileDialog dialog(parent, QString(), current.isEmpty() ? folder : QFileInfo(current).absolutePath(), filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A name typed without an extension is saved as a .dnml script.
        dialog.setDefaultSuffix(QStringLiteral("dnml"));
        dialog.selectFile(current.isEmpty() ? QStringLiteral(u"DNML文書.dnml") : QFileInfo(current).fileName());
        return run(dialog);
    }

    QString csvPath(QWidget *parent) override
    {
        QFileDialog dialog(parent, QStringLiteral(u"文字数の書き出し"), folder, QStringLiteral(u"CSVファイル(*.csv)"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.selectFile(QStringLiteral(u"文字数.csv"));
        return run(dialog);
    }

    bool yesNo(QWidget *parent, const QString &title, const QString &message) override
    {
        QMessageBox box(QMessageBox::NoIcon, shown(title), shown(message), QMessageBox::Yes | QMessageBox::No, parent);
        // File names and the author's text are shown as they are, never
        // read as markup.
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    int choose(QWidget *parent, const QString &title, const QString &message, const QStringList &buttons,
               int otherwise) override
    {
        QMessageBox box(QMessageBox::Question, shown(title), shown(message), QMessageBox::NoButton, parent);
        box.setTextFormat(Qt::PlainText);
        QList<QAbstractButton *> added;
        for (qsizetype i = 0; i < buttons.size(); ++i)
            added << box.addButton(buttons[i], i == otherwise ? QMessageBox::RejectRole : QMessageBox::AcceptRole);
        box.setDefaultButton(static_cast<QPushButton *>(added.value(otherwise)));
        box.setEscapeButton(added.value(otherwise));
        box.exec();
        const qsizetype chosen = added.indexOf(box.clickedButton());
        return chosen < 0 ? otherwise : int(chosen);
    }

    void warn(QWidget *parent, const QString &title, const QString &message) override
    {
        QMessageBox box(QMessageBox::Warning, shown(title), shown(message), QMessageBox::Ok, parent);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }

    void chosenElsewhere(const QString &path) override
    {
        folder = QFileInfo(path).absolutePath();
    }

private:
    // A file's name kept as bytes that are no UTF-8 (a Shift-JIS name) shows
    // them as U+FFFD, as file managers do, wherever a question names it.
    static QString shown(const QString &text) { return disk::shownName(text); }

    // Each dialog opens in the folder of the last file chosen in this run.
    QString run(QFileDialog &dialog)
    {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return {};
        const QString path = dialog.selectedFiles().constFirst();
        chosenElsewhere(path);
        return path;
    }

    QString folder = QDir::homePath();
};

} // namespace

std::unique_ptr<Dialogs> makeQtDialogs()
{
    return std::make_unique<QtDialogs>();
}

void speakJapanese(QTranslator &translator)
{
    // The type names come from the locale in force, not the translation.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    if (translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&translator);
}
