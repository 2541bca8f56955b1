<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>AccessKey</name>
    <message>
        <source>密钥文件 %1 不是普通文件：请给出密钥文件本身的路径</source>
        <translation>the key file %1 is not a file; give the path of the key file itself</translation>
    </message>
    <message>
        <source>密钥文件 %1 别人也能读取（权限 %2）：请让它只有属主能读：chmod 600 %1</source>
        <translation>the key file %1 may be read by others (mode %2); make it readable by its owner only: chmod 600 %1</translation>
    </message>
    <message>
        <source>密钥文件 %1 里不是密钥（应为 64 个十六进制数字和一个换行）：请给出用 issue --make-key 生成的密钥文件</source>
        <translation>the key file %1 does not hold a key (64 hex digits and a line break); give a key file made by issue --make-key</translation>
    </message>
    <message>
        <source>%1 已经存在，密钥文件不会被覆盖：请另给一个文件名</source>
        <translation>%1 exists already; a key file is never replaced: give another file name</translation>
    </message>
</context>
<context>
    <name>EpcIssuer</name>
    <message>
        <source>锁定没有生效：不用访问密码也能写入EPC</source>
        <translation>The lock did not take: the EPC can be written without the access password</translation>
    </message>
    <message>
        <source>锁定没有生效：不用访问密码也能读出访问密码</source>
        <translation>The lock did not take: the access password can be read without it</translation>
    </message>
</context>
<context>
    <name>EpcOperations</name>
    <message>
        <source>读标签失败.....</source>
        <translation>Reading the tag failed.....</translation>
    </message>
    <message>
        <source>写标签失败.....</source>
        <translation>Writing the tag failed.....</translation>
    </message>
    <message>
        <source>没有标签应答.....</source>
        <translation>No tag answered.....</translation>
    </message>
    <message>
        <source>访问密码错误.....</source>
        <translation>Wrong access password.....</translation>
    </message>
    <message>
        <source>命令格式错误.....</source>
        <translation>Bad command format.....</translation>
    </message>
    <message>
        <source>读超出标签存储区.....</source>
        <translation>The read goes beyond the tag memory.....</translation>
    </message>
    <message>
        <source>写超出标签存储区.....</source>
        <translation>The write goes beyond the tag memory.....</translation>
    </message>
    <message>
        <source>UHF模块错误代码 %1</source>
        <translation>UHF module error code %1</translation>
    </message>
    <message>
        <source>标签已锁定，写入需要访问密码.....</source>
        <translation>The tag is locked: writing needs its access password.....</translation>
    </message>
</context>
<context>
    <name>EpcisExport</name>
    <message>
        <source>不是 GS1</source>
        <translation>not GS1</translation>
    </message>
    <message>
        <source>未完成</source>
        <translation>pending</translation>
    </message>
    <message>
        <source>未确定</source>
        <translation>uncertain</translation>
    </message>
    <message>
        <source>已释放</source>
        <translation>released</translation>
    </message>
    <message>
        <source>锁定未验证</source>
        <translation>lock not verified</translation>
    </message>
    <message>
        <source>%1 条%2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>，</source>
        <comment>between the reasons</comment>
        <translation>, </translation>
    </message>
    <message>
        <source>不是 SGLN 纯标识 URI（urn:epc:id:sgln:厂商识别代码.位置参考代码.扩展，扩展之前共 12 位数字）：“%1”</source>
        <translation>not an SGLN pure identity URI (urn:epc:id:sgln:CompanyPrefix.LocationReference.Extension, 12 digits before the extension): &apos;%1&apos;</translation>
    </message>
    <message>
        <source>不是时区（例如 Asia/Shanghai 或 UTC+08:00）：“%1”</source>
        <translation>not a time zone (such as Asia/Shanghai or UTC+08:00): &apos;%1&apos;</translation>
    </message>
    <message>
        <source>发卡记录中没有系列 %1：journal series 列出所有系列</source>
        <translation>the journal has no series %1 (see &apos;journal series&apos;)</translation>
    </message>
    <message>
        <source>发卡记录中没有工位 %1 的记录：journal list 列出所有记录</source>
        <translation>the journal has no records of station %1 (see &apos;journal list&apos;)</translation>
    </message>
    <message>
        <source>略去 %1 条记录：%2</source>
        <comment>one record</comment>
        <translation>left out %1 record: %2</translation>
    </message>
    <message>
        <source>略去 %1 条记录：%2</source>
        <comment>several records</comment>
        <translation>left out %1 records: %2</translation>
    </message>
