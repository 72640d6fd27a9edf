// Saving: the receive history (button 1010) and the send box (button 1015)
// to files the user chooses.
//
// Files are written through QSaveFile: the bytes go to a temporary file that
// replaces the chosen one only when everything was written, so a failed save
// leaves neither a truncated file nor a changed view, only a message.
#include "convert/editex.h"
#include "stringtable.h"
#include "view/recvview.h"
#include "view/tarvikview.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSaveFile>

namespace {
constexpr int kDefaultDuration = 0;
const char *const kRecvFileName = "recved.dat";
const char *const kSendFileName = "senddata%1.dat";
const char *const kWriteFailed = QT_TRANSLATE_NOOP("CTarvikView", "无法保存文件 %1：\n%2");

QByteArrayView BytesOf(const ByteString &bytes)
{
    return {reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())};
}
} // namespace

void CTarvikView::SetSaveFileChooser(FileChooser chooser)
{
    m_saveFileChooser = std::move(chooser);
}

void CTarvikView::ConnectSaveControls()
{
    connect(m_form.saveRecv, &QPushButton::clicked, this, &CTarvikView::OnSaveRecv);
    connect(m_form.saveSend, &QPushButton::clicked, this, &CTarvikView::OnSaveSend);
}

QString CTarvikView::ChooseSaveFile(const QString &suggestedName)
{
    if (m_saveFileChooser)
        return m_saveFileChooser(suggestedName);
    // "*.*" would hide every file without a dot in its name here.
    return QFileDialog::getSaveFileName(this, QString(), suggestedName,
                                        QStringLiteral("All files (*)"));
}

void CTarvikView::OnSaveRecv()
{
    const CRecvHistory &history = m_form.recvBox->History();
    if (history.Size() == 0) {
        ShowStatusMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kDefaultDuration);
        return;
    }
    const QString path = ChooseSaveFile(QString::fromLatin1(kRecvFileName));
    if (path.isEmpty())
        return;
    std::vector<QByteArrayView> pieces;
    for (const std::span<const uint8_t> piece : history.Pieces())
        pieces.emplace_back(reinterpret_cast<const char *>(piece.data()), qsizetype(piece.size()));
    WriteSavedFile(path, pieces);
}

// The number in the suggested name advances once the user has confirmed a
// name, whether or not the file can then be written.
void CTarvikView::OnSaveSend()
{
    CEditEx *box = m_form.sendBox;
    if (box->document()->isEmpty()) {
        ShowStatusMessage(kStatusHint, IDS_NOTHING_TO_SAVE, kDefaultDuration);
        return;
    }
    const QString path = ChooseSaveFile(QString::fromLatin1(kSendFileName).arg(m_nSavedSendNumber));
    if (path.isEmpty())
        return;
    ++m_nSavedSendNumber;
    ByteString bytes;
    if (!IsConvError(box->GetData(bytes))) {
        WriteSavedFile(path, {BytesOf(bytes)});
        return;
    }
    const auto answer =
        QMessageBox::question(this, QString(), LoadString(IDS_SAVE_DISPLAYED_ONLY),
                              QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    if (answer == QMessageBox::Ok)
        WriteSavedFile(path, {DisplayedSendText()});
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
    return m_form.sendBox->toPlainText().replace(u'\n', QStringLiteral("\r\n")).toUtf8();
}

void CTarvikView::WriteSavedFile(const QString &path, const std::vector<QByteArrayView> &pieces)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    for (const QByteArrayView piece : pieces)
        written = written && file.write(piece.data(), piece.size()) == piece.size();
    if (written && file.commit())
        return;
    QMessageBox::warning(this, QString(), tr(kWriteFailed).arg(path, file.errorString()));
}
