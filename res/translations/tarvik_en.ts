<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CAboutDlg</name>
    <message>
        <source>关于 Port Tarvik</source>
        <translation>About Port Tarvik</translation>
    </message>
    <message>
        <source>问题和建议请发邮件至：</source>
        <translation>Questions and suggestions:</translation>
    </message>
    <message>
        <source>在启动时显示</source>
        <translation>Show at start-up</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CCaptureLog</name>
    <message>
        <source>端口关闭时还有 %1 字节没有发送完，未记录</source>
        <translation>The port closed with %1 bytes not yet sent; they were not logged</translation>
    </message>
    <message>
        <source>发送失败的 %1 字节未记录</source>
        <translation>%1 bytes that failed to send were not logged</translation>
    </message>
    <message>
        <source>文件已被删除或移走</source>
        <translation>the file was deleted or moved</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>另一个程序正在记录到这个文件</source>
        <translation>another program is logging to this file</translation>
    </message>
</context>
<context>
    <name>CControlLinesBox</name>
    <message>
        <source>有效</source>
        <translation>On</translation>
    </message>
    <message>
        <source>无效</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>未知：此端口没有调制解调器状态</source>
        <translation>Unknown: this port has no modem status</translation>
    </message>
    <message>
        <source>上一个中断还没有结束</source>
        <translation>the previous break has not ended yet</translation>
    </message>
</context>
<context>
    <name>CEthPortCfgDlg</name>
    <message>
        <source>端口号无效：请输入 1 到 65535 之间的整数。</source>
        <translation>Invalid port number: enter an integer from 1 to 65535.</translation>
    </message>
</context>
<context>
    <name>CFindTextDlg</name>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>查找内容：</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>查找下一个</source>
        <translation>Find next</translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>CPreviewPart</name>
    <message>
        <source>发送区数据格式错误</source>
        <translation>The send box holds a format error</translation>
    </message>
    <message numerus="yes">
        <source>发送区：%n 字节（未发送）</source>
        <translation>
            <numerusform>Send box: %n byte (not sent)</numerusform>
            <numerusform>Send box: %n bytes (not sent)</numerusform>
        </translation>
    </message>
    <message>
        <source>发送区为空，也没有选择文件</source>
        <translation>The send box is empty and no file is chosen</translation>
    </message>
    <message>
        <source>文件 %1：%2 字节（未发送）</source>
        <translation>File %1: %2 bytes (not sent)</translation>
    </message>
    <message>
        <source>，只显示开头部分</source>
        <translation>, only its beginning is shown</translation>
    </message>
    <message>
        <source>无法在发送区中选中：发送区已改变或不是它的字节</source>
        <translation>Cannot select in the send box: it has changed or these are not its bytes</translation>
    </message>
