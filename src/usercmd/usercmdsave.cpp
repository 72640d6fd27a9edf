#include "usercmd/usercmdsave.h"

#include "config/inifile.h"
#include "convert/boxtext.h"
#include "stringtable.h"

#include <QMessageBox>

#include <string>
#include <system_error>

namespace {

// GBK bytes of `text`, each character GBK cannot encode replaced by "?".
std::string GbkText(QString text)
{
    for (;;) {
        ByteString gbk;
        const ConvResult result = GbkFromBoxText(text, gbk);
        if (!IsConvError(result))
            return std::string(gbk.view());
        text[ByteOffsetToCharPos(text, ConvErrorIndex(result))] = u'?';
    }
}

bool WriteKey(const std::filesystem::path &ini, const std::string &key, const std::string &value,
              IniStatus *status = nullptr)
{
    return WriteIniValue(ini, kUserCmdSection, key, value, status);
}

// Creates the file only when it does not exist: a file that exists but
// cannot be read still holds the other sections.
bool WriteCount(const std::filesystem::path &ini, qsizetype count)
{
    const std::string text = std::to_string(count);
    IniStatus status = IniStatus::Ok;
    if (WriteKey(ini, "CmdCnt", text, &status))
        return true;
    std::error_code error;
    if (status != IniStatus::FileUnreadable ||
        std::filesystem::exists(ResolveIniPath(ini), error) || error)
        return false;
    return CreateIniFile(ini) && WriteKey(ini, "CmdCnt", text);
}

bool WriteRows(const std::filesystem::path &ini, const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> &rows)
{
    bool written = true;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        written &= WriteKey(ini, "CmdName" + number, GbkText(rows[i].strName));
        written &= WriteKey(ini, "CmdValue" + number, GbkText(rows[i].strValue));
    }
    return written;
}

void ReportFailure(QWidget *parent)
{
    QMessageBox::critical(parent, QString(), QStringLiteral("Can't Create Config Ini File!"));
}

} // namespace

bool SaveUserCommandRows(QWidget *parent, const std::filesystem::path &ini,
                         const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> &rows)
{
    if (!WriteCount(ini, rows.size())) {
        ReportFailure(parent);
        return false;
    }
    // The comment and the order only serve a reader of the file; the
    // commands load without them.
    SetIniSectionComment(ini, kUserCmdSection,
                         GbkText(QString::fromUtf8(SourceString(IDS_USER_CMDS_COMMENT))));
    const bool written = WriteRows(ini, rows);
    SortIniFile(ini, false);
    if (!written)
        ReportFailure(parent);
    return written;
}
