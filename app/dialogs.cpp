#include "app/dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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

    QString savePath(QWidget *parent) override
    {
        QFileDialog dialog(parent, QString(), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // A name typed without an extension is saved as a .dnml script.
        dialog.setDefaultSuffix(QStringLiteral("dnml"));
        dialog.selectFile(QStringLiteral(u"DNML文書.dnml"));
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
        QMessageBox box(QMessageBox::NoIcon, title, message, QMessageBox::Yes | QMessageBox::No, parent);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    }

    void warn(QWidget *parent, const QString &title, const QString &message) override
    {
        QMessageBox::warning(parent, title, message);
    }

    void chosenElsewhere(const QString &path) override
    {
        folder = QFileInfo(path).absolutePath();
    }

private:
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