</context>
<context>
    <name>CPreviewRoll</name>
    <message>
        <source>第 %1 张小票</source>
        <translation>Receipt %1</translation>
    </message>
    <message>
        <source>预览跟不上，跳过 %1 字节</source>
        <translation>preview behind, %1 bytes skipped</translation>
    </message>
    <message>
        <source>未知命令</source>
        <translation>unknown command</translation>
    </message>
    <message>
        <source>参数错误</source>
        <translation>bad parameter</translation>
    </message>
    <message>
        <source>NV 图像不在本机</source>
        <translation>NV image not held</translation>
    </message>
    <message>
        <source>数据不完整</source>
        <translation>data cut short</translation>
    </message>
    <message>
        <source>超出上限，其余未打印</source>
        <translation>beyond the cap, the rest not printed</translation>
    </message>
    <message>
        <source>钱箱脉冲</source>
        <translation>cash drawer pulse</translation>
    </message>
    <message>
        <source>偏移</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>字节</source>
        <translation>Bytes</translation>
    </message>
    <message>
        <source>原因</source>
        <translation>Reason</translation>
    </message>
    <message numerus="yes">
        <source>%n 张小票</source>
        <translation>
            <numerusform>%n receipt</numerusform>
            <numerusform>%n receipts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>（较早的 %n 张已不保留）</source>
        <translation>
            <numerusform> (%n earlier receipt no longer kept)</numerusform>
            <numerusform> (%n earlier receipts no longer kept)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>（另有 %n 条未列出）</source>
        <translation>
            <numerusform> (%n more entry not listed)</numerusform>
            <numerusform> (%n more entries not listed)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CPreviewWindow</name>
    <message>
        <source>小票预览</source>
        <translation>Receipt preview</translation>
    </message>
    <message>
        <source>已发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>发送区</source>
        <translation>Send box</translation>
    </message>
    <message>
        <source>纸宽</source>
        <translation>Paper</translation>
    </message>
    <message>
        <source>缩放</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>预览发送区</source>
        <translation>Preview send box</translation>
    </message>
    <message>
        <source>不发送，只显示发送区（发送区为空时为所选文件）打印出来的样子</source>
        <translation>Shows how the send box (or, when it is empty, the chosen file) would print, without sending</translation>
    </message>
    <message>
        <source>保存为PNG</source>
        <translation>Save as PNG</translation>
    </message>
    <message>
        <source>复制图像</source>
        <translation>Copy image</translation>
    </message>
    <message>
        <source>没有可保存的小票</source>
        <translation>No receipt to save</translation>
    </message>
    <message>
        <source>PNG 图像 (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>已保存 %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>无法保存 %1</source>
        <translation>Cannot save %1</translation>
    </message>
    <message>
        <source>没有可复制的小票</source>
        <translation>No receipt to copy</translation>
    </message>
    <message>
        <source>图像已复制</source>
        <translation>Image copied</translation>
    </message>
</context>
<context>
    <name>CRecvView</name>
    <message>
        <source>复制(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>全选(&amp;A)</source>
        <translation>Select &amp;all</translation>
    </message>
    <message>
        <source>所选内容有 %1 MB，复制到剪贴板要花较长时间和较多内存。仍要复制吗？</source>
        <translation>The selection holds %1 MB; copying it to the clipboard takes a while and much memory. Copy it anyway?</translation>
    </message>
    <message>
        <source>已丢弃较早的 %1 MB</source>
        <translation>%1 MB of older data dropped</translation>
    </message>
    <message>
        <source>保留最近 N MB…</source>
        <translation>Keep the last N MB…</translation>
    </message>
    <message>
        <source>保留最近 N MB</source>
        <translation>Keep the last N MB</translation>
    </message>
    <message>
        <source>只保留最近收到的 N MB（0：全部保留）：</source>
        <translation>Keep only the last N MB received (0: keep everything):</translation>
    </message>
</context>
<context>
    <name>CStatusByteHint</name>
    <message>
        <source>钱箱引脚3低电平</source>
        <translation>Drawer pin 3 low</translation>
    </message>
    <message>
        <source>钱箱引脚3高电平</source>
        <translation>Drawer pin 3 high</translation>
    </message>
    <message>
        <source>联机</source>
        <translation>Online</translation>
    </message>
    <message>
        <source>脱机</source>
        <translation>Offline</translation>
    </message>
    <message>
        <source>未等待恢复联机</source>
        <translation>Not waiting to go online</translation>
    </message>
    <message>
        <source>等待恢复联机</source>
        <translation>Waiting to go online</translation>
    </message>
    <message>
        <source>走纸键未按下</source>
        <translation>Feed button up</translation>
    </message>
    <message>
        <source>走纸键按下</source>
        <translation>Feed button down</translation>
    </message>
    <message>
        <source>上盖关闭</source>
        <translation>Cover closed</translation>
    </message>
    <message>
        <source>上盖打开</source>
        <translation>Cover open</translation>
    </message>
    <message>
        <source>未按键走纸</source>
        <translation>No button feed</translation>
    </message>
    <message>
        <source>正在按键走纸</source>
        <translation>Feeding by button</translation>
    </message>
    <message>
        <source>未因缺纸停止</source>
        <translation>Not stopped by paper end</translation>
    </message>
    <message>
        <source>因缺纸停止打印</source>
        <translation>Stopped: out of paper</translation>
    </message>
    <message>
        <source>无错误</source>
        <translation>No error</translation>
    </message>
    <message>
        <source>发生错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>无机械错误</source>
        <translation>No mechanical error</translation>
    </message>
    <message>
        <source>机械错误</source>
        <translation>Mechanical error</translation>
    </message>
    <message>
        <source>无切刀错误</source>
        <translation>No cutter error</translation>
    </message>
    <message>
        <source>切刀错误</source>
        <translation>Cutter error</translation>
    </message>
    <message>
        <source>无不可恢复错误</source>
        <translation>No unrecoverable error</translation>
    </message>
    <message>
        <source>不可恢复错误</source>
        <translation>Unrecoverable error</translation>
    </message>
    <message>
        <source>无可自动恢复错误</source>
        <translation>No auto-recoverable error</translation>
    </message>
    <message>
        <source>可自动恢复错误</source>
        <translation>Auto-recoverable error</translation>
    </message>
    <message>
        <source>纸量充足</source>
        <translation>Paper OK</translation>
    </message>
    <message>
        <source>纸将尽</source>
        <translation>Paper near end</translation>
    </message>
    <message>
        <source>有纸</source>
        <translation>Paper present</translation>
    </message>
    <message>
        <source>缺纸</source>
        <translation>Out of paper</translation>
    </message>
    <message>
        <source>状态 %1 = %2：%3</source>
        <translation>Status %1 = %2: %3</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>CTarvikView</name>
    <message>
        <source>权限不足：%1</source>
        <translation>Permission denied: %1</translation>
    </message>
    <message>
        <source>权限不足：%1 属于 %2 组</source>
        <translation>Permission denied: %1 belongs to group %2</translation>
    </message>
    <message>
        <source>端口正被其他程序占用：%1</source>
        <translation>Port in use by another program: %1</translation>
    </message>
    <message>
        <source>打印服务 CUPS 没有响应</source>
        <translation>CUPS is not responding</translation>
    </message>
    <message>
        <source>打印队列不存在</source>
        <translation>No such print queue</translation>
    </message>
    <message>
        <source>打印队列已停止</source>
        <translation>Print queue stopped</translation>
    </message>
    <message>
        <source>打印队列不接受任务</source>
        <translation>Print queue rejects jobs</translation>
    </message>
    <message>
        <source>打印任务被中止</source>
        <translation>Print job aborted</translation>
    </message>
    <message>
        <source>打印任务被取消</source>
        <translation>Print job canceled</translation>
    </message>
    <message>
        <source>打印服务 CUPS 拒绝了任务</source>
        <translation>CUPS refused the job</translation>
    </message>
    <message>
        <source>配置文件：%1</source>
        <translation>Configuration file: %1</translation>
    </message>
    <message>
        <source>发送错误!</source>
        <translation>Send error!</translation>
    </message>
    <message>
        <source>无法保存文件 %1：
%2</source>
        <translation>Cannot save %1:
%2</translation>
    </message>
    <message>
        <source>数据发送失败！</source>
        <translation>Send failed! </translation>
    </message>
    <message>
        <source>：</source>
        <translation>: </translation>
    </message>
    <message>
        <source>打开端口后开始记录到 %1</source>
        <translation>Logging to %1 starts when the port is open</translation>
    </message>
    <message>
        <source>记录到文件失败，已停止记录：%1</source>
        <translation>Logging to file failed and has stopped: %1</translation>
    </message>
    <message>
        <source>正在自动重连（第 %1 次）…</source>
        <translation>Reconnecting (attempt %1)…</translation>
    </message>
    <message>
        <source>文件发送已中断，不会续传。</source>
        <translation>The file transfer was interrupted and will not resume. </translation>
    </message>
    <message>
        <source>停止重连</source>
        <translation>Stop reconnecting</translation>
    </message>
    <message>
        <source>自动重连成功（第 %1 次尝试）</source>
        <translation>Reconnected (attempt %1)</translation>
    </message>
    <message>
        <source>。中断的文件发送没有继续，请重新发送。</source>
        <translation>. The interrupted file transfer did not resume; send it again.</translation>
    </message>
    <message>
        <source>已停止自动重连</source>
        <translation>Stopped reconnecting</translation>
    </message>
    <message>
        <source>正在查找：%1%</source>
        <translation>Searching: %1%</translation>
    </message>
    <message>
        <source>接收历史无法写入缓存文件夹 %1（%2），此后只在内存中保留最近收到的 %3 MB</source>
        <translation>The receive history cannot be written to the cache folder %1 (%2); from now on only the last %3 MB received are kept, in memory</translation>
    </message>
    <message>
        <source>正在保存接收内容：%1%</source>
        <translation>Saving the received data: %1%</translation>
    </message>
    <message>
        <source>接收内容正在保存，请等它完成</source>
        <translation>The received data is still being saved; please wait until it is done</translation>
    </message>
    <message>
        <source>接收区的数据太大（大于200K），您仍要把它全部复制到发送区吗？</source>
        <translation>The received data is too large (over 200K). Copy all of it to the send box anyway?</translation>
    </message>
    <message>
        <source>未填写计算机名或 IP 地址</source>
        <translation>No computer name or IP address given</translation>
    </message>
    <message>
        <source>未填写端口号</source>
        <translation>No port number given</translation>
    </message>
    <message>
        <source>连接被拒绝：%1 端口 %2</source>
        <translation>Connection refused: %1 port %2</translation>
    </message>
    <message>
        <source>找不到主机：%1</source>
        <translation>Host not found: %1</translation>
    </message>
    <message>
        <source>连接超时：%1</source>
        <translation>Connection timed out: %1</translation>
    </message>
    <message>
        <source>主机不可达：%1</source>
        <translation>Host unreachable: %1</translation>
    </message>
    <message>
        <source>未找到 USB 打印机，请连接打印机后再打开端口</source>
        <translation>No USB printer found; connect the printer, then open the port</translation>
    </message>
    <message>
        <source>未找到打印机</source>
        <translation>No printer found</translation>
    </message>
    <message>
        <source>文件不存在，可能已被移动或删除</source>
        <translation>the file does not exist; it may have been moved or deleted</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>it is a folder</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>没有读取权限</source>
        <translation>no permission to read it</translation>
    </message>
    <message>
        <source>无法读取</source>
        <translation>it cannot be read</translation>
    </message>
    <message>
        <source>无法打开文件“%1”：%2</source>
        <translation>Cannot open the file &quot;%1&quot;: %2</translation>
    </message>
    <message>
        <source>发送次数输入不正确！</source>
        <translation>The number of sends is not valid!</translation>
    </message>
    <message>
        <source>开始记录到 %1</source>
        <translation>Logging to %1</translation>
    </message>
    <message>
        <source>已保存到 %1（%2 字节）</source>
        <translation>Saved to %1 (%2 bytes)</translation>
    </message>
    <message>
        <source>发送中断失败：%1</source>
        <translation>Sending the break failed: %1</translation>
    </message>
    <message>
        <source>（连接已 %1 次刚打开就断开）</source>
        <translation> (the connection dropped right after opening %1 times)</translation>
    </message>
    <message>
        <source>连接刚打开就断开（已 %1 次），继续自动重连…</source>
        <translation>The connection dropped right after opening (%1 times); still reconnecting…</translation>
    </message>
    <message>
        <source>文件发送完成</source>
        <translation>File sending finished</translation>
    </message>
    <message>
        <source>%1 遍</source>
        <translation>%1 passes</translation>
    </message>
    <message>
        <source>反复发送，直到停止</source>
        <translation>repeated until stopped</translation>
    </message>
    <message>
        <source>开始发送文件 %1（%2）</source>
        <translation>File sending started: %1 (%2)</translation>
    </message>
</context>
<context>
    <name>CUserCmdCfgDlg</name>
    <message>
        <source>配置用户命令</source>
        <translation>Preset Commands</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>命令名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>命令内容</source>
        <translation>Content</translation>
    </message>
    <message>
        <source>添加(&amp;A)...</source>
        <translation>&amp;Add...</translation>
    </message>
    <message>
        <source>添加命令...</source>
        <translation>Add command...</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
</context>
<context>
    <name>CUserCmdEditDlg</name>
    <message>
        <source>详细内容</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>命令名称：</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>命令内容：</source>
        <translation>Content:</translation>
    </message>
</context>
<context>
    <name>Caption</name>
    <message>
        <source>网络接口参数</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>计算机名或IP地址</source>
        <translation>Host or IP address</translation>
    </message>
    <message>
        <source>端口号</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Protocol</translation>
    </message>
    <message>
        <source>并口参数</source>
        <translation>Parallel port</translation>
    </message>
    <message>
        <source>并口暂无配置参数</source>
        <translation>No settings</translation>
    </message>
    <message>
        <source>点击选择打印驱动</source>
        <translation>Choose a printer</translation>
    </message>
    <message>
        <source>串口参数</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>握手方式</source>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>点击选择USB接口</source>
        <translation>Choose a USB port</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>串行接口</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>并行接口</source>
        <translation>Parallel</translation>
    </message>
    <message>
        <source>USB接口</source>
        <translation>USB</translation>
    </message>
    <message>
        <source>网络接口</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>驱动接口</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>发送文件</source>
        <translation>Send file</translation>
    </message>
    <message>
        <source>选择文件</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>发送次数:</source>
        <translation>Repeat:</translation>
    </message>
    <message>
        <source>发送间隔:</source>
        <translation>Interval:</translation>
    </message>
    <message>
        <source>发送计数:</source>
        <translation>Sent:</translation>
    </message>
    <message>
        <source>接收区</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>预设命令</source>
        <translation>Preset commands</translation>
    </message>
    <message>
        <source>发送区</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>接收计数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>发送计数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>自动发送：间隔</source>
        <translation>Auto-send every</translation>
    </message>
    <message>
        <source>保存内容</source>
        <translation>Save...</translation>
    </message>
    <message>
        <source>复制到发送</source>
        <translation>To send box</translation>
    </message>
    <message>
        <source>清空接收</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>上一页(&amp;B)</source>
        <translation>&amp;Back</translation>
    </message>
    <message>
        <source>下一页(&amp;N)</source>
        <translation>&amp;Next</translation>
    </message>
    <message>
        <source>装载文件</source>
        <translation>Load file...</translation>
    </message>
    <message>
        <source>清空发送</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>发送(&amp;S)</source>
        <translation>&amp;Send</translation>
    </message>
    <message>
        <source>未完成！！</source>
        <translation>Not available yet.</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>Break</translation>
    </message>
    <message>
        <source>发送中断：使线路保持中断状态 250 毫秒</source>
        <translation>Send a break: hold the line in the break state for 250 ms</translation>
    </message>
    <message>
        <source>记录到文件</source>
        <translation>Log to file</translation>
    </message>
    <message>
        <source>原始字节；十六进制行；带时间戳和方向（&lt; 收，&gt; 发）的文本行</source>
        <translation>Raw bytes; hex lines; text lines with a timestamp and direction (&lt; received, &gt; sent)</translation>
    </message>
    <message>
        <source>含发送</source>
        <translation>Include sent</translation>
    </message>
    <message>
        <source>同时记录发送的数据</source>
        <translation>Also log the bytes sent</translation>
    </message>
    <message>
        <source>原始</source>
        <translation>Raw</translation>
    </message>
    <message>
        <source>十六进制</source>
        <translation>Hex</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>自动重连</source>
        <translation>Auto reconnect</translation>
    </message>
    <message>
        <source>端口丢失后每秒尝试重新打开同一端口</source>
        <translation>After the port is lost, try to open the same port again every second</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>文本编码</source>
        <translation>Text encoding</translation>
    </message>
    <message>
        <source>未找到打印机</source>
        <translation>No printer found</translation>
    </message>
    <message>
        <source>未找到 USB 打印机</source>
        <translation>No USB printer found</translation>
    </message>
</context>
<context>
    <name>StringTable</name>
    <message>
        <source>OLE 初始化失败。请确保 OLE 库是正确的版本。</source>
        <translation>Could not start the object services. Make sure the OLE libraries are the right version.</translation>
    </message>
    <message>
        <source>Tarvik</source>
        <translation>Tarvik</translation>
    </message>
    <message>
        <source>在最前</source>
        <translation>On top</translation>
    </message>
    <message>
        <source>打开端口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>关闭端口</source>
        <translation>Close port</translation>
    </message>
    <message>
        <source>打开端口失败，请检查参数是否正确！</source>
        <translation>Could not open the port. Check its settings!</translation>
    </message>
    <message>
        <source>打开端口成功！</source>
        <translation>Port opened.</translation>
    </message>
    <message>
        <source>端口已关闭</source>
        <translation>Port closed</translation>
    </message>
    <message>
        <source>端口未打开！</source>
        <translation>The port is not open!</translation>
    </message>
    <message>
        <source>已到最前一页！</source>
        <translation>This is the first page!</translation>
    </message>
    <message>
        <source>页数: %d/%d</source>
        <translation>Page %d/%d</translation>
    </message>
    <message>
        <source>当前页数：第%d页，共%d页</source>
        <translation>Page %d of %d</translation>
    </message>
    <message>
        <source>您的十六进制/十进制输入有误，请检查输入框中高亮的位置</source>
        <translation>Invalid hex/decimal input: see the highlighted place in the box</translation>
    </message>
    <message>
        <source>没有数据可以保存！</source>
        <translation>Nothing to save!</translation>
    </message>
    <message>
        <source>当前发送数据输入有错误，只保存显示的数据吗？</source>
        <translation>The send box has input errors. Save only the text shown?</translation>
    </message>
    <message>
        <source>间隔时间太短，请重新设置！</source>
        <translation>The interval is too short. Please set it again!</translation>
    </message>
    <message>
        <source>当前打开的文件太大（大于200K），您想以发送文件的方式打开此文件吗？</source>
        <translation>The file is too large (over 200K). Open it for file sending instead?</translation>
    </message>
    <message>
        <source>必须输入一个命令名称！</source>
        <translation>Enter a name for the command!</translation>
    </message>
    <message>
        <source>必须如入命令的内容！</source>
        <translation>Enter the content of the command!</translation>
    </message>
    <message>
        <source>您选择的文件是空文件！</source>
        <translation>The file you chose is empty!</translation>
    </message>
    <message>
        <source>无法打开文件，可能该文件被锁定！</source>
        <translation>Cannot open the file; it may be locked!</translation>
    </message>
    <message>
        <source>配置文件中用户命令第%d项错误，您可以手动修改配置文件或删除此项，您要删除此项吗？</source>
        <translation>User command %d in the configuration file is invalid. You can edit the file by hand or delete the entry. Delete it?</translation>
    </message>
    <message>
        <source>配置文件中参数无效，将使用默认配置！</source>
        <translation>The configuration file has invalid settings; the defaults will be used!</translation>
    </message>
    <message>
        <source># 下面是用户预设命令的配置，你可以修改这里来添加一个命令按钮</source>
        <translation># Preset commands follow; edit them to add a command button</translation>
    </message>
    <message>
        <source># 下面是Tarvik的参数配置，请不要修改</source>
        <translation># Tarvik settings follow; please do not edit</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>文件发送完毕！ (%d KB/s)</source>
        <translation>File sent! (%d KB/s)</translation>
    </message>
    <message>
        <source>文件发送中...</source>
        <translation>Sending file...</translation>
    </message>
    <message>
        <source>发送文件间隔输入不正确！</source>
        <translation>Invalid file-send interval!</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>发送文件进程被终止</source>
        <translation>File sending stopped</translation>
    </message>
    <message>
        <source>文件发送暂停</source>
        <translation>File sending paused</translation>
    </message>
    <message>
        <source>已选择文件：%s</source>
        <translation>File selected: %s</translation>
    </message>
    <message>
        <source>文件发送错误！</source>
        <translation>File sending failed!</translation>
    </message>
    <message>
        <source>未找到指定文本:<byte value="xd"/>
 %s</source>
        <translation>Text not found:<byte value="xd"/>
 %s</translation>
    </message>
    <message>
        <source>已到达文件尾</source>
        <translation>Reached the end of the file</translation>
    </message>
    <message>
        <source>文件发送进度：%d %% ( %d KB/s)</source>
        <translation>Sending file: %d %% (%d KB/s)</translation>
    </message>
    <message>
        <source>暂停接收</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>继续接收</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>请先从列表中选择一个端口！</source>
        <translation>Choose a port from the list first!</translation>
    </message>
    <message>
        <source> </source>
        <translation> </translation>
    </message>
    <message>
        <source>就绪</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>本程序是 Tarvik 的测试版本，用于在打印机支持的各种端口上发送和接收数据，方便调试打印机程序。欢迎提出意见和建议。
==============================
★ 现在支持网络端口，可以通过网络更新打印机固件！★
==============================
功能：
1. 支持串口、并口、USB、网络和打印驱动五种端口；
2. 发送区和接收区都可以用十六进制或文本方式显示，随时切换；
3. 可以把文件装载到发送区，也可以把整个文件重复发送多次，显示进度和速度；
4. 可以按设定的间隔自动发送；
5. 接收到的数据可以计数，并保存到文件；
6. 可以定义预设命令按钮，单击一次就发送对应的数据；
7. 发送区有多页，可以在页之间切换。
==============================
提示：
1. 十六进制方式下也可以输入三位十进制数，例如 027 就是 1B；
2. 文本方式下不可显示的字节写成 &lt;\x1B&gt; 的形式；
3. 可以把文件直接拖放到发送区；
4. 拖动分隔条可以调整接收区、预设命令和发送区的高度；
5. 勾选状态栏中的 Top，窗口将保持在最前。
==============================
由于 USB 驱动经常出现死锁，USB 端口默认不接收数据，需要时请按“继续接收”按钮开始接收。</source>
        <translation>This is a test version of Tarvik, a tool that sends data to printers and receives their replies on every kind of port they offer, to help debug printer firmware. Comments and suggestions are welcome.
==============================
★ Network ports are supported now: printer firmware can be updated over the network! ★
==============================
Features:
1. Five kinds of port: serial, parallel, USB, network and printer driver;
2. The send and receive boxes show hex or text and switch at any time;
3. A file can be loaded into the send box, or sent whole many times with progress and speed shown;
4. Data can be sent automatically at a set interval;
5. Received data can be counted and saved to a file;
6. Preset command buttons send their data with one click;
7. The send box has several pages to switch between.
==============================
Tips:
1. In hex mode a three-digit decimal number also works: 027 is 1B;
2. In text mode, bytes that cannot be shown are written as &lt;\x1B&gt;;
3. Files can be dropped onto the send box;
4. Drag the splitter bars to size the receive box, the preset commands and the send box;
5. Tick Top in the status bar to keep the window on top.
==============================
USB drivers often deadlock, so a USB port does not receive by default: press “Resume” to start receiving.</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>编辑(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>撤消(&amp;U)	Ctrl+Z</source>
        <translation>&amp;Undo	Ctrl+Z</translation>
    </message>
    <message>
        <source>剪切(&amp;T)	Ctrl+X</source>
        <translation>Cu&amp;t	Ctrl+X</translation>
    </message>
    <message>
        <source>复制(&amp;C)	Ctrl+C</source>
        <translation>&amp;Copy	Ctrl+C</translation>
    </message>
    <message>
        <source>粘贴(&amp;P)	Ctrl+V</source>
        <translation>&amp;Paste	Ctrl+V</translation>
    </message>
    <message>
        <source>全选(&amp;A)	Ctrl+A</source>
        <translation>Select &amp;All	Ctrl+A</translation>
    </message>
    <message>
        <source>查找(&amp;F)...	Ctrl+F</source>
        <translation>&amp;Find...	Ctrl+F</translation>
    </message>
    <message>
        <source>操作(&amp;O)</source>
        <translation>&amp;Actions</translation>
    </message>
    <message>
        <source>发送(&amp;S)	Ctrl+S</source>
        <translation>&amp;Send	Ctrl+S</translation>
    </message>
    <message>
        <source>设置(&amp;C)</source>
        <translation>Se&amp;ttings</translation>
    </message>
    <message>
        <source>预设命令(&amp;U)...</source>
        <translation>&amp;Preset Commands...</translation>
    </message>
    <message>
        <source>工具栏(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>状态栏(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于 Tarvik(&amp;A)...</source>
        <translation>&amp;About Tarvik...</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Pane index out of range
or pane with same ID already exists in the status bar</source>
        <translation>Pane index out of range
or pane with same ID already exists in the status bar</translation>
    </message>
    <message>
        <source>Tarvik V1.000 Beta4(Build %1), 端口操作类库版本: %2</source>
        <translation>Tarvik V1.000 Beta4 (Build %1), port library version: %2</translation>
    </message>
    <message>
        <source>预览(&amp;V)...</source>
        <translation>Pre&amp;view...</translation>
    </message>
</context>
</TS>
