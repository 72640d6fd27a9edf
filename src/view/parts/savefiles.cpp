#include "view/parts/savefiles.h"

#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/viewstatus.h"
#include "view/recv/historywriter.h"
#include "view/recv/recvview.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>

namespace {
const char *const kSendFileName = "senddata%1.dat";
const char *const kRecvFileName = "recved.dat";

QByteArrayView BytesOf(const ByteString &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())};
}
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

void CSaveFiles::Connect(QWidget *view, const CViewForm &form, CViewStatus &status)
{
    Attach(view);
    m_form = &form;
    m_status = &status;
    m_historyWriter = new CHistoryWriter(view);
    ConnectHistoryWriter();
    connect(form.saveRecv, &QPushButton::clicked, this, &CSaveFiles::OnSaveRecv);
    connect(form.saveSend, &QPushButton::clicked, this, &CSaveFiles::OnSaveSend);
}

void CSaveFiles::ConnectHistoryWriter()
{
    connect(m_historyWriter, &CHistoryWriter::Progress, this, [this](int percent) {
        m_status->ShowText(tr("正在保存接收内容：%1%").arg(percent), kStatusHint,
                           kStatusUntilReplaced);
    });
    connect(m_historyWriter, &CHistoryWriter::Finished, this,
            [this](const QString &path, const QString &error) {
                if (!error.isEmpty()) {
                    m_status->ShowText(QString(), kStatusHint, kStatusUntilReplaced);
                    return ReportFailure(path, error);
                }
                ConfirmSaved(path, QFileInfo(path).size());
            });
}

void CSaveFiles::OnSaveRecv()
{
    const CRecvHistory &history = m_form->recvBox->History();
    if (history.Size() == 0) {
        m_status->ShowMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kStatusDefaultTime);
        return;
    }
    if (m_historyWriter->IsBusy()) {
        m_status->ShowText(tr("接收内容正在保存，请等它完成"), kStatusHint, kStatusDefaultTime);
        return;
    }
    const QString path = Choose(QString::fromLatin1(kRecvFileName));
    if (path.isEmpty())
        return;
    // What was received when the user chose the file; bytes arriving while
    // it is written are not part of it.
    m_historyWriter->Start(path, history.SharedPieces());
}

void CSaveFiles::OnSaveSend()
{
    CEditEx *box = m_form->sendBox;
    if (box->document()->isEmpty()) {
        m_status->ShowMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kStatusDefaultTime);
        return;
    }
    const QString path = ChooseSendFile();
    if (path.isEmpty())
        return;
    ByteString bytes;
    if (!IsConvError(box->GetData(bytes))) {
        SaveAndConfirm(path, {BytesOf(bytes)});
        return;
    }
    const auto answer =
        QMessageBox::question(m_dialogParent, QString(), LoadString(IDS_SAVE_DISPLAYED_ONLY),
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer == QMessageBox::Ok)
        SaveAndConfirm(path, {DisplayedSendText()});
}

void CSaveFiles::SaveAndConfirm(const QString &path, const std::vector<QByteArrayView> &pieces)
{
    if (!Write(path, pieces))
        return;
    qint64 size = 0;
    for (const QByteArrayView piece : pieces)
        size += piece.size();
    ConfirmSaved(path, size);
}

void CSaveFiles::ConfirmSaved(const QString &path, qint64 size)
{
    m_status->ShowText(tr("已保存到 %1（%2 字节）").arg(QDir::toNativeSeparators(path)).arg(size),
                       kStatusHint, kStatusDefaultTime);
}

// The characters of the send box as the program writes text everywhere, in
// GBK with CR LF line breaks. A character GBK cannot hold (the only input
// error of Ascii notation) would be lost there, so such a text is written
// whole as UTF-8 instead.
QByteArray CSaveFiles::DisplayedSendText() const
{
    ByteString gbk;
    const ConvResult result = m_form->sendBox->GetGbkText(gbk);
    if (!IsConvError(result))
        return BytesOf(gbk).toByteArray();
    return m_form->sendBox->Text().replace(u'\n', QStringLiteral("\r\n")).toUtf8();
}
