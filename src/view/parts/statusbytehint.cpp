#include "view/parts/statusbytehint.h"

#include <QStringList>

#include <array>

namespace {

struct ConditionCaptions
{
    const char *clear;
    const char *set;
};

// In the order of EscPos::StatusCondition.
constexpr std::array<ConditionCaptions, 14> kCaptions{{
    {QT_TRANSLATE_NOOP("CStatusByteHint", "钱箱引脚3低电平"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "钱箱引脚3高电平")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "联机"), QT_TRANSLATE_NOOP("CStatusByteHint", "脱机")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "未等待恢复联机"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "等待恢复联机")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "走纸键未按下"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "走纸键按下")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "上盖关闭"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "上盖打开")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "未按键走纸"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "正在按键走纸")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "未因缺纸停止"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "因缺纸停止打印")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "无错误"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "发生错误")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "无机械错误"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "机械错误")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "无切刀错误"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "切刀错误")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "无不可恢复错误"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "不可恢复错误")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "无可自动恢复错误"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "可自动恢复错误")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "纸量充足"),
     QT_TRANSLATE_NOOP("CStatusByteHint", "纸将尽")},
    {QT_TRANSLATE_NOOP("CStatusByteHint", "有纸"), QT_TRANSLATE_NOOP("CStatusByteHint", "缺纸")},
}};

} // namespace

void CStatusByteHint::NoteSent(const uint8_t *bytes, uint32_t count)
{
    m_tracker.NoteSent({bytes, count});
}

QString CStatusByteHint::NoteReceived(const uint8_t *bytes, uint32_t count)
{
    const std::vector<EscPos::StatusReply> replies = m_tracker.NoteReceived({bytes, count});
    if (replies.empty())
        return {};
    return Caption(replies.back().request, replies.back().reply);
}

QString CStatusByteHint::ConditionCaption(EscPos::StatusCondition condition, bool set)
{
    const ConditionCaptions &captions = kCaptions[static_cast<std::size_t>(condition)];
    return tr(set ? captions.set : captions.clear);
}

QString CStatusByteHint::Caption(EscPos::StatusRequest request, uint8_t reply)
{
    QStringList names;
    for (const EscPos::StatusBit &bit : EscPos::DecodeStatus(request, reply))
        names << ConditionCaption(bit.condition, bit.set);
    return tr("状态 %1 = %2：%3")
        .arg(QString::fromLatin1(EscPos::RequestName(request)))
        .arg(QString::number(reply, 16).toUpper().rightJustified(2, u'0'))
        .arg(names.join(tr("，")));
}
