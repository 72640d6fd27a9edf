// The view's wiring of saving (savefiles.h): the receive history (button
// 1010) and the send box (button 1015). A failed save leaves the view as it
// was.
#include "stringtable.h"
#include "view/recvview.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {
const char *const kRecvFileName = "recved.dat";

QByteArrayView BytesOf(const ByteString &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())};
}
} // namespace

void CTarvikView::SetSaveFileChooser(FileChooser chooser)
{
    m_saveFiles.SetChooser(std::move(chooser));
}

void CTarvikView::ConnectSaveControls()
{
    m_saveFiles.Attach(this);
    connect(&m_historyWriter, &CHistoryWriter::Progress, this, [this](int percent) {
        ShowStatusText(tr("正在保存接收内容：%1%").arg(percent), kStatusHint, kStatusUntilReplaced);
    });
    connect(&m_historyWriter, &CHistoryWriter::Finished, this,
            [this](const QString &path, const QString &error) {
                if (!error.isEmpty()) {
                    ShowStatusText(QString(), kStatusHint, kStatusUntilReplaced);
                    return m_saveFiles.ReportFailure(path, error);
                }
                ConfirmSaved(path, QFileInfo(path).size());
            });
    connect(m_form.saveRecv, &QPushButton::clicked, this, &CTarvikView::OnSaveRecv);
    connect(m_form.saveSend, &QPushButton::clicked, this, &CTarvikView::OnSaveSend);
}

QString CTarvikView::ChooseSaveFile(const QString &suggestedName)
{
    return m_saveFiles.Choose(suggestedName);
}

void CTarvikView::OnSaveRecv()
{
    const CRecvHistory &history = m_form.recvBox->History();
    if (history.Size() == 0) {
        ShowStatusMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kStatusDefaultTime);
        return;
    }
    if (m_historyWriter.IsBusy()) {
        ShowStatusText(tr("接收内容正在保存，请等它完成"), kStatusHint, kStatusDefaultTime);
        return;
    }
    const QString path = ChooseSaveFile(QString::fromLatin1(kRecvFileName));
    if (path.isEmpty())
        return;
    // What was received when the user chose the file; bytes arriving while
    // it is written are not part of it.
    m_historyWriter.Start(path, history.SharedPieces());
}

void CTarvikView::OnSaveSend()
{
    CEditEx *box = m_form.sendBox;
    if (box->document()->isEmpty()) {
        ShowStatusMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kStatusDefaultTime);
        return;
    }
    const QString path = m_saveFiles.ChooseSendFile();
    if (path.isEmpty())
        return;
    ByteString bytes;
    if (!IsConvError(box->GetData(bytes))) {
        SaveAndConfirm(path, {BytesOf(bytes)});
        return;
    }
    const auto answer =
        QMessageBox::question(this, QString(), LoadString(IDS_SAVE_DISPLAYED_ONLY),
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer == QMessageBox::Ok)
        SaveAndConfirm(path, {DisplayedSendText()});
}

// A save the user cannot see happen is confirmed with the file and its size.
void CTarvikView::SaveAndConfirm(const QString &path, const std::vector<QByteArrayView> &pieces)
{
    if (!m_saveFiles.Write(path, pieces))
        return;
    qint64 size = 0;
    for (const QByteArrayView piece : pieces)
        size += piece.size();
    ConfirmSaved(path, size);
}

void CTarvikView::ConfirmSaved(const QString &path, qint64 size)
{
    ShowStatusText(tr("已保存到 %1（%2 字节）").arg(QDir::toNativeSeparators(path)).arg(size),
                   kStatusHint, kStatusDefaultTime);
}

// The characters of the send box as the program writes text everywhere, in
// GBK with CR LF line breaks. A character GBK cannot hold (the only input
// error of Ascii notation) would be lost there, so such a text is written
// whole as UTF-8 instead.
QByteArray CTarvikView::DisplayedSendText() const
{
    ByteString gbk;
    const ConvResult result = m_form.sendBox->GetGbkText(gbk);
    if (!IsConvError(result))
        return BytesOf(gbk).toByteArray();
    return m_form.sendBox->Text().replace(u'\n', QStringLiteral("\r\n")).toUtf8();
}
