#include "view/savefiles.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QSaveFile>

namespace {
const char *const kSendFileName = "senddata%1.dat";
// Translated with the view's other texts.
const char *const kWriteFailed = QT_TRANSLATE_NOOP("CTarvikView", "无法保存文件 %1：\n%2");
} // namespace

QString CSaveFiles::Choose(const QString &suggestedName) const
{
    if (m_saveFileChooser)
        return m_saveFileChooser(suggestedName);
    // "*.*" would hide every file without a dot in its name here.
    return QFileDialog::getSaveFileName(m_dialogParent, QString(), suggestedName,
                                        QStringLiteral("All files (*)"));
}

QString CSaveFiles::ChooseSendFile()
{
    const QString path = Choose(QString::fromLatin1(kSendFileName).arg(m_nSavedSendNumber));
    if (!path.isEmpty())
        ++m_nSavedSendNumber;
    return path;
}

bool CSaveFiles::Write(const QString &path, const std::vector<QByteArrayView> &pieces) const
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    for (const QByteArrayView piece : pieces)
        written = written && file.write(piece.data(), piece.size()) == piece.size();
    if (written && file.commit())
        return true;
    ReportFailure(path, file.errorString());
    return false;
}

void CSaveFiles::ReportFailure(const QString &path, const QString &reason) const
{
    QMessageBox::warning(
        m_dialogParent, QString(),
        QCoreApplication::translate("CTarvikView", kWriteFailed).arg(path, reason));
}
