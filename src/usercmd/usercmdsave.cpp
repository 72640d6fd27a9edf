#include "usercmd/usercmdsave.h"

#include "config/inifile.h"
#include "convert/boxtext.h"
#include "stringtable.h"

#include <QMessageBox>

#include <string>
#include <vector>

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

// The count, then a name and a value per row. The keys are made first: a
// key/value pair only views its key.
std::vector<IniKeyValue> CommandKeys(const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> &rows,
                                     std::vector<std::string> &keys)
{
    keys = {"CmdCnt"};
    for (qsizetype i = 1; i <= rows.size(); ++i) {
        keys.push_back("CmdName" + std::to_string(i));
        keys.push_back("CmdValue" + std::to_string(i));
    }
    std::vector<IniKeyValue> values{{keys[0], std::to_string(rows.size())}};
    for (qsizetype i = 0; i < rows.size(); ++i) {
        values.push_back({keys[std::size_t(2 * i + 1)], GbkText(rows[i].strName)});
        values.push_back({keys[std::size_t(2 * i + 2)], GbkText(rows[i].strValue)});
    }
    return values;
}

void ReportFailure(QWidget *parent)
{
    QMessageBox::critical(parent, QString(), QStringLiteral("Can't Create Config Ini File!"));
}

} // namespace

// One replacement of the file: a save that fails, or a crash during it,
// leaves the file as it was, never some of the rows of each list. A file
// that exists but cannot be read still holds the other sections and is
// never replaced.
bool SaveUserCommandRows(QWidget *parent, const std::filesystem::path &ini,
                         const QList<CUserCmdCfgDlg::tagUSER_CMD_STR> &rows)
{
    std::vector<std::string> keys;
    const std::vector<IniKeyValue> values = CommandKeys(rows, keys);
    // The comment and the order only serve a reader of the file; the
    // commands load without them.
    const std::string comment = GbkText(QString::fromUtf8(SourceString(IDS_USER_CMDS_COMMENT)));
    if (!WriteIniSection(ini, kUserCmdSection, comment, values, IniMissingFile::Create)) {
        ReportFailure(parent);
        return false;
    }
    SortIniFile(ini, false);
    return true;
}
