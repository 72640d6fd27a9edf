#include "usercmd/usercmdstore.h"

#include "convert/boxtext.h"
#include "stringtable.h"
#include "usercmd/usercmdentries.h"

#include <QMessageBox>

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
    std::vector<UserCmdEntry> entries;
    if (ReadUserCmdEntries(iniFile, entries) == UserCmdReadStatus::TooMany) {
        prompts.tooManyCommands();
        return;
    }
    for (const UserCmdEntry &entry : entries) {
        const QByteArray bytes(reinterpret_cast<const char *>(entry.bytes.data()),
                               qsizetype(entry.bytes.size()));
        if (!bytes.isEmpty())
            records.append({BoxTextFromGbk(entry.name), bytes});
        else if (prompts.askDeleteBadEntry(entry.number))
            DeleteUserCmdEntry(iniFile, entry.number);
    }
}
