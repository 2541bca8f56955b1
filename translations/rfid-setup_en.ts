<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CardReport</name>
    <message>
        <source>检测到S50/S70卡</source>
        <translation>S50/S70 card found</translation>
    </message>
    <message>
        <source>卡的ID号码为： </source>
        <translation>Card ID: </translation>
    </message>
    <message>
        <source>检测到Ultralight/desfire卡</source>
        <translation>Ultralight/DESFire card found</translation>
    </message>
    <message>
        <source>检测到ISO 14443 B卡</source>
        <translation>ISO 14443 B card found</translation>
    </message>
    <message>
        <source>中华人民共和国第二代身份证..</source>
        <translation>Chinese resident identity card (2nd generation)..</translation>
    </message>
    <message>
        <source>身份证卡的ID号码为： </source>
        <translation>Identity card ID: </translation>
    </message>
    <message>
        <source>检测到ISO 15693卡</source>
        <translation>ISO 15693 card found</translation>
    </message>
</context>
<context>
    <name>EpcGroup</name>
    <message>
        <source>EPC自动写卡</source>
        <translation>EPC automatic writing</translation>
    </message>
    <message>
        <source>正加</source>
        <translation>Count up</translation>
    </message>
    <message>
        <source>反加</source>
        <translation>Count up, reversed</translation>
    </message>
    <message>
        <source>自动发卡  </source>
        <translation>Issue automatically </translation>
    </message>
    <message>
        <source>由 GTIN 和序列号生成起始EPC号</source>
        <translation>Make the first EPC from a GTIN and a serial number</translation>
    </message>
    <message>
        <source>每次累加      </source>
        <translation>Step </translation>
    </message>
    <message>
        <source>访问密码(16进制):   </source>
        <translation>Access password (hex): </translation>
    </message>
    <message>
        <source>写卡等待时间:        </source>
        <translation>Pause between tags: </translation>
    </message>
    <message>
        <source>毫秒   </source>
        <translation>ms </translation>
    </message>
    <message>
        <source>读EPC号</source>
        <translation>Read EPC</translation>
    </message>
    <message>
        <source>读卡</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写卡</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>清除界面</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>%1，未写卡</source>
        <translation>%1; nothing written</translation>
    </message>
    <message>
        <source>写卡成功,卡号</source>
        <translation>Tag written, EPC </translation>
    </message>
    <message>
        <source>写卡失败   </source>
        <translation>Writing the card failed   </translation>
    </message>
    <message>
        <source>停止发卡</source>
        <translation>Stop issuing</translation>
    </message>
    <message>
        <source>自动发卡</source>
        <translation>Issue automatically</translation>
    </message>
    <message>
        <source>GS1: 不是GS1编码 (%1)</source>
        <translation>GS1: not a GS1 encoding (%1)</translation>
    </message>
    <message>
        <source>卡号 %1 写卡结果不明（标签 %2 不在场），此号不再使用   </source>
        <translation>EPC %1: write outcome unknown (tag %2 has left the field); this number is not used again   </translation>
    </message>
    <message>
        <source>读标签TID失败：%1   </source>
        <translation>Reading the tag TID failed: %1   </translation>
    </message>
    <message>
        <source>标签 %1 已发卡号 %2，不再写   </source>
        <translation>Tag %1 already carries EPC %2; not written again   </translation>
    </message>
    <message>
        <source>卡号 %1 写卡结果不明，此号不再使用   </source>
        <translation>EPC %1: write outcome unknown; this number is not used again   </translation>
    </message>
    <message>
        <source>写后锁定</source>
        <translation>Lock after writing</translation>
    </message>
    <message>
        <source>写卡并读回后，给每个标签设置由密钥和TID生成的访问密码，锁定EPC和访问密码，并验证</source>
        <translation>After writing and reading back, give each tag an access password derived from the key and its TID, lock the EPC and the access password, and verify</translation>
    </message>
    <message>
        <source>密钥文件...</source>
        <translation>Key file...</translation>
    </message>
    <message>
        <source>写后锁定要把每个标签的锁定记入发卡记录：请先勾选“系统 → 自动发卡使用发卡记录”</source>
        <translation>Locking after writing records each tag&apos;s lock in the issuing journal: first tick &quot;System → Record automatic issuing in the journal&quot;</translation>
    </message>
    <message>
        <source>写后锁定需要密钥文件：请先点“密钥文件...”选择</source>
        <translation>Locking after writing needs a key file: choose one with &quot;Key file...&quot;</translation>
    </message>
    <message>
        <source>此系列的标签是用密钥 %1 锁定的，不是所选密钥 %2：请选择密钥 %1 的文件</source>
        <translation>This series&apos; tags were locked with key %1, not with the chosen key %2: choose the file of key %1</translation>
    </message>
    <message>
        <source>选择密钥文件</source>
        <translation>Choose the key file</translation>
    </message>
    <message>
        <source>未选择密钥文件</source>
        <translation>No key file chosen</translation>
    </message>
    <message>
        <source>标签 %1 已锁定并验证（%2）</source>
        <translation>Tag %1 locked and verified (%2)</translation>
    </message>
    <message>
        <source>标签 %1 锁定失败（%2）%3</source>
        <translation>Tag %1: lock failed (%2)%3</translation>
    </message>
    <message>
        <source>标签 %1 锁定未完成（%2），标签再次出现时补做%3</source>
        <translation>Tag %1: lock unfinished (%2), finished when the tag is seen again%3</translation>
    </message>
</context>
<context>
    <name>EpcisExportDialog</name>
    <message>
        <source>导出 EPCIS 事件</source>
        <translation>Export EPCIS events</translation>
    </message>
    <message>
        <source>全部记录</source>
        <translation>All records</translation>
    </message>
    <message>
        <source>上次导出之后的记录</source>
        <translation>Records since the last export</translation>
    </message>
    <message>
        <source>从以下时间起的记录</source>
        <translation>Records from this time on</translation>
    </message>
    <message>
        <source>全部号段</source>
        <translation>All series</translation>
    </message>
    <message>
        <source>全部工位</source>
        <translation>All stations</translation>
    </message>
    <message>
        <source>号段 %1：%2</source>
        <translation>Series %1: %2</translation>
    </message>
    <message>
        <source>格式：</source>
        <translation>Format:</translation>
    </message>
    <message>
        <source>记录：</source>
        <translation>Records:</translation>
    </message>
    <message>
        <source>号段：</source>
        <translation>Series:</translation>
    </message>
    <message>
        <source>工位：</source>
        <translation>Station:</translation>
    </message>
    <message>
        <source>读取点 (readPoint)：</source>
        <translation>Read point (readPoint):</translation>
    </message>
    <message>
        <source>业务地点 (bizLocation)：</source>
        <translation>Business location (bizLocation):</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>已导出 %1 个事件</source>
        <translation>%1 events exported</translation>
    </message>
    <message>
        <source>；%1</source>
        <translation>; %1</translation>
    </message>
</context>
<context>
    <name>Gs1StartDialog</name>
    <message>
        <source>0 其他</source>
        <translation>0 Other</translation>
    </message>
    <message>
        <source>1 零售商品</source>
        <translation>1 Point of sale item</translation>
    </message>
    <message>
        <source>2 运输整箱</source>
        <translation>2 Full case for transport</translation>
    </message>
    <message>
        <source>3 保留</source>
        <translation>3 Reserved</translation>
    </message>
    <message>
        <source>4 内包装</source>
        <translation>4 Inner pack</translation>
    </message>
    <message>
        <source>5 保留</source>
        <translation>5 Reserved</translation>
    </message>
    <message>
        <source>6 托盘单元</source>
        <translation>6 Unit load</translation>
    </message>
    <message>
        <source>7 商品内单元</source>
        <translation>7 Unit inside trade item</translation>
    </message>
    <message>
        <source>GS1 起始EPC (SGTIN-96)</source>
        <translation>GS1 start EPC (SGTIN-96)</translation>
    </message>
    <message>
        <source>14 位 GTIN，含校验位</source>
        <translation>14-digit GTIN with check digit</translation>
    </message>
    <message>
        <source>GTIN：</source>
        <translation>GTIN:</translation>
    </message>
    <message>
        <source>厂商识别代码位数：</source>
        <translation>Company prefix digits:</translation>
    </message>
    <message>
        <source>过滤值：</source>
        <translation>Filter value:</translation>
    </message>
    <message>
        <source>起始序列号：</source>
        <translation>First serial number:</translation>
    </message>
    <message>
        <source>EPC：%1
