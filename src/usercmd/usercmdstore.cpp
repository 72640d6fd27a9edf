#include "usercmdstore.h"

#include "convert.h"
#include "inifile.h"
#include "stringtable.h"

#include <QMessageBox>
#include <QStringDecoder>

#include <string>

namespace {
std::string EntryKey(const char *prefix, int number)
{
    return prefix + std::to_string(number);
}

// Captions are GBK in the file; a byte GBK cannot decode becomes U+FFFD
// rather than dropping the entry.
QString CaptionFromGbk(const std::string &gbk)
{
    QStringDecoder decoder("GBK");
    if (!decoder.isValid())
        return QString::fromLocal8Bit(gbk.data(), qsizetype(gbk.size()));
    return decoder.decode(QByteArrayView(gbk.data(), qsizetype(gbk.size())));
}

// The bytes of a value text; empty for an input error or a text of separators.
QByteArray ValueBytes(const std::string &text)
{
    ByteString bytes;
    const ConvResult count = HexToBytes(text, bytes);
    if (count <= 0)
        return {};
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(count));
}

void DeleteEntry(const std::filesystem::path &iniFile, int number)
{
    DeleteIniKey(iniFile, kUserCmdSection, EntryKey("CmdName", number));
    DeleteIniKey(iniFile, kUserCmdSection, EntryKey("CmdValue", number));
}
} // namespace

UserCmdPrompts UserCmdPrompts::MessageBoxes(QWidget *parent)
{
    UserCmdPrompts prompts;
    prompts.tooManyCommands = [parent] {
        QMessageBox::warning(parent, QString(), QStringLiteral("Too Many User Commands!"));
    };
    prompts.askDeleteBadEntry = [parent](int number) {
        const QString text =
            QString::asprintf(LoadString(IDS_BAD_USER_CMD).toUtf8().constData(), number);
        QMessageBox box(QMessageBox::Question, QString(), text, QMessageBox::Yes | QMessageBox::No,
                        parent);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes;
    };
    return prompts;
}

void LoadUserCommandRecords(const std::filesystem::path &iniFile,
                            QList<CUserCommandView::tagUSER_CMD_DATA> &records,
                            const UserCmdPrompts &prompts)
{
    const int count = LeadingDecimalValue(ReadIniValue(iniFile, kUserCmdSection, "CmdCnt"));
    if (count > kMaxUserCommands) {
        prompts.tooManyCommands();
        return;
    }
    for (int i = 1; i <= count; ++i) {
        const std::string name = ReadIniValue(iniFile, kUserCmdSection, EntryKey("CmdName", i));
        if (name.empty())
            continue;
        const std::string value = ReadIniValue(iniFile, kUserCmdSection, EntryKey("CmdValue", i));
        if (value.empty())
            continue;
        QByteArray bytes = ValueBytes(value);
        if (!bytes.isEmpty())
            records.append({CaptionFromGbk(name), std::move(bytes)});
        else if (prompts.askDeleteBadEntry(i))
            DeleteEntry(iniFile, i);
    }
}
