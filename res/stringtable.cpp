#include "stringtable.h"

#include <QCoreApplication>

#include <array>
#include <utility>

namespace {

struct StringEntry
{
    unsigned id;
    const char *text; // UTF-8
};

// Sorted by identifier. Texts with printf conversions (%d, %s, %%) are formatted
// with QString::asprintf(LoadString(id).toUtf8().constData(), ...).
constexpr std::array kStringTable{
    StringEntry{IDP_OLE_INIT_FAILED,
                QT_TRANSLATE_NOOP("StringTable", "OLE 初始化失败。请确保 OLE 库是正确的版本。")},
    StringEntry{IDR_MAINFRAME, QT_TRANSLATE_NOOP("StringTable", "Tarvik")},
    StringEntry{IDS_TOP_PANE, QT_TRANSLATE_NOOP("StringTable", "在最前")},
    StringEntry{IDS_OPEN_PORT, QT_TRANSLATE_NOOP("StringTable", "打开端口")},
    StringEntry{IDS_CLOSE_PORT, QT_TRANSLATE_NOOP("StringTable", "关闭端口")},
    StringEntry{IDS_OPEN_PORT_FAILED,
                QT_TRANSLATE_NOOP("StringTable", "打开端口失败，请检查参数是否正确！")},
    StringEntry{IDS_OPEN_PORT_OK, QT_TRANSLATE_NOOP("StringTable", "打开端口成功！")},
    StringEntry{IDS_PORT_CLOSED, QT_TRANSLATE_NOOP("StringTable", "端口已关闭")},
    StringEntry{IDS_PORT_NOT_OPEN, QT_TRANSLATE_NOOP("StringTable", "端口未打开！")},
    StringEntry{IDS_FIRST_PAGE, QT_TRANSLATE_NOOP("StringTable", "已到最前一页！")},
    StringEntry{IDS_PAGE_LABEL, QT_TRANSLATE_NOOP("StringTable", "页数: %d/%d")},
    StringEntry{IDS_PAGE_STATUS, QT_TRANSLATE_NOOP("StringTable", "当前页数：第%d页，共%d页")},
    StringEntry{
        IDS_HEX_INPUT_ERROR,
        QT_TRANSLATE_NOOP("StringTable", "您的十六进制/十进制输入有误，请检查输入框中高亮的位置")},
    StringEntry{IDS_NOTHING_TO_SAVE, QT_TRANSLATE_NOOP("StringTable", "没有数据可以保存！")},
    StringEntry{IDS_SAVE_DISPLAYED_ONLY,
                QT_TRANSLATE_NOOP("StringTable", "当前发送数据输入有错误，只保存显示的数据吗？")},
    StringEntry{IDS_INTERVAL_TOO_SHORT,
                QT_TRANSLATE_NOOP("StringTable", "间隔时间太短，请重新设置！")},
    StringEntry{
        IDS_FILE_TOO_LARGE,
        QT_TRANSLATE_NOOP("StringTable",
                          "当前打开的文件太大（大于200K），您想以发送文件的方式打开此文件吗？")},
    StringEntry{IDS_CMD_NAME_REQUIRED, QT_TRANSLATE_NOOP("StringTable", "必须输入一个命令名称！")},
    StringEntry{IDS_CMD_VALUE_REQUIRED, QT_TRANSLATE_NOOP("StringTable", "必须如入命令的内容！")},
    StringEntry{IDS_FILE_EMPTY, QT_TRANSLATE_NOOP("StringTable", "您选择的文件是空文件！")},
    StringEntry{IDS_FILE_LOCKED,
                QT_TRANSLATE_NOOP("StringTable", "无法打开文件，可能该文件被锁定！")},
    StringEntry{IDS_BAD_USER_CMD,
                QT_TRANSLATE_NOOP("StringTable",
                                  "配置文件中用户命令第%d项错误，您可以手动修改配置文件或删除此项，"
                                  "您要删除此项吗？")},
    StringEntry{IDS_BAD_CONFIG,
                QT_TRANSLATE_NOOP("StringTable", "配置文件中参数无效，将使用默认配置！")},
    StringEntry{IDS_USER_CMDS_COMMENT,
                QT_TRANSLATE_NOOP("StringTable",
                                  "# 下面是用户预设命令的配置，你可以修改这里来添加一个命令按钮")},
    StringEntry{IDS_CONFIG_COMMENT,
                QT_TRANSLATE_NOOP("StringTable", "# 下面是Tarvik的参数配置，请不要修改")},
    StringEntry{IDS_SEND, QT_TRANSLATE_NOOP("StringTable", "发送")},
    StringEntry{IDS_PAUSE, QT_TRANSLATE_NOOP("StringTable", "暂停")},
    StringEntry{IDS_FILE_SENT, QT_TRANSLATE_NOOP("StringTable", "文件发送完毕！ (%d KB/s)")},
    StringEntry{IDS_FILE_SENDING, QT_TRANSLATE_NOOP("StringTable", "文件发送中...")},
    StringEntry{IDS_FILE_COUNT_INVALID,
                QT_TRANSLATE_NOOP("StringTable", "发送文件间隔输入不正确！")},
    StringEntry{IDS_CONTINUE, QT_TRANSLATE_NOOP("StringTable", "继续")},
    StringEntry{IDS_FILE_SEND_STOPPED, QT_TRANSLATE_NOOP("StringTable", "发送文件进程被终止")},
    StringEntry{IDS_FILE_SEND_PAUSED, QT_TRANSLATE_NOOP("StringTable", "文件发送暂停")},
    StringEntry{IDS_FILE_SELECTED, QT_TRANSLATE_NOOP("StringTable", "已选择文件：%s")},
    StringEntry{IDS_FILE_SEND_ERROR, QT_TRANSLATE_NOOP("StringTable", "文件发送错误！")},
    StringEntry{IDS_TEXT_NOT_FOUND, QT_TRANSLATE_NOOP("StringTable", "未找到指定文本:\r\n %s")},
    StringEntry{IDS_FIND_WRAPPED, QT_TRANSLATE_NOOP("StringTable", "已到达文件尾")},
    StringEntry{IDS_FILE_PROGRESS,
                QT_TRANSLATE_NOOP("StringTable", "文件发送进度：%d %% ( %d KB/s)")},
    StringEntry{IDS_PAUSE_RECEIVE, QT_TRANSLATE_NOOP("StringTable", "暂停接收")},
    StringEntry{IDS_CONTINUE_RECEIVE, QT_TRANSLATE_NOOP("StringTable", "继续接收")},
    StringEntry{IDS_SELECT_PORT_FIRST,
                QT_TRANSLATE_NOOP("StringTable", "请先从列表中选择一个端口！")},
    StringEntry{IDS_PROGRESS_PANE, QT_TRANSLATE_NOOP("StringTable", " ")},
    StringEntry{AFX_IDS_IDLEMESSAGE, QT_TRANSLATE_NOOP("StringTable", "就绪")},
    StringEntry{ID_INDICATOR_NUM, QT_TRANSLATE_NOOP("StringTable", "NUM")},
};

constexpr bool IsSortedById()
{
    for (std::size_t i = 1; i < kStringTable.size(); ++i) {
        if (kStringTable[i - 1].id >= kStringTable[i].id)
            return false;
    }
    return true;
}
static_assert(IsSortedById(), "string table must be sorted by identifier, without duplicates");

constexpr const char *kFeatureText = QT_TRANSLATE_NOOP(
    "StringTable", "本程序是 Tarvik 的测试版本，用于在打印机支持的各种端口上发送和接收数据，"
                   "方便调试打印机程序。欢迎提出意见和建议。\n"
                   "==============================\n"
                   "★ 现在支持网络端口，可以通过网络更新打印机固件！★\n"
                   "==============================\n"
                   "功能：\n"
                   "1. 支持串口、并口、USB、网络和打印驱动五种端口；\n"
                   "2. 发送区和接收区都可以用十六进制或文本方式显示，随时切换；\n"
                   "3. 可以把文件装载到发送区，也可以把整个文件重复发送多次，显示进度和速度；\n"
                   "4. 可以按设定的间隔自动发送；\n"
                   "5. 接收到的数据可以计数，并保存到文件；\n"
                   "6. 可以定义预设命令按钮，单击一次就发送对应的数据；\n"
                   "7. 发送区有多页，可以在页之间切换。\n"
                   "==============================\n"
                   "提示：\n"
                   "1. 十六进制方式下也可以输入三位十进制数，例如 027 就是 1B；\n"
                   "2. 文本方式下不可显示的字节写成 <\\x1B> 的形式；\n"
                   "3. 可以把文件直接拖放到发送区；\n"
                   "4. 拖动分隔条可以调整接收区、预设命令和发送区的高度；\n"
                   "5. 勾选状态栏中的 Top，窗口将保持在最前。\n"
                   "==============================\n"
                   "由于 USB 驱动经常出现死锁，USB 端口默认不接收数据，"
                   "需要时请按“继续接收”按钮开始接收。");

constexpr std::array kFixedTexts{
    std::pair{FixedText::MenuFile, QT_TRANSLATE_NOOP("StringTable", "文件(&F)")},
    std::pair{FixedText::MenuExit, QT_TRANSLATE_NOOP("StringTable", "退出(&X)")},
    std::pair{FixedText::MenuEdit, QT_TRANSLATE_NOOP("StringTable", "编辑(&E)")},
    std::pair{FixedText::MenuUndo, QT_TRANSLATE_NOOP("StringTable", "撤消(&U)\tCtrl+Z")},
    std::pair{FixedText::MenuCut, QT_TRANSLATE_NOOP("StringTable", "剪切(&T)\tCtrl+X")},
    std::pair{FixedText::MenuCopy, QT_TRANSLATE_NOOP("StringTable", "复制(&C)\tCtrl+C")},
    std::pair{FixedText::MenuPaste, QT_TRANSLATE_NOOP("StringTable", "粘贴(&P)\tCtrl+V")},
    std::pair{FixedText::MenuSelectAll, QT_TRANSLATE_NOOP("StringTable", "全选(&A)\tCtrl+A")},
    std::pair{FixedText::MenuFind, QT_TRANSLATE_NOOP("StringTable", "查找(&F)...\tCtrl+F")},
    std::pair{FixedText::MenuOperation, QT_TRANSLATE_NOOP("StringTable", "操作(&O)")},
    std::pair{FixedText::MenuSend, QT_TRANSLATE_NOOP("StringTable", "发送(&S)\tCtrl+S")},
    std::pair{FixedText::MenuPreview, QT_TRANSLATE_NOOP("StringTable", "预览(&V)...")},
    std::pair{FixedText::MenuSettings, QT_TRANSLATE_NOOP("StringTable", "设置(&C)")},
    std::pair{FixedText::MenuPresetCommands, QT_TRANSLATE_NOOP("StringTable", "预设命令(&U)...")},
    std::pair{FixedText::MenuToolBar, QT_TRANSLATE_NOOP("StringTable", "工具栏(&T)")},
    std::pair{FixedText::MenuStatusBar, QT_TRANSLATE_NOOP("StringTable", "状态栏(&S)")},
    std::pair{FixedText::MenuHelp, QT_TRANSLATE_NOOP("StringTable", "帮助(&H)")},
    std::pair{FixedText::MenuAbout, QT_TRANSLATE_NOOP("StringTable", "关于 Tarvik(&A)...")},
    std::pair{FixedText::TopCheckBox, QT_TRANSLATE_NOOP("StringTable", "Top")},
    std::pair{
        FixedText::PaneInsertRefused,
        QT_TRANSLATE_NOOP(
            "StringTable",
            "Pane index out of range\nor pane with same ID already exists in the status bar")},
    std::pair{
        FixedText::AboutVersionLine,
        QT_TRANSLATE_NOOP("StringTable", "Tarvik V1.000 Beta4(Build %1), 端口操作类库版本: %2")},
    std::pair{FixedText::AboutFeatures, kFeatureText},
};

} // namespace

const char *SourceString(unsigned id)
{
    for (const StringEntry &entry : kStringTable) {
        if (entry.id == id)
            return entry.text;
    }
    return nullptr;
}

QString LoadString(unsigned id)
{
    const char *source = SourceString(id);
    return source ? QCoreApplication::translate(kStringTableContext, source) : QString();
}

void SetStringText(QObject *object, unsigned id)
{
    Language::SetTranslated(object, "text", kStringTableContext, SourceString(id));
}

namespace {
const char *FixedSource(FixedText which)
{
    for (const auto &[key, text] : kFixedTexts) {
        if (key == which)
            return text;
    }
    return "";
}
} // namespace

QString LoadFixedText(FixedText which)
{
    return QCoreApplication::translate(kStringTableContext, FixedSource(which));
}

void SetFixedText(QObject *object, const char *property, FixedText which)
{
    Language::SetTranslated(object, property, kStringTableContext, FixedSource(which));
}