%2</source>
        <translation>EPC: %1
%2</translation>
    </message>
    <message>
        <source>不能编码：%1</source>
        <translation>Cannot encode: %1</translation>
    </message>
</context>
<context>
    <name>HexWordsModel</name>
    <message>
        <source>读到的值：%1（未写入）</source>
        <translation>Value read: %1 (not written yet)</translation>
    </message>
</context>
<context>
    <name>InventoryPage</name>
    <message>
        <source>开始盘点</source>
        <translation>Start inventory</translation>
    </message>
    <message>
        <source>停止盘点</source>
        <translation>Stop inventory</translation>
    </message>
    <message>
        <source> 秒</source>
        <translation> s</translation>
    </message>
    <message>
        <source>超过这段时间没有读到的标签显示为灰色（0：不灰显）</source>
        <translation>Tags not read for this long are shown grey (0: never)</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>导出CSV</source>
        <translation>Export CSV</translation>
    </message>
    <message>
        <source>未见灰显</source>
        <translation>Grey after</translation>
    </message>
    <message>
        <source>盘点：%1   </source>
        <translation>Inventory: %1   </translation>
    </message>
    <message>
        <source>盘点结束：%1 个标签，读到 %2 次，%3 轮   </source>
        <translation>Inventory ended: %1 tags, %2 reads, %3 rounds   </translation>
    </message>
    <message>
        <source>标签 %1 个   读到 %2 次   现在 %3 次/秒   平均 %4 次/秒   用时 %5:%6</source>
        <translation>Tags %1   reads %2   now %3/s   mean %4/s   time %5:%6</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>导出盘点结果</source>
        <translation>Export the inventory</translation>
    </message>
    <message>
        <source>CSV 文件 (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>USB HID</source>
        <translation>USB HID</translation>
    </message>
    <message>
        <source>串口</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>USB HID：经读卡器逐轮盘点；串口：读卡器的 USB 虚拟串口或串口上的模块，连续盘点</source>
        <translation>USB HID: one round after another through the reader; Serial: the reader&apos;s USB virtual serial port or a module on a serial port, streaming</translation>
    </message>
    <message>
        <source>EPC 开头</source>
        <translation>EPC prefix</translation>
    </message>
    <message>
        <source>只盘点 EPC 以这些字节开头的标签（十六进制，1 到 31 个字节）；空：不过滤</source>
        <translation>Inventory only tags whose EPC starts with these bytes (hex, 1 to 31 bytes); empty: no filter</translation>
    </message>
    <message>
        <source>单个标签...</source>
        <translation>Single tag...</translation>
    </message>
    <message>
        <source>盘点一次，对场内唯一的标签进行读写、锁定和灭活</source>
        <translation>Inventory once, then read, write, lock or kill the one tag in the field</translation>
    </message>
    <message>
        <source>链路</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>掩码</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>掩码“%1”不是 1 到 %2 个字节的十六进制数</source>
        <translation>The mask &quot;%1&quot; is not 1 to %2 bytes of hex: enter whole hex bytes, or leave it empty</translation>
    </message>
    <message>
        <source>盘点：没有可用串口</source>
        <translation>Inventory: no serial port available: plug in the reader or choose the USB HID link</translation>
    </message>
    <message>
        <source>盘点：串口 %1 已在“串口功能”页打开，由终端使用；请先在那里点“COM关闭”，再开始盘点</source>
        <translation>Inventory: serial port %1 is open on the &quot;Serial&quot; page for the terminal; click &quot;Close COM&quot; there first, then start the inventory</translation>
    </message>
    <message>
        <source>盘点结束：%1 个标签，读到 %2 次（串口 %3）</source>
        <translation>Inventory ended: %1 tags, %2 reads (serial port %3)</translation>
    </message>
    <message>
        <source>盘点：设置掩码失败：%1</source>
        <translation>Inventory: setting the mask failed: %1</translation>
    </message>
    <message>
        <source>盘点：</source>
        <translation>Inventory: </translation>
    </message>
    <message>
        <source>盘点：串口 %1 的连接已断开（设备已拔出或已切换模式），盘点已停止</source>
        <translation>Inventory: the connection on serial port %1 was lost (device unplugged or switched mode); inventory stopped</translation>
    </message>
    <message>
        <source>盘点：模块没有回答停止盘点 (28)，它也许还在盘点</source>
        <translation>Inventory: the module did not answer the stop (28); it may still be reading</translation>
    </message>
    <message>
        <source>过滤中：只盘点 EPC 以 %1 开头的标签</source>
        <translation>Filter on: only tags whose EPC starts with %1</translation>
    </message>
    <message>
        <source>标签操作：%1...</source>
        <translation>Tag operations: %1...</translation>
    </message>
    <message>
        <source>盘点失败：%1</source>
        <translation>Inventory failed: %1</translation>
    </message>
    <message>
        <source>场内没有标签应答：请放一个标签在天线前。</source>
        <translation>No tag answered: place one tag in front of the antenna.</translation>
    </message>
    <message>
        <source>场内有 %1 个标签：请只留一个，或在表中右键点选要操作的标签。</source>
        <translation>There are %1 tags in the field: leave only one, or right-click the tag you want in the table.</translation>
    </message>
</context>
<context>
    <name>Iso14443bPage</name>
    <message>
        <source>操作成功   </source>
        <translation>Done   </translation>
    </message>
    <message>
        <source>操作失败   </source>
        <translation>Failed   </translation>
    </message>
    <message>
        <source>参数设置成功.....</source>
        <translation>Parameters set.....</translation>
    </message>
    <message>
        <source>连续读      </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>卡请求</source>
        <translation>Request card</translation>
    </message>
    <message>
        <source>防冲突</source>
        <translation>Anticollision</translation>
    </message>
    <message>
        <source>请输入卡ID号码：         </source>
        <translation>Card ID: </translation>
    </message>
    <message>
        <source>复位卡</source>
        <translation>Reset card</translation>
    </message>
    <message>
        <source>数据：    </source>
        <translation>Data: </translation>
    </message>
    <message>
        <source>发送数据</source>
        <translation>Send data</translation>
    </message>
    <message>
        <source>第二代居民身份证</source>
        <translation>Resident identity card (2nd generation)</translation>
    </message>
    <message>
        <source>读身份证ID号：     </source>
        <translation>Read identity card ID: </translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>读身份证文件ID号：   </source>
        <translation>Read identity file ID: </translation>
    </message>
    <message>
        <source>卡片复位数据的长度为:</source>
        <translation>Reset data length: </translation>
    </message>
    <message>
        <source>返回操作后的数据为:</source>
        <translation>Data returned: </translation>
    </message>
    <message>
        <source>操作成功、复位成功   </source>
        <translation>Done, card reset   </translation>
    </message>
    <message>
        <source>卡的序列号为：</source>
        <translation>Card serial number: </translation>
    </message>
    <message>
        <source>返回卡号为:</source>
        <translation>Card number: </translation>
    </message>
    <message>
        <source>读卡号操作失败   </source>
        <translation>Reading the card number failed   </translation>
    </message>
    <message>
        <source>操作后的数据串为：</source>
        <translation>Data returned: </translation>
    </message>
    <message>
        <source>无数据接收..</source>
        <translation>No data received..</translation>
    </message>
</context>
<context>
    <name>Iso15693Page</name>
    <message>
        <source>操作成功   </source>
        <translation>Done   </translation>
    </message>
    <message>
        <source>操作失败   </source>
        <translation>Failed   </translation>
    </message>
    <message>
        <source>防冲突</source>
        <translation>Anticollision</translation>
    </message>
    <message>
        <source>连续读   </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>读卡失败   </source>
        <translation>Reading the card failed   </translation>
    </message>
    <message>
        <source>起始块  </source>
        <translation>First block </translation>
    </message>
    <message>
        <source>块数量  </source>
        <translation>Blocks </translation>
    </message>
    <message>
        <source>卡的uid信息    </source>
        <translation>Card UID </translation>
    </message>
    <message>
        <source>卡片读</source>
        <translation>Read card</translation>
    </message>
    <message>
        <source>连续读     </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>标志位为：</source>
        <translation>Flags: </translation>
    </message>
    <message>
        <source>读卡返回数据为：</source>
        <translation>Data read: </translation>
    </message>
    <message>
        <source>卡uid  </source>
        <translation>Card UID </translation>
    </message>
    <message>
        <source>要写的数据    </source>
        <translation>Data to write </translation>
    </message>
    <message>
        <source>卡片写</source>
        <translation>Write card</translation>
    </message>
    <message>
        <source>连续写   </source>
        <translation>Keep writing </translation>
    </message>
    <message>
        <source>写卡操作成功   </source>
        <translation>Card written   </translation>
    </message>
    <message>
        <source>写卡失败   </source>
        <translation>Writing the card failed   </translation>
    </message>
    <message>
        <source>要锁的块号           </source>
        <translation>Block to lock </translation>
    </message>
    <message>
        <source>锁定块</source>
        <translation>Lock block</translation>
    </message>
    <message>
        <source>锁操作成功   </source>
        <translation>Block locked   </translation>
    </message>
    <message>
        <source>锁操作失败   </source>
        <translation>Locking failed   </translation>
    </message>
    <message>
        <source>卡的uid信息  </source>
        <translation>Card UID </translation>
    </message>
    <message>
        <source>选择卡</source>
        <translation>Select card</translation>
    </message>
    <message>
        <source>选择卡操作成功   </source>
        <translation>Card selected   </translation>
    </message>
    <message>
        <source>选择卡操作失败   </source>
        <translation>Selecting the card failed   </translation>
    </message>
    <message>
        <source>写AFI</source>
        <translation>Write AFI</translation>
    </message>
    <message>
        <source>写AFI操作成功   </source>
        <translation>AFI written   </translation>
    </message>
    <message>
        <source>写AFI操作失败   </source>
        <translation>Writing the AFI failed   </translation>
    </message>
    <message>
        <source>锁定AFI</source>
        <translation>Lock AFI</translation>
    </message>
    <message>
        <source>锁定AFI操作成功   </source>
        <translation>AFI locked   </translation>
    </message>
    <message>
        <source>锁定AFI操作失败   </source>
        <translation>Locking the AFI failed   </translation>
    </message>
    <message>
        <source>写DSFID</source>
        <translation>Write DSFID</translation>
    </message>
    <message>
        <source>写DSFID操作成功   </source>
        <translation>DSFID written   </translation>
    </message>
    <message>
        <source>写DSFID操作失败   </source>
        <translation>Writing the DSFID failed   </translation>
    </message>
    <message>
        <source>锁定DSFID</source>
        <translation>Lock DSFID</translation>
    </message>
    <message>
        <source>锁定DSFID操作成功   </source>
        <translation>DSFID locked   </translation>
    </message>
    <message>
        <source>锁定DSFID操作失败   </source>
        <translation>Locking the DSFID failed   </translation>
    </message>
    <message>
        <source>系统信息</source>
        <translation>System info</translation>
    </message>
    <message>
        <source>  Flags值为： </source>
        <translation>  Flags: </translation>
    </message>
    <message>
        <source>  INFO Flags值为： </source>
        <translation>  INFO flags: </translation>
    </message>
    <message>
        <source>  卡UID值为： </source>
        <translation>  Card UID: </translation>
    </message>
    <message>
        <source>  DSFID值为： </source>
        <translation>  DSFID: </translation>
    </message>
    <message>
        <source>  AFI值为： </source>
        <translation>  AFI: </translation>
    </message>
    <message>
        <source>  Other fields值为： </source>
        <translation>  Other fields: </translation>
    </message>
    <message>
        <source>起始块号  </source>
        <translation>First block </translation>
    </message>
    <message>
        <source>数据长度  </source>
        <translation>Length </translation>
    </message>
    <message>
        <source>块安全位</source>
        <translation>Block security</translation>
    </message>
    <message>
        <source>读卡块安全位失败   </source>
        <translation>Reading the block security status failed   </translation>
    </message>
    <message>
        <source>块安全位状态为：</source>
        <translation>Block security status: </translation>
    </message>
    <message>
        <source>标志位    </source>
        <translation>Flags </translation>
    </message>
    <message>
        <source>域内的卡片数量为：</source>
        <translation>Cards in the field: </translation>
    </message>
    <message>
        <source>域内的卡片数据为：</source>
        <translation>Card data in the field: </translation>
    </message>
    <message>
        <source>第%1张卡卡号为：</source>
        <translation>Card %1 number: </translation>
    </message>
</context>
<context>
    <name>JournalWindow</name>
    <message>
        <source>待定</source>
        <translation>Pending</translation>
    </message>
    <message>
        <source>已写</source>
        <translation>Written</translation>
    </message>
    <message>
        <source>不明</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>未写</source>
        <translation>Not written</translation>
    </message>
    <message>
        <source>发卡记录</source>
        <translation>Issuing journal</translation>
    </message>
    <message>
        <source>EPC号</source>
        <translation>EPC</translation>
    </message>
    <message>
        <source>工位</source>
        <translation>Station</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>GS1编码</source>
        <translation>GS1 encoding</translation>
    </message>
    <message>
        <source>导出...</source>
        <translation>Export...</translation>
    </message>
    <message>
        <source>导出发卡记录</source>
        <translation>Export the issuing journal</translation>
    </message>
    <message>
        <source>EPCIS导出...</source>
        <translation>EPCIS export...</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>已导出 %1 条发卡记录到 %2   </source>
        <translation>%1 journal records exported to %2   </translation>
    </message>
    <message>
        <source>%1：已锁定，已验证</source>
        <translation>%1: locked, verified</translation>
    </message>
    <message>
        <source>%1：锁定失败，标签未受保护</source>
        <translation>%1: lock failed, tag not protected</translation>
    </message>
    <message>
        <source>%1：锁定未完成，待核对</source>
        <translation>%1: lock unfinished, to be checked</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
</context>
<context>
    <name>ModuleSettingsGroup</name>
    <message>
        <source>射频设置</source>
        <translation>RF settings</translation>
    </message>
    <message>
        <source>模块：未读取</source>
        <translation>Module: not read yet</translation>
    </message>
    <message>
        <source>跳频</source>
        <translation>Hopping</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>功率</source>
        <translation>Power</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>区域</source>
        <translation>Region</translation>
    </message>
    <message>
        <source>信道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>%1成功   </source>
        <translation>%1: done   </translation>
    </message>
    <message>
        <source>%1失败   </source>
        <translation>%1: failed   </translation>
    </message>
    <message>
        <source>读取模块信息</source>
        <translation>Read module information</translation>
    </message>
    <message>
        <source>模块：%1</source>
        <translation>Module: %1</translation>
    </message>
    <message>
        <source>读取发射功率</source>
        <translation>Read transmit power</translation>
    </message>
    <message>
        <source>读取工作区域</source>
        <translation>Read region</translation>
    </message>
    <message>
        <source>读取信道</source>
        <translation>Read channel</translation>
    </message>
    <message>
        <source>读取 Query 参数</source>
        <translation>Read Query parameters</translation>
    </message>
    <message>
        <source>%1，功率 %2，%3，信道 %4，%5   </source>
        <translation>%1, power %2, %3, channel %4, %5   </translation>
    </message>
    <message>
        <source>设置发射功率 %1 dBm </source>
        <translation>Set transmit power to %1 dBm</translation>
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
        <translation>Switch frequency hopping on</translation>
    </message>
    <message>
        <source>关闭跳频 </source>
        <translation>Switch frequency hopping off</translation>
    </message>
    <message>
        <source>设置 Query 参数 %1 </source>
        <translation>Set Query parameters %1</translation>
    </message>
</context>
<context>
    <name>OutputFormatPage</name>
    <message>
        <source>数据前面加 ; 号  </source>
        <translation>; before the data </translation>
    </message>
    <message>
        <source>数据后面加?号  </source>
        <translation>? after the data </translation>
    </message>
    <message>
        <source>中间加逗号</source>
        <translation>Comma in between</translation>
    </message>
    <message>
        <source>数据后面加回车</source>
        <translation>Enter after the data</translation>
    </message>
    <message>
        <source>通讯信息</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>通讯COM口：</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>波特率选择：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>当前机器ID号：  </source>
        <translation>Reader address: </translation>
    </message>
    <message>
        <source>COM打开</source>
        <translation>Open COM</translation>
    </message>
    <message>
        <source>COM关闭</source>
        <translation>Close COM</translation>
    </message>
    <message>
        <source> 输出格式设置 </source>
        <translation> Output format </translation>
    </message>
    <message>
        <source>卡号16进制输出</source>
        <translation>Card number in hex,</translation>
    </message>
    <message>
        <source>个字节       </source>
        <translation>bytes </translation>
    </message>
    <message>
        <source>00 表示输出全部卡号        </source>
        <translation>(00: the whole number) </translation>
    </message>
    <message>
        <source>数据后面加RSSI</source>
        <translation>RSSI after the data</translation>
    </message>
    <message>
        <source>蜂鸣器 </source>
        <translation>Buzzer</translation>
    </message>
    <message>
        <source>大蜂鸣器</source>
        <translation>Large buzzer</translation>
    </message>
    <message>
        <source>小蜂鸣器</source>
        <translation>Small buzzer</translation>
    </message>
    <message>
        <source>增加自定义字节    </source>
        <translation>Add a custom byte </translation>
    </message>
    <message>
        <source>格式设置：   </source>
        <translation>Format: </translation>
    </message>
    <message>
        <source>读卡器状态：      </source>
        <translation>Reading mode: </translation>
    </message>
    <message>
        <source>恢复出厂：   </source>
        <translation>Factory reset: </translation>
    </message>
    <message>
        <source>读版本号： </source>
        <translation>Version:</translation>
    </message>
    <message>
        <source>设置格式</source>
        <translation>Set format</translation>
    </message>
    <message>
        <source>读取格式</source>
        <translation>Read format</translation>
    </message>
    <message>
        <source>读取输出格式失败   </source>
        <translation>Reading the output format failed   </translation>
    </message>
    <message>
        <source>主动读卡</source>
        <translation>Active reading</translation>
    </message>
    <message>
        <source>设置主动读卡成功   </source>
        <translation>Active reading set   </translation>
    </message>
    <message>
        <source>设置主动读卡失败   </source>
        <translation>Setting active reading failed   </translation>
    </message>
    <message>
        <source>被动读卡</source>
        <translation>Passive reading</translation>
    </message>
    <message>
        <source>设置被动读卡成功   </source>
        <translation>Passive reading set   </translation>
    </message>
    <message>
        <source>设置被动读卡失败   </source>
        <translation>Setting passive reading failed   </translation>
    </message>
    <message>
        <source>恢复出厂</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>恢复出厂设置成功   </source>
        <translation>Factory settings restored   </translation>
    </message>
    <message>
        <source>恢复出厂设置失败   </source>
        <translation>Restoring the factory settings failed   </translation>
    </message>
    <message>
        <source>版本号</source>
        <translation>Version</translation>
    </message>
    <message>
        <source>读取版本号失败   </source>
        <translation>Reading the version failed   </translation>
    </message>
    <message>
        <source>关闭声音</source>
        <translation>Sound off</translation>
    </message>
    <message>
        <source>读取输出格式成功   </source>
        <translation>Output format read   </translation>
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
        <source>打开声音</source>
        <translation>Sound on</translation>
    </message>
    <message>
        <source>发送蜂鸣器打开指令</source>
        <translation>Buzzer on command sent</translation>
    </message>
    <message>
        <source>发送蜂鸣器关闭指令</source>
        <translation>Buzzer off command sent</translation>
    </message>
</context>
<context>
    <name>PageSupport</name>
    <message>
        <source>无法保存文件 %1：%2</source>
        <translation>Cannot save the file %1: %2</translation>
    </message>
</context>
<context>
    <name>PrefixSuffixPage</name>
    <message>
        <source>第一个字节      </source>
        <translation>Byte 1 </translation>
    </message>
    <message>
        <source>第二个字节      </source>
        <translation>Byte 2 </translation>
    </message>
    <message>
        <source>第三个字节      </source>
        <translation>Byte 3 </translation>
    </message>
    <message>
        <source>第四个字节      </source>
        <translation>Byte 4 </translation>
    </message>
    <message>
        <source>前后缀设置</source>
        <translation>Prefix and suffix</translation>
    </message>
    <message>
        <source>915M机器信息</source>
        <translation>915 MHz reader settings</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>输出接口设置：  </source>
        <translation>Output interfaces: </translation>
    </message>
    <message>
        <source>设置波特率:      </source>
        <translation>Baud rate: </translation>
    </message>
    <message>
        <source>（要设置的波特率）              </source>
        <translation>(the baud rate to set) </translation>
    </message>
</context>
<context>
    <name>ProfileWindow</name>
    <message>
        <source>成功</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>没有应答</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>数据出错</source>
        <translation>Garbled reply</translation>
    </message>
    <message>
        <source>读回不符</source>
        <translation>Read-back differs</translation>
    </message>
    <message>
        <source>未发送</source>
        <translation>Not sent</translation>
    </message>
    <message>
        <source>当前读卡器</source>
        <translation>Current reader</translation>
    </message>
    <message>
        <source>应用设置方案 %1</source>
        <translation>Apply profile %1</translation>
    </message>
    <message>
        <source>设置方案 %1 中的设置（按页面顺序发送）：</source>
        <translation>Settings in profile %1 (sent in page order):</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>命令</source>
        <translation>Command</translation>
    </message>
    <message>
        <source>设置所有已连接的读卡器</source>
        <translation>Set up every connected reader</translation>
    </message>
    <message>
        <source>读卡器</source>
        <translation>Reader</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Details</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>复制结果</source>
        <translation>Copy results</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>未找到读卡器</source>
        <translation>No reader found</translation>
    </message>
    <message>
        <source>读卡器已断开</source>
        <translation>Reader disconnected</translation>
    </message>
    <message>
        <source>%1：已断开</source>
        <translation>%1: disconnected</translation>
    </message>
    <message>
        <source>%1：设置完成</source>
        <translation>%1: set up</translation>
    </message>
    <message>
        <source>%1：设置失败（%2 %3）</source>
        <translation>%1: setup failed (%2 %3)</translation>
    </message>
    <message>
        <source>（记录失败：%1）</source>
        <translation> (not recorded: %1)</translation>
    </message>
</context>
<context>
    <name>ReadModePage</name>
    <message>
        <source>读卡模式切换</source>
        <translation>Read mode</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>扇区结构</source>
        <translation>Memory map</translation>
    </message>
    <message>
        <source>继电器信号控制</source>
        <translation>Relay output</translation>
    </message>
    <message>
        <source>继电器开</source>
        <translation>Relay on</translation>
    </message>
    <message>
        <source>继电器关</source>
        <translation>Relay off</translation>
    </message>
</context>
<context>
    <name>ReadRatePlot</name>
    <message>
        <source>读/秒（柱）</source>
        <translation>Reads/s (bars)</translation>
    </message>
    <message>
        <source>现在</source>
        <translation>Now</translation>
    </message>
    <message>
        <source>所选标签 RSSI（线）</source>
        <translation>Selected tag RSSI (line)</translation>
    </message>
</context>
<context>
    <name>ReaderDialog</name>
    <message>
        <source>选择读卡器</source>
        <translation>Choose reader</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>添加读卡器USB ID：</source>
        <translation>Add a reader USB ID:</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>找到的读卡器：</source>
        <translation>Readers found:</translation>
    </message>
    <message>
        <source>  序列号 %1</source>
        <translation>  serial number %1</translation>
    </message>
    <message>
        <source>未找到读卡器</source>
        <translation>No reader found</translation>
    </message>
    <message>
        <source>读卡器库不能列出读卡器</source>
        <translation>The reader library cannot list readers</translation>
    </message>
    <message>
        <source>格式为 vvvv:pppp（十六进制）</source>
        <translation>Format: vvvv:pppp (hex)</translation>
    </message>
    <message>
        <source>读卡器库不接受此ID</source>
        <translation>The reader library does not accept this ID</translation>
    </message>
    <message>
        <source>已添加</source>
        <translation>Added</translation>
    </message>
</context>
<context>
    <name>S50S70Page</name>
    <message>
        <source>读卡失败   </source>
        <translation>Reading the card failed   </translation>
    </message>
    <message>
        <source>操作成功   </source>
        <translation>Done   </translation>
    </message>
    <message>
        <source>扇区尾块 %1 的控制字 %2 无效，写入会永久锁死该扇区，未发送   </source>
        <translation>The access bits %2 of sector trailer %1 are invalid and would lock the sector for good; nothing sent   </translation>
    </message>
    <message>
        <source>起始块       </source>
        <translation>First block </translation>
    </message>
    <message>
        <source>块的数量     </source>
        <translation>Blocks </translation>
    </message>
    <message>
        <source>密钥       </source>
        <translation>Key </translation>
    </message>
    <message>
        <source>读卡</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>连续读      </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>起始地址        </source>
        <translation>First block </translation>
    </message>
    <message>
        <source>块的数量      </source>
        <translation>Blocks </translation>
    </message>
    <message>
        <source>密钥     </source>
        <translation>Key </translation>
    </message>
    <message>
        <source>写卡</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>连续写        </source>
        <translation>Keep writing </translation>
    </message>
    <message>
        <source> 初始值  </source>
        <translation> Initial value </translation>
    </message>
    <message>
        <source>初始化</source>
        <translation>Initialise</translation>
    </message>
    <message>
        <source> 加值  </source>
        <translation> Increment by </translation>
    </message>
    <message>
        <source>加值</source>
        <translation>Increment</translation>
    </message>
    <message>
        <source> 减值  </source>
        <translation> Decrement by </translation>
    </message>
    <message>
        <source>减值</source>
        <translation>Decrement</translation>
    </message>
    <message>
        <source>Halt命令：     </source>
        <translation>Halt command: </translation>
    </message>
    <message>
        <source>需要录入数据      </source>
        <translation>Needs data </translation>
    </message>
    <message>
        <source>读卡号</source>
        <translation>Read card number</translation>
    </message>
    <message>
        <source>连续读        </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>HALT操作成功   </source>
        <translation>Card halted   </translation>
    </message>
    <message>
        <source>HALT操作失败   </source>
        <translation>Halting the card failed   </translation>
    </message>
    <message>
        <source>读卡号操作失败   </source>
        <translation>Reading the card number failed   </translation>
    </message>
    <message>
        <source>返回卡号为:</source>
        <translation>Card number: </translation>
    </message>
    <message>
        <source>检测到的卡的数量为一张卡..</source>
        <translation>One card in the field..</translation>
    </message>
    <message>
        <source>检测到的卡的数量为多张卡..</source>
        <translation>Several cards in the field..</translation>
    </message>
    <message>
        <source>扇区   </source>
        <translation>Sector </translation>
    </message>
    <message>
        <source>返回卡ID号为:</source>
        <translation>Card ID: </translation>
    </message>
    <message>
        <source>剩余值为为: </source>
        <translation>Remaining value: </translation>
    </message>
    <message>
        <source>卡号为:</source>
        <translation>Card number: </translation>
    </message>
    <message>
        <source>卡的数据为:</source>
        <translation>Card data: </translation>
    </message>
</context>
<context>
    <name>SerialPage</name>
    <message>
        <source>没有可用串口</source>
        <translation>No serial port available</translation>
    </message>
    <message>
        <source>主动-寻单张卡EPC号                 </source>
        <translation>Active: EPC of a single tag </translation>
    </message>
    <message>
        <source>主动寻单卡EPC号</source>
        <translation>active single-tag EPC</translation>
    </message>
    <message>
        <source>被动读写器模式                 </source>
        <translation>Passive (command) mode </translation>
    </message>
    <message>
        <source>被动读写器模式</source>
        <translation>passive mode</translation>
    </message>
    <message>
        <source>主动-寻多张卡EPC号        </source>
        <translation>Active: EPCs of several tags </translation>
    </message>
    <message>
        <source>主动寻多张卡EPC号</source>
        <translation>active multi-tag EPC</translation>
    </message>
    <message>
        <source>主动-读TID号 </source>
        <translation>Active: TID</translation>
    </message>
    <message>
        <source>主动读TID号</source>
        <translation>active TID</translation>
    </message>
    <message>
        <source>主动读取存储扇区</source>
        <translation>Active: memory area</translation>
    </message>
    <message>
        <source>通讯信息</source>
        <translation>Connection</translation>
    </message>
    <message>
        <source>COM打开</source>
        <translation>Open COM</translation>
    </message>
    <message>
        <source>COM关闭</source>
        <translation>Close COM</translation>
    </message>
    <message>
        <source>通讯COM口：</source>
        <translation>COM port:</translation>
    </message>
    <message>
        <source>波特率选择：</source>
        <translation>Baud rate:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>切换成USB_HID模式：       </source>
        <translation>Switch to USB HID: </translation>
    </message>
    <message>
        <source>切换成USB键盘输出： </source>
        <translation>Switch to USB keyboard output:</translation>
    </message>
    <message>
        <source>USB键盘模式切换：  </source>
        <translation>USB keyboard mode: </translation>
    </message>
    <message>
        <source>切换成USB虚拟串口：  </source>
        <translation>Switch to USB virtual serial port: </translation>
    </message>
    <message>
        <source>扇区结构</source>
        <translation>Memory map</translation>
    </message>
    <message>
        <source>扇区   </source>
        <translation>Bank</translation>
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
        <source>发送信息</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>发送框最多容纳 %1 个字符，粘贴的数据多出的 %2 个字符未放入   </source>
        <translation>The send box holds at most %1 characters; %2 characters of the pasted data were left out   </translation>
    </message>
    <message>
        <source>串口发送</source>
        <translation>Over serial</translation>
    </message>
    <message>
        <source>USB发送</source>
        <translation>Over USB</translation>
    </message>
    <message>
        <source>周期：</source>
        <translation>Period:</translation>
    </message>
    <message>
        <source>毫秒      </source>
        <translation>ms </translation>
    </message>
    <message>
        <source>自动发送</source>
        <translation>Send periodically</translation>
    </message>
    <message>
        <source>发送数据</source>
        <translation>Send data</translation>
    </message>
    <message>
        <source>载入数据</source>
        <translation>Load data</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save as</translation>
    </message>
    <message>
        <source>清空发送框</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>读写状态</source>
        <translation>Read/write mode</translation>
    </message>
    <message>
        <source>串口调试状态状态</source>
        <translation>Serial debug mode</translation>
    </message>
    <message>
        <source>自动检测卡状态</source>
        <translation>Card detection mode</translation>
    </message>
    <message>
        <source>没有使用权限，请把用户加入 dialout 组（sudo usermod -aG dialout %1），重新登录后生效</source>
        <translation>no permission: add the user to the group dialout (sudo usermod -aG dialout %1), then log out and in again</translation>
    </message>
    <message>
        <source>正被进程 %1（%2）使用</source>
        <translation>in use by process %1 (%2)</translation>
    </message>
    <message>
        <source>正被其他程序使用</source>
        <translation>in use by another program</translation>
    </message>
    <message>
        <source>串口 %1 未列出：%2   </source>
        <translation>Serial port %1 not listed: %2   </translation>
    </message>
    <message>
        <source>USB_HID模式设置成功   </source>
        <translation>Switched to USB HID   </translation>
    </message>
    <message>
        <source>USB_HID模式设置失败   </source>
        <translation>Switching to USB HID failed   </translation>
    </message>
    <message>
        <source>USB虚拟串口设置成功   </source>
        <translation>Switched to USB virtual serial port   </translation>
    </message>
    <message>
        <source>USB虚拟串口设置失败   </source>
        <translation>Switching to USB virtual serial port failed   </translation>
    </message>
    <message>
        <source>设置 %1 成功   </source>
        <translation>Read mode set: %1   </translation>
    </message>
    <message>
        <source>设置%1失败   </source>
        <translation>Setting %1 failed   </translation>
    </message>
    <message>
        <source>载入数据！</source>
        <translation>Load data</translation>
    </message>
    <message>
        <source>保存接收数据！</source>
        <translation>Save the received data</translation>
    </message>
    <message>
        <source>文本文件(.txt) (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>文件 %1 不是文本文件，未载入</source>
        <translation>The file %1 is not a text file; nothing loaded</translation>
    </message>
    <message>
        <source>无法打开文件 %1：%2</source>
        <translation>Cannot open the file %1: %2</translation>
    </message>
    <message>
        <source>文件 %1 大于 1 MB，未载入</source>
        <translation>The file %1 is larger than 1 MB; nothing loaded</translation>
    </message>
    <message>
        <source>串口 %1 已不存在（读卡器或串口线已拔下）：请重新插上，再在“通讯COM口”中选择串口   </source>
        <translation>Serial port %1 is gone (reader or cable unplugged): plug it in again, then choose the port under &quot;COM port&quot;   </translation>
    </message>
    <message>
        <source>主动读取存储扇区</source>
        <comment>read mode in a log line</comment>
        <translation>active memory area</translation>
    </message>
</context>
<context>
    <name>SystemCommandsPage</name>
    <message>
        <source>系统命令</source>
        <translation>System commands</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>待设置的波特率</source>
        <translation>The baud rate to set</translation>
    </message>
    <message>
        <source>设置波特率:      </source>
        <translation>Baud rate: </translation>
    </message>
    <message>
        <source>（要设置的波特率）              </source>
        <translation>(the baud rate to set) </translation>
    </message>
    <message>
        <source>读取机器ID号:         </source>
        <translation>Read reader address: </translation>
    </message>
    <message>
        <source>要设置的新地址 ,十六进制表示。</source>
        <translation>The new address, in hex.</translation>
    </message>
    <message>
        <source>重设置机器ID号：    </source>
        <translation>Set reader address: </translation>
    </message>
    <message>
        <source>（范围0~FF）  </source>
        <translation>(00 to FF) </translation>
    </message>
    <message>
        <source>读取机器的序列号：    </source>
        <translation>Read serial number: </translation>
    </message>
    <message>
        <source>重设置机器序列号：     </source>
        <translation>Set serial number: </translation>
    </message>
    <message>
        <source>8个字节     </source>
        <translation>8 bytes </translation>
    </message>
    <message>
        <source>led的控制：</source>
        <translation>LED:</translation>
    </message>
    <message>
        <source>  周期      </source>
        <translation>  Period </translation>
    </message>
    <message>
        <source>led-R 的控制：</source>
        <translation>LED-R:</translation>
    </message>
    <message>
        <source>buzzer的控制：</source>
        <translation>Buzzer:</translation>
    </message>
    <message>
        <source>  周期        </source>
        <translation>  Period </translation>
    </message>
    <message>
        <source>次数     </source>
        <translation>Count </translation>
    </message>
    <message>
        <source>设置%1操作成功   </source>
        <translation>%1 set   </translation>
    </message>
    <message>
        <source>设置%1操作失败   </source>
        <translation>Setting %1 failed   </translation>
    </message>
    <message>
        <source>系统地址为 : </source>
        <translation>Reader address: </translation>
    </message>
    <message>
        <source>操作失败        </source>
        <translation>Failed        </translation>
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
        <source>读写器地址设置成功   </source>
        <translation>Reader address set   </translation>
    </message>
    <message>
        <source>读写器地址设置失败   </source>
        <translation>Setting the reader address failed   </translation>
    </message>
    <message>
        <source>读序列号成功   </source>
        <translation>Serial number read   </translation>
    </message>
    <message>
        <source>读序列号失败   </source>
        <translation>Reading the serial number failed   </translation>
    </message>
    <message>
        <source>地址为：</source>
        <translation>Address: </translation>
    </message>
    <message>
        <source>序列号为：</source>
        <translation>Serial number: </translation>
    </message>
    <message>
        <source>机器序列号设置成功   </source>
        <translation>Serial number set   </translation>
    </message>
    <message>
        <source>机器序列号设置失败   </source>
        <translation>Setting the serial number failed   </translation>
    </message>
    <message>
        <source>读卡器硬件状态切换</source>
        <translation>Reader mode</translation>
    </message>
    <message>
        <source>读卡器硬件状态切换：      </source>
        <translation>Reader mode: </translation>
    </message>
    <message>
        <source>主动读卡</source>
        <translation>Active reading</translation>
    </message>
    <message>
        <source>被动读卡</source>
        <translation>Passive reading</translation>
    </message>
    <message>
        <source>程序等待时间：   </source>
        <translation>Wait time: </translation>
    </message>
    <message>
        <source>毫秒（ms）</source>
        <translation>ms</translation>
    </message>
</context>
<context>
    <name>TForm1</name>
    <message>
        <source>设置输出格式软件 V2.9</source>
        <translation>Reader Setup V2.9</translation>
    </message>
    <message>
        <source>读卡器状态 输出格式</source>
        <translation>Output format</translation>
    </message>
    <message>
        <source>系统命令</source>
        <translation>System commands</translation>
    </message>
    <message>
        <source>前后缀数据输入</source>
        <translation>Prefix, suffix</translation>
    </message>
    <message>
        <source>配置读卡模式</source>
        <translation>Read mode</translation>
    </message>
    <message>
        <source>串口功能</source>
        <translation>Serial</translation>
    </message>
    <message>
        <source>Wifi功能</source>
        <translation>WiFi</translation>
    </message>
    <message>
        <source>标签盘点</source>
        <translation>Inventory</translation>
    </message>
    <message>
        <source>系统</source>
        <translation>System</translation>
    </message>
    <message>
        <source>选择读卡器...</source>
        <translation>Choose reader...</translation>
    </message>
    <message>
        <source>自动发卡使用发卡记录</source>
        <translation>Record automatic issuing in the journal</translation>
    </message>
    <message>
        <source>发卡记录...</source>
        <translation>Issuing journal...</translation>
    </message>
    <message>
        <source>设置方案</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>保存当前设置…</source>
        <translation>Save current settings…</translation>
    </message>
    <message>
        <source>应用设置方案…</source>
        <translation>Apply a profile…</translation>
    </message>
    <message>
        <source>发卡工位名称...</source>
        <translation>Issuing station name...</translation>
    </message>
    <message>
        <source>发卡工位</source>
        <translation>Issuing station</translation>
    </message>
    <message>
        <source>本工位在发卡记录中的名称（1 到 64 个字符）：</source>
        <translation>The name of this station in the issuing journal (1 to 64 characters):</translation>
    </message>
    <message>
        <source>显示 GS1 编码</source>
        <translation>Show GS1 encoding</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>风格选择</source>
        <translation>Style</translation>
    </message>
    <message>
        <source>风格%1</source>
        <translation>Style %1</translation>
    </message>
    <message>
        <source>页面选择</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>版本更新记录</source>
        <translation>Version history</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>撤消</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>粘贴...</source>
        <translation>Paste...</translation>
    </message>
    <message>
        <source>保存接收数据！</source>
        <translation>Save the received data</translation>
    </message>
    <message>
        <source>文本文件(.txt) (*.txt)</source>
        <translation>Text files (*.txt)</translation>
    </message>
    <message>
        <source>自动发卡进行中，请先停止发卡</source>
        <translation>Automatic issuing is running: stop it first</translation>
    </message>
    <message>
        <source>发卡工位：%1</source>
        <translation>Issuing station: %1</translation>
    </message>
    <message>
        <source>保存设置方案</source>
        <translation>Save profile</translation>
    </message>
    <message>
        <source>设置方案 (*.ini)</source>
        <translation>Profiles (*.ini)</translation>
    </message>
    <message>
        <source>当前设置</source>
        <translation>current settings</translation>
    </message>
    <message>
        <source>应用设置方案</source>
        <translation>Apply profile</translation>
    </message>
    <message>
        <source>设置方案 (*.ini);;所有文件 (*)</source>
        <translation>Profiles (*.ini);;All files (*)</translation>
    </message>
    <message>
        <source>跟随系统</source>
        <translation>System language</translation>
    </message>
    <message>
        <source>自动发卡使用发卡记录 %1，工位 %2   </source>
        <translation>Automatic issuing records in the journal %1, station %2   </translation>
    </message>
    <message>
        <source>界面语言改为“%1”，重新启动程序后生效   </source>
        <translation>Interface language set to &quot;%1&quot;; restart the program to use it   </translation>
    </message>
    <message>
        <source>当前设置已保存为设置方案 %1   </source>
        <translation>Current settings saved as the profile %1   </translation>
    </message>
    <message>
        <source>%1 序列号 %2</source>
        <translation>%1, serial number %2</translation>
    </message>
</context>
<context>
    <name>TForm2</name>
    <message>
        <source> 版本更新记录：</source>
        <translation> Version history:</translation>
    </message>
    <message>
        <source>1.6版本  增加GS1格式的读卡功能</source>
        <translation>1.6  Reading in GS1 format</translation>
    </message>
    <message>
        <source>1.7版本  增加TID 和 多卡识读功能</source>
        <translation>1.7  TID reading and reading several tags</translation>
    </message>
    <message>
        <source>1.8版本  增加USB透传 和 USB调试功能，支持USB数据发送和接收</source>
        <translation>1.8  USB pass-through and USB debugging: sending and receiving data over USB</translation>
    </message>
    <message>
        <source>1.9版本  增加不同长度的EPC号码的读卡</source>
        <translation>1.9  Reading EPCs of any length</translation>
    </message>
    <message>
        <source>2.0版本  增加不同长度的EPC号码的写卡</source>
        <translation>2.0  Writing EPCs of any length</translation>
    </message>
    <message>
        <source>2.1版本  测试调试版本</source>
        <translation>2.1  Test and debug version</translation>
    </message>
    <message>
        <source>2.2版本  增加存储扇区的读卡，可以指定任意扇区</source>
        <translation>2.2  Reading any memory bank</translation>
    </message>
    <message>
        <source>2.3版本  增加虚拟串口切换</source>
        <translation>2.3  Switching to the virtual serial port</translation>
    </message>
    <message>
        <source>2.4版本  增加显示RSSI功能</source>
        <translation>2.4  RSSI display</translation>
    </message>
    <message>
        <source>2.5版本  增加自动累加，自动写卡功能</source>
        <translation>2.5  Automatic increment and automatic writing</translation>
    </message>
    <message>
        <source>2.6版本  增加串口接收显示，增加USB_COM切换成USB_HID</source>
        <translation>2.6  Serial receive display; switching USB_COM to USB_HID</translation>
    </message>
    <message>
        <source>2.7版本  增加WIFI功能，增加WIFI列表显示</source>
        <translation>2.7  WiFi setup and WiFi network list</translation>
    </message>
    <message>
        <source>2.8版本  增加继电器的控制功能</source>
        <translation>2.8  Relay control</translation>
    </message>
</context>
<context>
    <name>TForm3</name>
    <message>
        <source>卡片存储器结构</source>
        <translation>Tag memory map</translation>
    </message>
    <message>
        <source>无法显示卡片存储器结构图：%1</source>
        <translation>Cannot show the tag memory map: %1</translation>
    </message>
</context>
<context>
    <name>TagDialog</name>
    <message>
        <source>保留区 (Reserved)</source>
        <translation>Reserved</translation>
    </message>
    <message>
        <source>EPC 区</source>
        <translation>EPC</translation>
    </message>
    <message>
        <source>TID 区</source>
        <translation>TID</translation>
    </message>
    <message>
        <source>User 区</source>
        <translation>User</translation>
    </message>
    <message>
        <source>灭活密码</source>
        <translation>Kill password</translation>
    </message>
    <message>
        <source>访问密码</source>
        <translation>Access password</translation>
    </message>
    <message>
        <source>不变</source>
        <translation>Unchanged</translation>
    </message>
    <message>
        <source>开放</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>Lock</translation>
    </message>
    <message>
        <source>永久锁定</source>
        <translation>Permalock</translation>
    </message>
    <message>
        <source>永久开放</source>
        <translation>Permanently open</translation>
    </message>
    <message>
        <source>读保留区、写入、设置密码和锁定时使用的访问密码（8 位十六进制）</source>
        <translation>The access password used to read the Reserved bank, write, set passwords and lock (8 hex digits)</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>起始字</source>
        <translation>First word</translation>
    </message>
    <message>
        <source>字数</source>
        <translation>Words</translation>
    </message>
    <message>
        <source>读存储区</source>
        <translation>Read memory</translation>
    </message>
    <message>
        <source>写入改动</source>
        <translation>Write changes</translation>
    </message>
    <message>
        <source>先读取 User 区，再改写其中的字</source>
        <translation>Read the User bank first, then edit its words</translation>
    </message>
    <message>
        <source>改动 %1 个字（标色），只写入改动的字</source>
        <translation>%1 words changed (coloured); only changed words are written</translation>
    </message>
    <message>
        <source>设置访问密码</source>
        <translation>Set access password</translation>
    </message>
    <message>
        <source>设置灭活密码</source>
        <translation>Set kill password</translation>
    </message>
    <message>
        <source>新访问密码</source>
        <translation>New access password</translation>
    </message>
    <message>
        <source>新灭活密码</source>
        <translation>New kill password</translation>
    </message>
    <message>
        <source>密码为 8 位十六进制数字，写入保留区（访问密码：第 2–3 字，灭活密码：第 0–1 字）。若访问密码已锁定，须在上方填写当前的访问密码。</source>
        <translation>A password is 8 hex digits, written to the Reserved bank (access password: words 2–3, kill password: words 0–1). If the passwords are locked, enter the current access password above.</translation>
    </message>
    <message>
        <source>密码</source>
        <translation>Passwords</translation>
    </message>
    <message>
        <source>标签的锁定状态无法读回：Gen2 标签没有读取锁定状态的命令，只能记下这里设定的内容。锁定后，写入（密码区还有读取）须先用访问密码；永久锁定和永久开放以后再也不能改变。</source>
        <translation>A tag&apos;s lock state cannot be read back: Gen2 tags have no command for it, so note what you set here. Once locked, writing (and for the passwords, reading) needs the access password; permalock and permanently open can never be changed again.</translation>
    </message>
    <message>
        <source>灭活标签</source>
        <translation>Kill tag</translation>
    </message>
    <message>
        <source>灭活后标签永久失效，再也不会应答。灭活密码为 00000000 的标签不能灭活。确认时须输入该标签的 EPC。</source>
        <translation>A killed tag is gone for good and never answers again. A tag whose kill password is 00000000 cannot be killed. To confirm, you type the tag&apos;s EPC.</translation>
    </message>
    <message>
        <source>灭活</source>
        <translation>Kill</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>标签：</source>
        <translation>Tag:</translation>
    </message>
    <message>
        <source>访问密码：</source>
        <translation>Access password:</translation>
    </message>
    <message>
        <source>标签操作：%1</source>
        <translation>Tag operations: %1</translation>
    </message>
    <message>
        <source>标签 %1：%2</source>
        <translation>Tag %1: %2</translation>
    </message>
    <message>
        <source>选择标签失败：%1</source>
        <translation>Choosing the tag failed: %1</translation>
    </message>
    <message>
        <source>读 %1 第 %2 字起 %3 字失败：%4</source>
        <translation>Reading %3 words of %1 from word %2 failed: %4</translation>
    </message>
    <message>
        <source>读 %1 第 %2 字起 %3 字：%4</source>
        <translation>Read %3 words of %1 from word %2: %4</translation>
    </message>
    <message>
        <source>已选定（EPC %1）：%2</source>
        <translation>Chosen (EPC %1): %2</translation>
    </message>
    <message>
        <source>TID 未知</source>
        <translation>TID unknown</translation>
    </message>
    <message>
        <source>TID 类别 %1</source>
        <translation>TID class %1</translation>
    </message>
    <message>
        <source>TID 类别 %1（%2），厂商代码 %3，型号 %4</source>
        <translation>TID class %1 (%2), mask designer %3, model %4</translation>
    </message>
    <message>
        <source>向标签 %1 的 User 区写入改动的 %2 个字？</source>
        <translation>Write the %2 changed words to the User bank of tag %1?</translation>
    </message>
    <message>
        <source>写 %1 第 %2 字起 %3 字失败：%4</source>
        <translation>Writing %3 words of %1 from word %2 failed: %4</translation>
    </message>
    <message>
        <source>写 %1 第 %2 字起 %3 字：%4</source>
        <translation>Wrote %3 words of %1 from word %2: %4</translation>
    </message>
    <message>
        <source>%1须为 8 位十六进制数字（4 字节）：%2</source>
        <translation>%1 must be 8 hex digits (4 bytes): %2</translation>
    </message>
    <message>
        <source>访问密码已设置</source>
        <translation>Access password set</translation>
    </message>
    <message>
        <source>设置访问密码失败：%1</source>
        <translation>Setting the access password failed: %1</translation>
    </message>
    <message>
        <source>灭活密码已设置</source>
        <translation>Kill password set</translation>
    </message>
    <message>
        <source>设置灭活密码失败：%1</source>
        <translation>Setting the kill password failed: %1</translation>
    </message>
    <message>
        <source>%1：%2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>请至少为一个区域选择锁定方式</source>
        <translation>Choose a lock action for at least one area</translation>
    </message>
    <message>
        <source>锁定标签 %1：
%2

标签的锁定状态无法读回，请记下这次的设定。确定锁定？</source>
        <translation>Lock tag %1:
%2

A tag&apos;s lock state cannot be read back: note these settings. Lock now?</translation>
    </message>
    <message>
        <source>以下设定是永久的，无法撤销，以后再也不能改变：
%1

仍然继续？</source>
        <translation>These settings are permanent and cannot be undone or ever changed again:
%1

Continue anyway?</translation>
    </message>
    <message>
        <source>已锁定：%1</source>
        <translation>Locked: %1</translation>
    </message>
    <message>
        <source>锁定失败：%1</source>
        <translation>Locking failed: %1</translation>
    </message>
    <message>
        <source>灭活密码为 00000000 的标签不能灭活，命令未发送。</source>
        <translation>A tag whose kill password is 00000000 cannot be killed; nothing sent.</translation>
    </message>
    <message>
        <source>灭活后标签 %1 永久失效，无法恢复。
请输入该标签的 EPC 以确认：</source>
        <translation>Killing tag %1 disables it for good; it cannot be undone.
Type the tag&apos;s EPC to confirm:</translation>
    </message>
    <message>
        <source>输入的 EPC 与标签的 EPC %1 不符，未灭活。</source>
        <translation>The EPC typed does not match the tag&apos;s EPC %1; not killed.</translation>
    </message>
    <message>
        <source>灭活失败：%1</source>
        <translation>Killing failed: %1</translation>
    </message>
    <message>
        <source>已灭活</source>
        <translation>Killed</translation>
    </message>
</context>
<context>
    <name>TagTableModel</name>
    <message>
        <source>GS1 标签 URI</source>
        <translation>GS1 tag URI</translation>
    </message>
    <message>
        <source>次数</source>
        <translation>Reads</translation>
    </message>
    <message>
        <source>RSSI 最近</source>
        <translation>RSSI last</translation>
    </message>
    <message>
        <source>RSSI 峰值</source>
        <translation>RSSI peak</translation>
    </message>
    <message>
        <source>RSSI 平均</source>
        <translation>RSSI mean</translation>
    </message>
    <message>
        <source>首次读到</source>
        <translation>First seen</translation>
    </message>
    <message>
        <source>最近读到</source>
        <translation>Last seen</translation>
    </message>
    <message>
        <source>读/秒 (5 s)</source>
        <translation>Reads/s (5 s)</translation>
    </message>
</context>
<context>
    <name>UltralightPage</name>
    <message>
        <source>连续读      </source>
        <translation>Keep reading </translation>
    </message>
    <message>
        <source>Ultralight 卡读写</source>
        <translation>Ultralight cards</translation>
    </message>
    <message>
        <source> 读卡 </source>
        <translation> Read </translation>
    </message>
    <message>
        <source>扇区：</source>
        <translation>Page:</translation>
    </message>
    <message>
        <source>读卡</source>
        <translation>Read</translation>
    </message>
    <message>
        <source> 写卡 </source>
        <translation> Write </translation>
    </message>
    <message>
        <source>连续写      </source>
        <translation>Keep writing </translation>
    </message>
    <message>
        <source>卡号为:</source>
        <translation>Card number: </translation>
    </message>
    <message>
        <source>读卡号 操作成功   </source>
        <translation>Card number read   </translation>
    </message>
    <message>
        <source>读卡ID号操作失败   </source>
        <translation>Reading the card ID failed   </translation>
    </message>
    <message>
        <source>HALT操作成功   </source>
        <translation>Card halted   </translation>
    </message>
    <message>
        <source>HALT操作失败   </source>
        <translation>Halting the card failed   </translation>
    </message>
    <message>
        <source>读卡 操作成功   </source>
        <translation>Card read   </translation>
    </message>
    <message>
        <source>读卡失败   </source>
        <translation>Reading the card failed   </translation>
    </message>
    <message>
        <source>读卡返回数据为: </source>
        <translation>Data read: </translation>
    </message>
    <message>
        <source>卡ID号为:</source>
        <translation>Card ID: </translation>
    </message>
    <message>
        <source>写卡操作成功   </source>
        <translation>Card written   </translation>
    </message>
    <message>
        <source>写卡操作失败   </source>
        <translation>Writing the card failed   </translation>
    </message>
</context>
<context>
    <name>WifiPage</name>
    <message>
        <source>序号</source>
        <translation>No.</translation>
    </message>
    <message>
        <source>WIFI名称</source>
        <translation>Network name</translation>
    </message>
    <message>
        <source>信号强度</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Wifi设置</source>
        <translation>WiFi settings</translation>
    </message>
    <message>
        <source>Wifi名称   </source>
        <translation>Network name </translation>
    </message>
    <message>
        <source>Wifi密码    </source>
        <translation>Password </translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>连接配置: </source>
        <translation>Join network:</translation>
    </message>
    <message>
        <source>读取IP地址失败   </source>
        <translation>Reading the IP address failed   </translation>
    </message>
    <message>
        <source>读取IP地址成功   </source>
        <translation>IP address read   </translation>
    </message>
    <message>
        <source>IP地址为：</source>
        <translation>IP address: </translation>
    </message>
    <message>
        <source>读IP地址</source>
        <translation>Read IP</translation>
    </message>
    <message>
        <source>获取WIFI设备本机IP地址:      </source>
        <translation>IP address of the WiFi module: </translation>
    </message>
    <message>
        <source>WIFI端口号固定为 9100        </source>
        <translation>The WiFi port is always 9100 </translation>
    </message>
    <message>
        <source>读取WIFI列表</source>
        <translation>WiFi networks</translation>
    </message>
    <message>
        <source>读取Wifi列表：  </source>
        <translation>List WiFi networks: </translation>
    </message>
    <message>
        <source>读Wifi列表</source>
        <translation>List networks</translation>
    </message>
    <message>
        <source>读取Wifi成功   </source>
        <translation>WiFi networks read   </translation>
    </message>
    <message>
        <source>读取Wifi失败   </source>
        <translation>Reading the WiFi networks failed   </translation>
    </message>
    <message>
        <source>Wifi密码须为空或 8 到 63 个字符（现有 %1 个），命令未发送：请改正密码后再设置</source>
        <translation>The WiFi password must be empty or 8 to 63 characters (it has %1); nothing sent: correct the password and set it again</translation>
    </message>
</context>
</TS>
