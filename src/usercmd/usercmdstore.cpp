#include "usercmdstore.h"

#include "boxtext.h"
#include "inifile.h"
#include "stringtable.h"
#include "usercmdvalue.h"

#include <QMessageBox>

#include <string>

namespace {
std::string EntryKey(const char *prefix, int number)
{
    return prefix + std::to_string(number);
}

// The bytes of a value text; empty for an input error or a text of separators.
QByteArray ValueBytes(const std::string &text)
{
    ByteString bytes;
    const ConvResult count = UserCmdBytesFromValue(text, bytes);
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
            records.append({BoxTextFromGbk(name), std::move(bytes)});
        else if (prompts.askDeleteBadEntry(i))
            DeleteEntry(iniFile, i);
    }
}