</context>
<context>
    <name>IssuingJournal</name>
    <message>
        <source>工位名称须为 1 到 %1 个可打印字符，不能是“%2”：请换一个工位名称</source>
        <translation>a station name is 1 to %1 printable characters, not &apos;%2&apos;; choose another name</translation>
    </message>
    <message>
        <source>发卡记录没有打开：请先打开发卡记录</source>
        <translation>the journal is not open; open it first</translation>
    </message>
    <message>
        <source>本发卡记录已占用工位 %1：一个程序只能占用一个工位</source>
        <translation>this journal already holds station %1; a program holds one station only</translation>
    </message>
    <message>
        <source>本进程没有占用工位 %1</source>
        <translation>station %1 is not held by this process</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>open</translation>
    </message>
    <message>
        <source>建立</source>
        <translation>create</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>read</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>update</translation>
    </message>
    <message>
        <source>检查</source>
        <translation>check</translation>
    </message>
    <message>
        <source>预留</source>
        <translation>reserve a number</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>run a statement</translation>
    </message>
    <message>
        <source>占用工位</source>
        <translation>hold the station</translation>
    </message>
    <message>
        <source>发卡记录%1失败：发卡记录的服务器断开了连接：请检查服务器是否在运行，然后重新开始</source>
        <translation>The journal could not %1: the journal&apos;s server closed the connection: check that it runs, then start again</translation>
    </message>
    <message>
        <source>发卡记录%1失败：%2</source>
        <translation>The journal could not %1: %2</translation>
    </message>
    <message>
        <source>没有数据库驱动</source>
        <translation>no database driver</translation>
    </message>
    <message>
        <source>工位 %1 正被另一个进程使用（%2）：请先结束那个进程，或换一个工位名称</source>
        <translation>station %1 is in use by another process (%2): end that process first, or choose another station name</translation>
    </message>
    <message>
        <source>正在启动</source>
        <translation>starting</translation>
    </message>
    <message>
        <source>%1 不是本用户的普通文件：请查看并删除它，再重新开始</source>
        <translation>%1 is not a regular file of this user: look at it and remove it, then start again</translation>
    </message>
    <message>
        <source>发卡记录 %1 在使用中被删除或替换，已停止：请把原来的文件放回原处，再重新开始</source>
        <translation>the journal %1 was deleted or replaced while in use; stopped: put the original file back, then start again</translation>
    </message>
    <message>
        <source>不是发卡记录的地址：“%1”（应为文件路径、sqlite:路径或 postgresql://[用户[:密码]@]主机[:端口]/数据库）</source>
        <translation>not a journal address: &apos;%1&apos; (a file path, sqlite:PATH or postgresql://[user[:password]@]host[:port]/database)</translation>
    </message>
    <message>
        <source>步长须为 1 或更大的十六进制数，不能是“%1”</source>
        <translation>the step is a hex number of 1 or more, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>步长 %1 比起始号 %2 的位数多：请用更短的步长</source>
        <translation>the step %1 is wider than the start %2: give a shorter step</translation>
    </message>
    <message>
        <source>最后号 %1 不在起始号 %2 之后：请改正最后号</source>
        <translation>the last number %1 does not follow the start %2: correct the last number</translation>
    </message>
    <message>
        <source>系列到 %1 已用完：请开始一个新的系列</source>
        <translation>series exhausted after %1: start a new series</translation>
    </message>
    <message>
        <source>记录 %1 没有改为 %2：它不是工位 %3 未完成的记录</source>
        <translation>record %1 was not changed to %2: it is not an open record of station %3</translation>
    </message>
    <message>
        <source>记录 %1 不是工位 %2 的记录</source>
        <translation>record %1 is not a record of station %2</translation>
    </message>
    <message>
        <source>地址选项“%1”不能传给数据库：请去掉或改正它</source>
        <translation>the address option &apos;%1&apos; cannot be passed on: remove or correct it</translation>
    </message>
    <message>
        <source>%1 处没有发卡记录</source>
        <translation>no journal at %1</translation>
    </message>
</context>
<context>
    <name>LibraryDevice</name>
    <message>
        <source>没有读写 %1 的权限：udev 规则 %2 只让在本机桌面登录的用户（uaccess）打开读卡器；请确认已安装 rfid-setup 软件包（手工安装后运行 %3），在桌面会话中使用，然后拔下读卡器再插上</source>
        <translation>No permission to read and write %1: the udev rule %2 lets only the user logged in at this desktop (uaccess) open the reader; make sure the rfid-setup package is installed (after installing by hand, run %3), work in a desktop session, then unplug and replug the reader</translation>
    </message>
    <message>
        <source>没有读写 %1 的权限：udev 规则 %2 不包括读卡器 %3；请以 root 把这一行写入 /etc/udev/rules.d/70-rfid-setup-local.rules：SUBSYSTEM==&quot;hidraw&quot;, ATTRS{idVendor}==&quot;%4&quot;, ATTRS{idProduct}==&quot;%5&quot;, TAG+=&quot;uaccess&quot;，再运行 %6，然后拔下读卡器再插上</source>
        <translation>No permission to read and write %1: the udev rule %2 does not cover the reader %3; as root, write this line into /etc/udev/rules.d/70-rfid-setup-local.rules: SUBSYSTEM==&quot;hidraw&quot;, ATTRS{idVendor}==&quot;%4&quot;, ATTRS{idProduct}==&quot;%5&quot;, TAG+=&quot;uaccess&quot;, then run %6 and unplug and replug the reader</translation>
    </message>
    <message>
        <source>读卡器 %1 已断开：请重新插上读卡器</source>
        <translation>Reader %1 was disconnected: plug the reader in again</translation>
    </message>
    <message>
        <source>模拟读卡器（没有连接真实设备）</source>
        <translation>Simulated reader (no real device connected)</translation>
    </message>
    <message>
        <source>未找到读卡器</source>
        <translation>No reader found</translation>
    </message>
    <message>
        <source>USB HID 读卡器</source>
        <translation>USB HID reader</translation>
    </message>
    <message>
        <source>未找到读卡器%1：请插上读卡器，用 lsusb 查看它的 USB ID；别的 ID 可在窗口的“系统 → 选择读卡器...”中添加，或用环境变量 READERHID_DEVICE 指定</source>
        <translation>No reader found%1: plug the reader in and look up its USB ID with lsusb; add another ID in the window under &quot;System → Choose reader...&quot; or name it in the environment variable READERHID_DEVICE</translation>
    </message>
    <message>
        <source>（查找的 USB ID：%1）</source>
        <translation> (USB IDs looked for: %1)</translation>
    </message>
    <message>
        <source>无法加载读卡器库 %1：%2</source>
        <translation>Cannot load the reader library %1: %2</translation>
    </message>
    <message>
        <source>读卡器库 %1 缺少函数 %2</source>
        <translation>The reader library %1 lacks the function %2</translation>
    </message>
</context>
<context>
    <name>ModuleSettings</name>
    <message>
        <source>中国 900 MHz</source>
        <translation>China 900 MHz</translation>
    </message>
    <message>
        <source>中国 800 MHz</source>
        <translation>China 800 MHz</translation>
    </message>
    <message>
        <source>美国</source>
        <translation>USA</translation>
    </message>
    <message>
        <source>欧洲</source>
        <translation>Europe</translation>
    </message>
    <message>
        <source>韩国</source>
        <translation>Korea</translation>
    </message>
    <message>
        <source>区域 %1</source>
        <translation>region %1</translation>
    </message>
    <message>
        <source>发射功率</source>
        <translation>transmit power</translation>
    </message>
    <message>
        <source>工作区域</source>
        <translation>region</translation>
    </message>
    <message>
        <source>信道</source>
        <translation>channel</translation>
    </message>
    <message>
        <source>Query 参数</source>
        <translation>Query parameters</translation>
    </message>
    <message>
        <source>%1回读为 %2，与设置的 %3 不符</source>
        <translation>%1 reads back as %2, not the %3 that was set</translation>
    </message>
    <message>
        <source>S0：标签每一轮都应答，读到的次数最多</source>
        <translation>S0: tags answer every round, the most reads</translation>
    </message>
    <message>
        <source>目标 B：只有已被盘点过、标志已翻转的标签应答</source>
        <translation>target B: only tags already inventoried, whose flag has flipped, answer</translation>
    </message>
    <message>
        <source>目标 A：标签被读到一次后标志翻转，在标志恢复前不再应答，看起来像“每张标签只报一次”</source>
        <translation>target A: once read, a tag flips its flag and keeps quiet until the flag recovers, which looks like &quot;each tag reported once&quot;</translation>
    </message>
    <message>
        <source>S1：标志约 0.5–5 秒后恢复，标签每隔几秒应答一次</source>
        <translation>S1: the flag recovers after about 0.5–5 s, tags answer once every few seconds</translation>
    </message>
    <message>
        <source>S%1：标志保持数秒或更久，标签离开电场后仍保持</source>
        <translation>S%1: the flag holds for seconds or longer, even after the tag leaves the field</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>ReaderLink</name>
    <message>
        <source>发送...</source>
        <translation>Sent...</translation>
    </message>
    <message>
        <source>命令帧有 %1 字节，超过 %2 字节的发送缓冲，未发送   </source>
        <translation>The command frame has %1 bytes, more than the %2-byte send buffer; not sent   </translation>
    </message>
    <message>
        <source>无有效数据，请检查设备是否联接....</source>
        <translation>No valid data; check that the device is connected....</translation>
    </message>
    <message>
        <source>接收...</source>
        <translation>Received...</translation>
    </message>
</context>
<context>
    <name>SerialInventoryPort</name>
    <message>
        <source>串口 %1 打不开：%2</source>
        <translation>Cannot open serial port %1: %2</translation>
    </message>
    <message>
        <source>串口 %1 没有取走盘点命令</source>
        <translation>Serial port %1 did not take the inventory command</translation>
    </message>
</context>
<context>
    <name>SerialLink</name>
    <message>
        <source>串口 %1 的连接已断开（设备已拔出或已切换模式），串口已关闭   </source>
        <translation>The connection of serial port %1 is gone (device unplugged or switched mode); the port is closed   </translation>
    </message>
    <message>
        <source>发送数据有 %1 字节，超过 %2 字节的串口发送缓冲，未发送   </source>
        <translation>The data to send has %1 bytes, more than the %2-byte serial send buffer; not sent   </translation>
    </message>
    <message>
        <source>串口 %1 没有取走已发送的数据（发送队列已满 %2 字节），数据未发送   </source>
        <translation>Serial port %1 did not take the data sent before (send queue full at %2 bytes); the data was not sent   </translation>
    </message>
</context>
<context>
    <name>TComm</name>
    <message>
        <source>没有使用该串口的权限：请把用户加入 dialout 组（sudo usermod -aG dialout 用户名），重新登录后再打开。</source>
        <translation>Add the user to the group dialout (sudo usermod -aG dialout USER), log in again, then open the port.</translation>
    </message>
    <message>
        <source>该串口正被其他程序使用：请先关闭那个程序再打开。</source>
        <translation>Close the program that is using the port, then open it again.</translation>
    </message>
</context>
<context>
    <name>cli</name>
    <message>
        <source>%1：请检查 --journal 给出的发卡记录位置、权限或数据库连接</source>
        <translation>%1: check the journal location given with --journal, its permissions or the database connection</translation>
    </message>
    <message>
        <source>模拟读卡器的库没有安装在本程序旁边：请重新安装 rfid-setup</source>
        <translation>The simulated reader library is not installed beside this program: reinstall rfid-setup</translation>
    </message>
    <message>
        <source>%1：请检查 --library 给出的读卡器库，或重新安装 rfid-setup</source>
        <translation>%1: check the reader library given with --library, or reinstall rfid-setup</translation>
    </message>
    <message>
        <source>通讯错误，没有接收到数据..：请检查读卡器的连接和地址（--address），用 --debug 查看收发的数据帧</source>
        <translation>Communication error, no data received: check the reader connection and address (--address); --debug shows the frames sent and received</translation>
    </message>
    <message>
        <source>读卡器报错 %1：%2：请检查命令和参数是否适合这台读卡器</source>
        <translation>The reader reports error %1: %2: check that the command and its parameters suit this reader</translation>
    </message>
    <message>
        <source>未知的错误</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>数据丢包，流水校验出错：%1：请再试一次，多次出现时请检查读卡器的连接</source>
        <translation>Data lost, sequence check failed: %1: try again; if it keeps happening, check the reader connection</translation>
    </message>
    <message>
        <source>模块报错：%1</source>
        <translation>The module reports: %1</translation>
    </message>
    <message>
        <source>模块没有回答停止盘点 (28)：它也许还在盘点</source>
        <translation>The module did not answer the inventory stop (28): it may still be inventorying</translation>
    </message>
    <message>
        <source>CSV 文件 %1 写不进去</source>
        <translation>Cannot write the CSV file %1</translation>
    </message>
    <message>
        <source>发卡记录有 %1 个问题：请按上面各行查明原因，修正之前不要再用这个号段发卡</source>
        <translation>The journal has %1 problem(s): find the cause from the lines above, and do not issue from this series until they are fixed</translation>
    </message>
    <message>
        <source>天线区域内没有标签：请把标签放到读卡器上再试</source>
        <translation>No tag in the antenna field: put a tag on the reader and try again</translation>
    </message>
    <message>
        <source>没有写入：%1：请检查访问密码（--password）和标签是否锁定</source>
        <translation>Not written: %1: check the access password (--password) and whether the tag is locked</translation>
    </message>
    <message>
        <source>标签读回的 EPC 号不同</source>
        <translation>the tag reads back a different EPC</translation>
    </message>
    <message>
        <source>标签无法读回：%1：请让标签留在读卡器上，用 epc read 查看它的 EPC 号</source>
        <translation>The tag cannot be read back: %1: leave the tag on the reader and look at its EPC with epc read</translation>
    </message>
    <message>
        <source>没有写入：%1：EPC 号比标签的存储区长，请用较短的 EPC 号或存储区更大的标签</source>
        <translation>Not written: %1: the EPC is longer than the tag memory; use a shorter EPC or a tag with more memory</translation>
    </message>
    <message>
        <source>串口 %1 的连接已断开（设备已拔出或已切换模式）：请把设备插好，再重新开始盘点</source>
        <translation>The connection to serial port %1 was lost (device unplugged or switched mode): plug it in again, then start the inventory again</translation>
    </message>
    <message>
        <source>天线区域内有 %1 个标签（EPC %2）：请用 --tid 或 --epc 选定要操作的标签</source>
        <translation>%1 tags in the field (EPC %2): choose the tag with --tid or --epc</translation>
    </message>
    <message>
        <source>%1：%2 区第 %3 字起 %4 个字：%5</source>
        <translation>%1: %2 bank, %4 words from word %3: %5</translation>
    </message>
    <message>
        <source>%1：TID 类别 %2（%3），厂商代码 %4，型号 %5</source>
        <translation>%1: TID class %2 (%3), mask designer %4, model %5</translation>
    </message>
    <message>
        <source>%1：已写入 %2 区第 %3 字起 %4 个字</source>
        <translation>%1: wrote %4 words into the %2 bank from word %3</translation>
    </message>
    <message>
        <source>%1：灭活密码已设置</source>
        <translation>%1: kill password set</translation>
    </message>
    <message>
        <source>%1：访问密码已设置</source>
        <translation>%1: access password set</translation>
    </message>
    <message>
        <source>%1：已锁定：%2（标签的锁定状态无法读回，请记下这次的设定）</source>
        <translation>%1: locked: %2 (a tag&apos;s lock state cannot be read back: keep a note of it)</translation>
    </message>
    <message>
        <source>%1：已灭活，标签再也不会应答</source>
        <translation>%1: killed; the tag will never answer again</translation>
    </message>
    <message>
        <source>%1：访问密码 %2</source>
        <translation>%1: access password %2</translation>
    </message>
    <message>
        <source>EPCIS 存储库 %1 没有接收文档（%2）：标记未移动；请检查地址和存储库后再导出，事件及其 ID 不变</source>
        <translation>The EPCIS repository %1 did not take the document (%2); no mark was moved: check the address and the repository, then export again (the events and their IDs stay the same)</translation>
    </message>
</context>
<context>
    <name>epcnumber</name>
    <message>
        <source>EPC号长度须为 2 到 %1 之间的偶数个字节，现为 %2 字节</source>
        <translation>An EPC must be an even number of bytes, 2 to %1; the number of bytes given is %2</translation>
    </message>
    <message>
        <source>EPC号长度须为 2 到 %1 之间的偶数个字节，现为 %2 位十六进制数字</source>
        <translation>An EPC must be an even number of bytes, 2 to %1; the number of hex digits given is %2</translation>
    </message>
</context>
<context>
    <name>frames</name>
    <message>
        <source>十六进制数据有 %1 位，不是整字节，命令未发送   </source>
        <translation>The hex data has %1 digits, not whole bytes; command not sent   </translation>
    </message>
</context>
<context>
    <name>gs1</name>
    <message>
        <source>%1 的取值为 0 到 %2，不带前导零，不能是“%3”</source>
        <translation>the %1 takes 0 to %2 without leading zeros, not &apos;%3&apos;</translation>
    </message>
    <message>
        <source>“%1”不是十六进制的 EPC</source>
        <translation>&apos;%1&apos; is not an EPC in hex</translation>
    </message>
    <message>
        <source>头部 %1 是本工具不解码的 GS1 编码方案（%2）</source>
        <translation>header %1 is a GS1 scheme this tool does not decode (%2)</translation>
    </message>
    <message>
        <source>头部 %1 不是 GS1 EPC 的头部</source>
        <translation>header %1 is not a GS1 EPC header</translation>
    </message>
    <message>
        <source>%1 的 EPC 有 %2 个十六进制数字，这个有 %3 个</source>
        <translation>an %1 EPC has %2 hex digits, this one has %3</translation>
    </message>
    <message>
        <source>%1 或 %2</source>
        <translation>%1 or %2</translation>
    </message>
    <message>
        <source>分区值 7 无效</source>
        <translation>partition 7 is not valid</translation>
    </message>
    <message>
        <source>厂商识别代码字段的值为 %1，超过了 %2 位数字</source>
        <translation>the company prefix field holds %1, more than %2 digits</translation>
    </message>
    <message>
        <source>%1 字段的值为 %2，超过了 %3 位数字</source>
        <translation>the %1 field holds %2, more than %3 digits</translation>
    </message>
    <message>
        <source>序列号的第 %1 个字符为 %2，不是 GS1 字符</source>
        <translation>serial character %1 is %2, not a GS1 character</translation>
    </message>
    <message>
        <source>序列号为空</source>
        <translation>the serial is empty</translation>
    </message>
    <message>
        <source>SSCC-96 中未用的位不全为零</source>
        <translation>the unused bits of an SSCC-96 are not zero</translation>
    </message>
    <message>
        <source>最后一个字段之后的位不全为零</source>
        <translation>bits after the last field are not zero</translation>
    </message>
    <message>
        <source>通用管理者代码</source>
        <translation>general manager number</translation>
    </message>
    <message>
        <source>对象类别</source>
        <translation>object class</translation>
    </message>
    <message>
        <source>滤值须为 0 到 7，不能是 %1</source>
        <translation>the filter is 0 to 7, not %1</translation>
    </message>
    <message>
        <source>厂商识别代码须为 6 到 12 位数字，不能是“%1”</source>
        <translation>the company prefix is 6 to 12 digits, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>厂商识别代码（%1 位）和 %2 合起来须有 %3 位数字，不能是“%4.%5”</source>
        <translation>the company prefix (%1 digits) and the %2 must have %3 digits together, not &apos;%4.%5&apos;</translation>
    </message>
    <message>
        <source>厂商识别代码为 %1 位时，%2 的取值为 0 到 %3，不带前导零，不能是“%4”</source>
        <translation>with a %1-digit company prefix the %2 takes 0 to %3 without leading zeros, not &apos;%4&apos;</translation>
    </message>
    <message>
        <source>序列号须为 1 到 20 个 GS1 字符（数字、字母、!&quot;%&amp;&apos;()*+,-./:;&lt;=&gt;?_），不能是“%1”</source>
        <translation>the serial takes 1 to 20 of the GS1 characters (digits, letters, !&quot;%&amp;&apos;()*+,-./:;&lt;=&gt;?_), not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>“%1”是纯标识 URI，不含滤值和长度：请给出标签 URI（urn:epc:tag:sgtin-96:...）</source>
        <translation>&apos;%1&apos; is a pure identity URI, which names no filter and no size: give the tag URI (urn:epc:tag:sgtin-96:...)</translation>
    </message>
    <message>
        <source>“%1”不是标签 URI（urn:epc:tag:...）</source>
        <translation>&apos;%1&apos; is not a tag URI (urn:epc:tag:...)</translation>
    </message>
    <message>
        <source>“%1”不是本工具能编码的方案（sgtin-96、sgtin-198、sscc-96、sgln-96、grai-96、giai-96、gid-96）</source>
        <translation>&apos;%1&apos; is not a scheme this tool encodes (sgtin-96, sgtin-198, sscc-96, sgln-96, grai-96, giai-96, gid-96)</translation>
    </message>
    <message>
        <source>%1 的标签 URI 须有 %2 个以点分隔的字段，不能是“%3”</source>
        <translation>an %1 tag URI has %2 fields separated by dots: &apos;%3&apos;</translation>
    </message>
    <message>
        <source>滤值须为 0 到 7，不能是“%1”</source>
        <translation>the filter is 0 to 7, not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>序列号“%1”中有未转义的 &quot; % &amp; / &lt; &gt; ? 或残缺的 %-转义</source>
        <translation>the serial &apos;%1&apos; has a bare &quot; % &amp; / &lt; &gt; ? or a broken %-escape</translation>
    </message>
    <message>
        <source>“%1”不是 GS1 元素串（(AI)值...）</source>
        <translation>&apos;%1&apos; is not a GS1 element string ((AI)value...)</translation>
    </message>
    <message>
        <source>厂商识别代码的长度须为 6 到 12，不能是 %1</source>
        <translation>the company prefix length is 6 to 12, not %1</translation>
    </message>
    <message>
        <source>%1 须有 %2 位数字，不能是“%3”</source>
        <translation>the %1 has %2 digits, not &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1 %2 的校验位应为 %3，不是 %4</source>
        <translation>the check digit of %1 %2 is %3, not %4</translation>
    </message>
    <message>
        <source>本工具能编码的元素串：(01)...(21)...、(00)...、(414)...[(254)...]、(8003)...、(8004)...，不能是“%1”</source>
        <translation>element strings this tool encodes: (01)...(21)..., (00)..., (414)...[(254)...], (8003)..., (8004)...; not &apos;%1&apos;</translation>
    </message>
    <message>
        <source>SGTIN-198 的序列号是文字，不能递增</source>
        <translation>an SGTIN-198 serial is text and cannot be counted</translation>
    </message>
    <message>
        <source>这个 %2 的步长须为 1 到 %1，不能是 %3</source>
        <translation>the step is 1 to %1 for this %2, not %3</translation>
    </message>
</context>
<context>
    <name>parameter</name>
    <message>
        <source>&apos;%1&apos; 超出范围 %2，命令未发送</source>
        <translation>&apos;%1&apos; is outside the range %2; command not sent</translation>
    </message>
</context>
<context>
    <name>settings</name>
    <message>
        <source>读取输出格式失败   </source>
        <translation>Reading the output format failed   </translation>
    </message>
    <message>
        <source>读取输出格式成功   </source>
        <translation>Output format read   </translation>
    </message>
    <message>
        <source>读取版本号失败   </source>
        <translation>Reading the version failed   </translation>
    </message>
    <message>
        <source>读取版本号成功   </source>
        <translation>Version read   </translation>
    </message>
    <message>
        <source>版本号为：</source>
        <translation>Version: </translation>
    </message>
    <message>
        <source>%1中有不能用GBK编码的字符，命令未发送</source>
        <translation>%1 has characters that GBK cannot encode; command not sent</translation>
    </message>
    <message>
        <source>10位16进制（5字节16进制）</source>
        <translation>10 hex digits (5 bytes hex)</translation>
    </message>
    <message>
        <source>10位16进制</source>
        <translation>10 hex digits</translation>
    </message>
    <message>
        <source>8位16进制</source>
        <translation>8 hex digits</translation>
    </message>
    <message>
        <source>00+8位10进制（id后3字节转换）</source>
        <translation>00 + 8 decimal (last 3 ID bytes)</translation>
    </message>
    <message>
        <source>8位16进制反向输出</source>
        <translation>8 hex digits, reversed</translation>
    </message>
    <message>
        <source>8位10进制（id后3字节转换）</source>
        <translation>8 decimal (last 3 ID bytes)</translation>
    </message>
    <message>
        <source>18位10进制（卡上全部数字）</source>
        <translation>18 decimal (all card digits)</translation>
    </message>
    <message>
        <source>8位10进制（卡上后8位）</source>
        <translation>8 decimal digits (last 8 on the card)</translation>
    </message>
    <message>
        <source>5位10进制（卡上后5位）</source>
        <translation>5 decimal digits (last 5 on the card)</translation>
    </message>
    <message>
        <source>8位10进制（id后4字节转换）</source>
        <translation>8 decimal (last 4 ID bytes)</translation>
    </message>
    <message>
        <source>10位10进制反向输出（id后4字节转换）</source>
        <translation>10 decimal reversed (last 4 ID bytes)</translation>
    </message>
    <message>
        <source>13位10进制（id5字节转10进制）</source>
        <translation>13 decimal (5-byte ID)</translation>
    </message>
    <message>
        <source>13位10进制（id5字节转换）</source>
        <translation>13 decimal digits (5-byte ID)</translation>
    </message>
    <message>
        <source>10位10进制（id后4字节转换）</source>
        <translation>10 decimal (last 4 ID bytes)</translation>
    </message>
    <message>
        <source>正向所有卡号 12-7-4 BYTE</source>
        <translation>Whole card number 12-7-4 BYTE</translation>
    </message>
    <message>
        <source>7字节 AND 4字节 16进制</source>
        <translation>7 bytes AND 4 bytes hex</translation>
    </message>
    <message>
        <source>反向所有卡号 12-7-4 BYTE</source>
        <translation>Whole number reversed 12-7-4 BYTE</translation>
    </message>
    <message>
        <source>反向 7字节 AND 4字节 16进制</source>
        <translation>reversed 7 bytes AND 4 bytes hex</translation>
    </message>
    <message>
        <source>GS1格式输出（sgtin-96）</source>
        <translation>GS1 output (sgtin-96)</translation>
    </message>
    <message>
        <source>EPC卡号转换成GS1格式输出（sgtin-96）...</source>
        <translation>EPC converted to GS1 output (sgtin-96)...</translation>
    </message>
    <message>
        <source>卡号转换成ASCII输出</source>
        <translation>Card number as ASCII</translation>
    </message>
    <message>
        <source>卡号转换成ASCII输出...</source>
        <translation>card number as ASCII...</translation>
    </message>
    <message>
        <source>输出格式设置成功   </source>
        <translation>Output format set   </translation>
    </message>
    <message>
        <source>输出格式设置失败   </source>
        <translation>Setting the output format failed   </translation>
    </message>
    <message>
        <source>卡号自定义长度16进制输出...</source>
        <translation>card number in hex, custom length...</translation>
    </message>
    <message>
        <source>读回的格式数据不完整：</source>
        <translation>The format read back is incomplete: </translation>
    </message>
    <message>
        <source>输出格式：  </source>
        <translation>Output format:  </translation>
    </message>
    <message>
        <source>输出格式为：  </source>
        <translation>The output format is:  </translation>
    </message>
    <message>
        <source>前面加分号</source>
        <translation>semicolon before</translation>
    </message>
    <message>
        <source>前面不加分号 </source>
        <translation>no semicolon before </translation>
    </message>
    <message>
        <source>中间加逗号</source>
        <translation>comma in between</translation>
    </message>
    <message>
        <source>中间不加逗号 </source>
        <translation>no comma in between </translation>
    </message>
    <message>
        <source>后面加问号</source>
        <translation>question mark after</translation>
    </message>
    <message>
        <source>后面不加问号 </source>
        <translation>no question mark after </translation>
    </message>
    <message>
        <source>最后面加回车</source>
        <translation>carriage return at the end</translation>
    </message>
    <message>
        <source>最后面不加回车 </source>
        <translation>no carriage return at the end </translation>
    </message>
    <message>
        <source>没有增加自定义字节输出。   </source>
        <translation>No custom byte in the output.   </translation>
    </message>
    <message>
        <source>自定义字节输出数据为：  </source>
        <translation>The custom output byte is:  </translation>
    </message>
    <message>
        <source>寻卡时间间隔：   </source>
        <translation>Card search interval:   </translation>
    </message>
    <message>
        <source>范围 ：00~255，单位是10毫秒               </source>
        <translation>Range: 00~255, in units of 10 ms               </translation>
    </message>
    <message>
        <source>卡片过滤次数：   </source>
        <translation>Card filter count:   </translation>
    </message>
    <message>
        <source>范围  00~255 ,00一直输出   </source>
        <translation>Range 00~255, 00 outputs always   </translation>
    </message>
    <message>
        <source>读卡等待时间：   </source>
        <translation>Read wait time:   </translation>
    </message>
    <message>
        <source>范围 ：00~255，单位是秒        </source>
        <translation>Range: 00~255, in seconds        </translation>
    </message>
    <message>
        <source>串口输出结束符：   </source>
        <translation>Serial output terminator:   </translation>
    </message>
    <message>
        <source>00 无, 01表示 0D,  02表示 0D0A      </source>
        <translation>00 none, 01 0D, 02 0D0A      </translation>
    </message>
    <message>
        <source>输出结束符设置成功   </source>
        <translation>Output terminator set   </translation>
    </message>
    <message>
        <source>输出结束符设置失败   </source>
        <translation>Setting the output terminator failed   </translation>
    </message>
    <message>
        <source>射频输出功率设置：   </source>
        <translation>RF output power:   </translation>
    </message>
    <message>
        <source>00~09，表示12.5db~26db       </source>
        <translation>00~09, meaning 12.5 dB~26 dB       </translation>
    </message>
    <message>
        <source>维根输出格式：   </source>
        <translation>Wiegand output format:   </translation>
    </message>
    <message>
        <source>维根取值位置：   </source>
        <translation>Wiegand value position:   </translation>
    </message>
    <message>
        <source>12字节卡号，取值的第几位              </source>
        <translation>value position in the 12 bytes              </translation>
    </message>
    <message>
        <source>维根低电平脉宽范围(0x01~0xFF) 单位10US              </source>
        <translation>Wiegand low pulse, 01~FF x 10 µs              </translation>
    </message>
    <message>
        <source>维根空闲电平脉宽(0x01~0xFF) 单位100US        </source>
        <translation>Wiegand idle, 01~FF x 100 µs        </translation>
    </message>
    <message>
        <source>维根空闲电平脉宽设置  成功   </source>
        <translation>Wiegand idle pulse width set   </translation>
    </message>
    <message>
        <source>维根空闲电平脉宽设置  失败   </source>
        <translation>Setting the Wiegand idle pulse width failed   </translation>
    </message>
    <message>
        <source>串口开</source>
        <translation>Serial on</translation>
    </message>
    <message>
        <source>串口关</source>
        <translation>Serial off</translation>
    </message>
    <message>
        <source>韦根开</source>
        <translation>Wiegand on</translation>
    </message>
    <message>
        <source>韦根关</source>
        <translation>Wiegand off</translation>
    </message>
    <message>
        <source>USB开</source>
        <translation>USB on</translation>
    </message>
    <message>
        <source>USB关</source>
        <translation>USB off</translation>
    </message>
    <message>
        <source>输出接口设置成功   </source>
        <translation>Output interfaces set   </translation>
    </message>
    <message>
        <source>输出接口设置失败   </source>
        <translation>Setting the output interfaces failed   </translation>
    </message>
    <message>
        <source>波特率设置成功   </source>
        <translation>Baud rate set   </translation>
    </message>
    <message>
        <source>波特率设置失败   </source>
        <translation>Setting the baud rate failed   </translation>
    </message>
    <message>
        <source>主动-寻单张卡EPC号                 </source>
        <translation>Active - single tag EPC                 </translation>
    </message>
    <message>
        <source>被动读写器模式                 </source>
        <translation>Passive reader mode                 </translation>
    </message>
    <message>
        <source>被动读写器模式</source>
        <translation>passive reader mode</translation>
    </message>
    <message>
        <source>主动-寻多张卡EPC号        </source>
        <translation>Active - multiple tag EPCs        </translation>
    </message>
    <message>
        <source>主动寻多张卡EPC号</source>
        <translation>active, multiple tag EPCs</translation>
    </message>
    <message>
        <source>主动-读TID号 </source>
        <translation>Active - read TID </translation>
    </message>
    <message>
        <source>主动读TID号</source>
        <translation>active, read TID</translation>
    </message>
    <message>
        <source>主动读取存储扇区</source>
        <translation>Active - read a memory area</translation>
    </message>
    <message>
        <source>扇区   </source>
        <translation>Bank </translation>
    </message>
    <message>
        <source>密码   </source>
        <translation>Password </translation>
    </message>
    <message>
        <source>地址   </source>
        <translation>Address </translation>
    </message>
    <message>
        <source>长度     </source>
        <translation>Length </translation>
    </message>
    <message>
        <source>设置 %1 成功   </source>
        <translation>%1 set   </translation>
    </message>
    <message>
        <source>设置%1失败   </source>
        <translation>Setting %1 failed   </translation>
    </message>
    <message>
        <source>继电器打开设置成功   </source>
        <translation>Relay switched on   </translation>
    </message>
    <message>
        <source>继电器打开设置失败   </source>
        <translation>Switching the relay on failed   </translation>
    </message>
    <message>
        <source>继电器关闭设置成功   </source>
        <translation>Relay switched off   </translation>
    </message>
    <message>
        <source>继电器关闭设置失败   </source>
        <translation>Switching the relay off failed   </translation>
    </message>
    <message>
        <source>Wifi名称中不能有逗号，命令未发送</source>
        <translation>A WiFi name cannot hold a comma; command not sent</translation>
    </message>
    <message>
        <source>Wifi名称</source>
        <translation>The WiFi name</translation>
    </message>
    <message>
        <source>Wifi密码</source>
        <translation>The WiFi password</translation>
    </message>
    <message>
        <source>WIFI设置成功   </source>
        <translation>WiFi set   </translation>
    </message>
    <message>
        <source>WIFI设置失败   </source>
        <translation>Setting the WiFi failed   </translation>
    </message>
    <message>
        <source>寻卡时间间隔设置成功   </source>
        <translation>Card search interval set   </translation>
    </message>
    <message>
        <source>寻卡时间间隔设置失败   </source>
        <translation>Setting the card search interval failed   </translation>
    </message>
    <message>
        <source>卡片过滤次数设置成功   </source>
        <translation>Card filter count set   </translation>
    </message>
    <message>
        <source>卡片过滤次数设置失败   </source>
        <translation>Setting the card filter count failed   </translation>
    </message>
    <message>
        <source>读卡等待时间设置成功   </source>
        <translation>Read wait time set   </translation>
    </message>
    <message>
        <source>读卡等待时间设置失败   </source>
        <translation>Setting the read wait time failed   </translation>
    </message>
    <message>
        <source>射频输出功率设置 成功   </source>
        <translation>RF output power set   </translation>
    </message>
    <message>
        <source>射频输出功率设置 失败   </source>
        <translation>Setting the RF output power failed   </translation>
    </message>
    <message>
        <source>维根输出格式设置成功   </source>
        <translation>Wiegand output format set   </translation>
    </message>
    <message>
        <source>维根输出格式设置失败   </source>
        <translation>Setting the Wiegand output format failed   </translation>
    </message>
    <message>
        <source>维根取值位置 设置成功   </source>
        <translation>Wiegand value position set   </translation>
    </message>
    <message>
        <source>维根取值位置 设置失败   </source>
        <translation>Setting the Wiegand value position failed   </translation>
    </message>
    <message>
        <source>维根低电平脉宽设置  成功   </source>
        <translation>Wiegand low pulse width set   </translation>
    </message>
    <message>
        <source>维根低电平脉宽设置  失败   </source>
        <translation>Setting the Wiegand low pulse width failed   </translation>
    </message>
    <message>
        <source>前缀：   </source>
        <translation>Prefix:   </translation>
    </message>
    <message>
        <source>前缀设置</source>
        <translation>Set prefix</translation>
    </message>
    <message>
        <source>前缀设置成功   </source>
        <translation>Prefix set   </translation>
    </message>
    <message>
        <source>前缀设置失败   </source>
        <translation>Setting the prefix failed   </translation>
    </message>
    <message>
        <source>后缀：   </source>
        <translation>Suffix:   </translation>
    </message>
    <message>
        <source>后缀设置</source>
        <translation>Set suffix</translation>
    </message>
    <message>
        <source>后缀设置成功   </source>
        <translation>Suffix set   </translation>
    </message>
    <message>
        <source>后缀设置失败   </source>
        <translation>Setting the suffix failed   </translation>
    </message>
    <message>
        <source>主动寻单卡EPC号</source>
        <translation>active, single tag EPC</translation>
    </message>
</context>
<context>
    <name>settings::Profile</name>
    <message>
        <source>%1 只能是 on 或 off，不能是“%2”</source>
        <translation>%1 takes on or off, not &apos;%2&apos;</translation>
    </message>
    <message>
        <source>%1 须为 %2 到 %3 的十进制数，不能是“%4”</source>
        <translation>%1 takes a decimal number from %2 to %3, not &apos;%4&apos;</translation>
    </message>
    <message>
        <source>%1 须为 %2 到 %3 的一个十六进制字节，不能是“%4”</source>
        <translation>%1 takes one byte in hex from %2 to %3, not &apos;%4&apos;</translation>
    </message>
    <message>
        <source>%1 须为 %2 个十六进制字节，不能是“%3”</source>
        <translation>%1 takes %2 bytes in hex, not &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1 须为 %2 到 %3 个十六进制字节，不能是“%4”</source>
        <translation>%1 takes %2 to %3 bytes in hex, not &apos;%4&apos;</translation>
    </message>
    <message>
        <source>%1 须为 %2 之一，不能是“%3”</source>
        <translation>%1 takes one of %2, not &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1: 不是 UTF-8 文本</source>
        <translation>%1: not UTF-8 text</translation>
    </message>
    <message>
        <source>未知的节 [%1]</source>
        <translation>unknown section [%1]</translation>
    </message>
    <message>
        <source>既不是“[节]”也不是“键 = 值”：“%1”</source>
        <translation>not &apos;[section]&apos; nor &apos;key = value&apos;: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>“%1”不在任何 [节] 之内</source>
        <translation>&apos;%1&apos; is outside any [section]</translation>
    </message>
    <message>
        <source>[%2] 中没有“%1”这一项</source>
        <translation>unknown key &apos;%1&apos; in [%2]</translation>
    </message>
    <message>
        <source>%1 给了两次（第一次在第 %2 行）</source>
        <translation>%1 given twice (first on line %2)</translation>
    </message>
    <message>
        <source>wifi.password 须为空或 8 到 63 个字符，不能是 %1 个</source>
        <translation>wifi.password is empty or 8 to 63 characters, not %1</translation>
    </message>
    <message>
        <source>uhf_module.channel 在区域 %2 中须为 0 到 %1，不能是“%3”</source>
        <translation>uhf_module.channel takes 0 to %1 in region %2, not &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1: 没有任何设置</source>
        <translation>%1: holds no setting</translation>
    </message>
</context>
<context>
    <name>settings::ProfileApplier</name>
    <message>
        <source>成功   </source>
        <translation> done   </translation>
    </message>
    <message>
        <source>失败   </source>
        <translation> failed   </translation>
    </message>
    <message>
        <source>设置工作区域 %1 </source>
        <translation>Set region %1</translation>
    </message>
    <message>
        <source>设置信道 %1 </source>
        <translation>Set channel %1</translation>
    </message>
    <message>
        <source>打开跳频 </source>
        <translation>Frequency hopping on</translation>
    </message>
    <message>
        <source>关闭跳频 </source>
        <translation>Frequency hopping off</translation>
    </message>
    <message>
        <source>设置发射功率 %1 dBm </source>
        <translation>Set transmit power %1 dBm</translation>
    </message>
    <message>
        <source>设置 Query 参数 </source>
        <translation>Set Query parameters</translation>
    </message>
</context>
<context>
    <name>status</name>
    <message>
        <source>命令操作失败.....</source>
        <translation>The command failed.....</translation>
    </message>
    <message>
        <source>数据丢包.....</source>
        <translation>Data lost.....</translation>
    </message>
    <message>
        <source>没有选择准确的COM口.....</source>
        <translation>Wrong COM port chosen.....</translation>
    </message>
    <message>
        <source>和卡通讯超时.....</source>
        <translation>Card communication timed out.....</translation>
    </message>
    <message>
        <source>XOR校验出错.....</source>
        <translation>XOR check failed.....</translation>
    </message>
    <message>
        <source>Xor校验出错.....</source>
        <translation>Xor check failed.....</translation>
    </message>
    <message>
        <source>输入的参数大于最大允许范围，溢出.....</source>
        <translation>A parameter is above its allowed range, overflow.....</translation>
    </message>
    <message>
        <source>命令创作成功.....</source>
        <translation>Command carried out.....</translation>
    </message>
    <message>
        <source>参数设置失败....</source>
        <translation>Setting the parameter failed....</translation>
    </message>
    <message>
        <source>通讯超时 ....</source>
        <translation>Communication timed out ....</translation>
    </message>
    <message>
        <source>卡不存在....</source>
        <translation>No card....</translation>
    </message>
    <message>
        <source>接收卡数据出错....</source>
        <translation>Error receiving the card data....</translation>
    </message>
    <message>
        <source>输入参数或者输入命令格式错误....</source>
        <translation>Bad parameter or command format....</translation>
    </message>
    <message>
        <source>未知的错误....</source>
        <translation>Unknown error....</translation>
    </message>
    <message>
        <source>The parameter of the command or the Format of the command Erro...</source>
        <translation>Bad command parameter or command format...</translation>
    </message>
    <message>
        <source>在块初始化中出现错误...</source>
        <translation>Error while initialising the block...</translation>
    </message>
    <message>
        <source>在防冲突过程中得到错误的序列号....</source>
        <translation>Wrong serial number during anticollision....</translation>
    </message>
    <message>
        <source>密码认证没通过....</source>
        <translation>Password authentication failed....</translation>
    </message>
    <message>
        <source>读写设备接收到了未定义的命令.....</source>
        <translation>The reader received an undefined command.....</translation>
    </message>
    <message>
        <source>卡不支持这个命令....</source>
        <translation>The card does not support this command....</translation>
    </message>
    <message>
        <source>命令格式有错误....</source>
        <translation>The command format is wrong....</translation>
    </message>
    <message>
        <source>在命令的FLAG参数中，不支持OPTION 模式....</source>
        <translation>The OPTION mode in the command FLAG is not supported....</translation>
    </message>
    <message>
        <source>要操作的BLOCK不存在....</source>
        <translation>The BLOCK does not exist....</translation>
    </message>
    <message>
        <source>要操作的对象已经别锁定，不能进行修改....</source>
        <translation>The object is locked and cannot be changed....</translation>
    </message>
    <message>
        <source>锁定操作不成功....</source>
        <translation>Locking failed....</translation>
    </message>
    <message>
        <source>写操作不成功....</source>
        <translation>Writing failed....</translation>
    </message>
    <message>
        <source>通讯错误，没有接收到数据..   </source>
        <translation>Communication error, no data received..   </translation>
    </message>
    <message>
        <source>数据丢包，流水校验出错   </source>
        <translation>Data lost, sequence check failed   </translation>
    </message>
</context>
<context>
    <name>uhf</name>
    <message>
        <source>读取失败：没有标签或 CRC 错误</source>
        <translation>read failed: no tag or CRC error</translation>
    </message>
    <message>
        <source>写入失败：没有标签或 CRC 错误</source>
        <translation>write failed: no tag or CRC error</translation>
    </message>
    <message>
        <source>灭活失败</source>
        <translation>kill failed</translation>
    </message>
    <message>
        <source>锁定失败</source>
        <translation>lock failed</translation>
    </message>
    <message>
        <source>块永久锁定失败</source>
        <translation>block permalock failed</translation>
    </message>
    <message>
        <source>盘点失败：没有标签应答或 CRC 错误</source>
        <translation>inventory failed: no tag answered or CRC error</translation>
    </message>
    <message>
        <source>访问失败：访问密码错误</source>
        <translation>access failed: wrong access password</translation>
    </message>
    <message>
        <source>命令错误：未知命令、参数错误或命令帧校验和错误</source>
        <translation>command error: unknown command, bad parameter or wrong frame checksum</translation>
    </message>
    <message>
        <source>跳频失败：所有信道都忙，信道搜索超时</source>
        <translation>frequency hopping failed: every channel busy, channel search timed out</translation>
    </message>
    <message>
        <source>灭活失败：灭活密码为零，标签不能灭活</source>
        <translation>kill failed: the kill password is zero, the tag cannot be killed</translation>
    </message>
    <message>
        <source>读取失败：%1</source>
        <translation>read failed: %1</translation>
    </message>
    <message>
        <source>写入失败：%1</source>
        <translation>write failed: %1</translation>
    </message>
    <message>
        <source>锁定失败：%1</source>
        <translation>lock failed: %1</translation>
    </message>
    <message>
        <source>灭活失败：%1</source>
        <translation>kill failed: %1</translation>
    </message>
    <message>
        <source>块永久锁定失败：%1</source>
        <translation>block permalock failed: %1</translation>
    </message>
    <message>
        <source>标签其他错误</source>
        <translation>other tag error</translation>
    </message>
    <message>
        <source>超出标签存储区，或标签不支持该 EPC 长度</source>
        <translation>beyond the tag memory, or the tag does not take that EPC length</translation>
    </message>
    <message>
        <source>标签存储区已锁定</source>
        <translation>the tag memory is locked</translation>
    </message>
    <message>
        <source>标签能量不足</source>
        <translation>the tag lacks power</translation>
    </message>
    <message>
        <source>标签非特定错误</source>
        <translation>non-specific tag error</translation>
    </message>
    <message>
        <source>标签错误代码 %1</source>
        <translation>tag error code %1</translation>
    </message>
    <message>
        <source>模块错误</source>
        <translation>module error</translation>
    </message>
</context>
<context>
    <name>uhf::TagAccess</name>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>没有选定标签</source>
        <translation>No tag chosen</translation>
    </message>
    <message>
        <source>字地址 %1 起 %2 个字超出标签存储区的范围，命令未发送</source>
        <translation>%2 words from word %1 lie outside the tag memory; nothing sent</translation>
    </message>
    <message>
        <source>要写的数据有 %1 字节，不是整字，命令未发送</source>
        <translation>The data to write has %1 bytes, not whole words; nothing sent</translation>
    </message>
    <message>
        <source>%1（已写入前 %2 个字）</source>
        <translation>%1 (the first %2 words were written)</translation>
    </message>
    <message>
        <source>没有选择要锁定的区域，命令未发送</source>
        <translation>No area chosen to lock; nothing sent</translation>
    </message>
    <message>
        <source>灭活密码为零：标签不能用它灭活，命令未发送</source>
        <translation>The kill password is zero: a tag cannot be killed with it; nothing sent</translation>
    </message>
</context>
</TS>
