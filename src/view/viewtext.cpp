#include "viewtext.h"

#include <QHash>

// Stand-in until the program's string table is linked in.
QString LoadString(unsigned id)
{
    static const QHash<unsigned, QString> texts = {
        {IDS_OPEN_PORT, QStringLiteral("打开端口")},
        {IDS_CLOSE_PORT, QStringLiteral("关闭端口")},
        {IDS_OPEN_PORT_FAILED, QStringLiteral("打开端口失败，请检查参数是否正确！")},
        {IDS_OPEN_PORT_OK, QStringLiteral("打开端口成功！")},
        {IDS_PORT_CLOSED, QStringLiteral("端口已关闭")},
        {IDS_PAGE_LABEL, QStringLiteral("页数: %d/%d")},
        {IDS_SEND, QStringLiteral("发送")},
        {IDS_TEXT_NOT_FOUND, QStringLiteral("未找到指定文本:\r\n %s")},
        {IDS_FIND_WRAPPED, QStringLiteral("已到达文件尾")},
        {IDS_PAUSE_RECEIVE, QStringLiteral("暂停接收")},
        {IDS_CONTINUE_RECEIVE, QStringLiteral("继续接收")},
        {IDS_SELECT_PORT_FIRST, QStringLiteral("请先从列表中选择一个端口！")},
    };
    return texts.value(id);
}

QString FormatString(unsigned id, int first, int second)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), first, second);
}
