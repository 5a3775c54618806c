#!/usr/bin/env python3
"""Builds the Chinese skin folder skin/ConifgRes from the English one, skin/ConifgENRes.

Both skins come from one source: every page file of the Chinese skin is the English file with
its visible texts (text and tooltip attributes) translated and its font faces replaced; names,
kinds, items, order and geometry stay byte for byte. Combo items that are device values or that
the program compares stay as they are (the work-mode names "PROT" ... "MQTT", the "None" of the
I/O control combos). Language.ini is written in the GBK code page.

    tools/make_zh_skin.py           writes skin/ConifgRes
    tools/make_zh_skin.py --check   exits 1 when skin/ConifgRes differs from what it would write
"""
import os
import re
import shutil
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
EN = os.path.join(ROOT, "skin", "ConifgENRes")
ZH = os.path.join(ROOT, "skin", "ConifgRes")

# Font faces: a face every Chinese Windows has for the interface, a fixed-width one for the log.
FONTS = {"Tahoma": "Microsoft YaHei", "Courier New": "NSimSun"}

# Combos with item texts that are kept: device values, or texts the program compares.
KEEP_ITEMS = re.compile(r"^(I/O[1-5] control|Protocolmodel)$")

T = {
    # Window and operations
    "DTU Configuration Tool": "DTU 配置工具",
    "Port": "端口", "Baud rate": "波特率", "Auto": "自动", "Format": "格式", "Open port": "打开串口",
    "Login": "登录", "Device": "设备", "Not in setting mode": "未进入配置模式",
    "Language": "语言", "English": "English", "Chinese": "中文",
    "Device operations": "设备操作", "Read device": "读取配置", "Write device": "写入配置",
    "Factory reset": "恢复出厂", "Load file...": "导入文件...", "Save to file...": "保存到文件...",
    "Sync clock": "同步时钟", "Signal": "信号强度", "SIM status": "SIM 卡状态",
    "Firmware": "固件版本", "Device log": "设备日志", "Leave setting": "退出配置",
    "Clear log": "清空日志", "Revert all": "全部恢复", "Undo last write": "撤销上次写入",
    "Compare file...": "比较文件...",
    "Station...": "生产工位...",
    "Configures units on several ports at once: the production station": "在多个串口上同时配置设备：生产工位",
    "Production station": "生产工位", "Template": "模板", "Units file": "设备清单", "Report": "报告",
    "Match by": "匹配列", "Operator": "操作员", "Ports": "串口", "Network ports": "网络端口",
    "Browse...": "浏览...", "Start": "开始", "Stop": "停止", "Last units": "最近的设备",
    "Use this port": "使用这个串口",
    "The .cfg (or JSON) file every unit gets": "每台设备都写入的 .cfg（或 JSON）文件",
    "The units file: a unit column and one row of values per unit": "设备清单：一列设备名称，每台设备一行参数值",
    "The report: one row per unit, appended": "报告：每台设备追加一行",
    "A column to match each unit to its own row by what it reports (e.g. Modem'sID number); empty: rows in order":
        "按设备上报的值把设备匹配到自己的行（例如 Modem'sID number）；留空则按顺序分配",
    "Your name, for the report": "您的姓名，写入报告",
    "Ports across the network, separated by commas: tcp://host:port or rfc2217://host:port":
        "网络端口，用逗号分隔：tcp://主机:端口 或 rfc2217://主机:端口",
    "Configures each unit as soon as it is connected and powered": "设备一连接并上电就开始配置",
    "Ends after the units in progress are done": "完成正在配置的设备后停止",
    "Choose the template": "选择模板", "Choose the units file": "选择设备清单",
    "Choose the report file": "选择报告文件",
    "Choose the template, the units file, the report and the ports, then press Start.":
        "请选择模板、设备清单、报告和串口，然后点击“开始”。",
    "Puts every changed field back to the device's value": "把所有修改过的参数恢复为设备中的值",
    "Writes back the configuration kept before the last write, through the plan":
        "通过写入计划写回上次写入前保存的配置",
    "Lists the fields in which a .cfg file differs from the device; writes nothing":
        "列出 .cfg 文件与设备不同的参数，不写入任何参数",
    "Shows the plan of every changed value; writes the rows you tick": "显示修改过的参数的写入计划，只写入勾选的行",
    "Shows a .cfg file on the pages and the plan of its differences from the device":
        "在页面上显示 .cfg 文件，并列出它与设备差异的写入计划",
    # Placeholders
    "address or host name": "地址或主机名", "click to ask the device": "点击向设备查询",
    # Write plan window
    "Write plan": "写入计划", "Page": "页面", "Field": "参数", "Device value": "设备中的值",
    "New value": "新值", "Check": "检查", "Write": "写入", "Cancel": "取消",
    "Only the ticked rows are sent, from top to bottom. Nothing is sent before you press Write.":
        "只发送勾选的行，从上到下依次发送。点击“写入”之前不会发送任何内容。",
    "Sends the ticked rows to the device, then reads it again to verify them":
        "把勾选的行发送到设备，然后重新读取设备以校验",
    "Closes the plan; nothing is sent": "关闭写入计划，不发送任何内容",
    "Send this row": "发送这一行", "Operation log": "操作日志", "Getting started": "使用说明",
    "Starting...": "正在启动...", "Close": "关闭", "Minimise": "最小化", "Maximise": "最大化",
    "Restore": "还原",
    # Network port window
    "Network port": "网络端口", "OK": "确定",
    "The address of the serial device server: tcp://host:port (raw) or rfc2217://host:port.":
        "串口服务器的地址：tcp://主机:端口（原始）或 rfc2217://主机:端口。",
    "For example tcp://192.168.1.20:4001": "例如 tcp://192.168.1.20:4001",
    "Lists this port in the port chooser and chooses it": "把这个端口列入串口列表并选中它",
    "Keeps the port chosen before": "保留之前选择的串口",
    "Show the pages further left": "显示左侧的页面", "Show the pages further right": "显示右侧的页面",
    "Reads the whole configuration (AT+SHOW)": "读取全部配置 (AT+SHOW)",
    "Writes every changed value to the device": "把修改过的参数写入设备",
    "Restores the factory settings (AT+FACTORY)": "恢复设备出厂设置 (AT+FACTORY)",
    "Loads a .cfg file onto the pages and into the device": "把 .cfg 文件导入页面并写入设备",
    "Saves the device configuration to a .cfg file": "把设备配置保存为 .cfg 文件",
    "Sets the device clock to this computer's time": "按本机时间设置设备时钟",
    "Signal quality (At+CSQ)": "信号质量 (At+CSQ)",
    "SIM card state (At+CPIN?)": "SIM 卡状态 (At+CPIN?)",
    "Firmware version (At+VER)": "固件版本 (At+VER)",
    "Reads the device's log file": "读取设备日志文件",
    "Makes the device leave setting mode (at+quit)": "使设备退出配置模式 (at+quit)",
    "Empties the operation log": "清空操作日志",
    "Sends +++ to bring a running device into setting mode": "发送 +++ 使运行中的设备进入配置模式",
    "Open the port, then power the device on or press Login. Read the device before you change and write values.":
        "先打开串口，再给设备上电或点击“登录”。修改并写入参数之前，请先读取设备配置。",
    # Tabs
    "Work mode": "工作模式", "Server": "服务器", "Serial ports": "串口", "I/O": "I/O",
    "Wireless": "无线网络", "Global": "全局参数", "Management": "设备管理", "LoRa": "LoRa",
    "ZigBee": "ZigBee", "GPS": "GPS", "Modbus": "Modbus", "Operation": "操作",
    # Work mode page
    "Transfer mode": "传输模式", "Custom": "自定义", "Device ID": "设备 ID",
    "SIM phone number": "SIM 卡号码", "Pass TCP data through": "TCP 数据直接转发",
    "Role": "角色", "Client": "客户端", "Transport protocol": "传输协议",
    "Listen port": "监听端口", "Registration/heartbeat": "注册/心跳包",
    "Off": "关闭", "On": "开启", "No": "否", "Yes": "是",
    "Heartbeat poll time (s)": "心跳间隔 (秒)", "Packets in hexadecimal": "数据包按十六进制",
    "Registration packet": "注册包", "Registration reply": "注册应答",
    "Heartbeat packet": "心跳包", "Heartbeat reply": "心跳应答",
    "SMS phone number 1": "短信号码 1", "SMS phone number 2": "短信号码 2",
    "SMS phone number 3": "短信号码 3", "SMS phone number 4": "短信号码 4",
    "SMS phone number 5": "短信号码 5", "Show sender number": "显示发送方号码",
    "Encode SMS as hex": "短信按十六进制编码", "Send SMS as hex": "短信按十六进制发送",
    "HTTP request method": "HTTP 请求方式", "MQTT client ID": "MQTT 客户端 ID",
    "MQTT user name": "MQTT 用户名", "MQTT password": "MQTT 密码",
    "Subscribe topic": "订阅主题", "Publish topic": "发布主题", "Product key": "产品密钥",
    "Report period (s)": "上报周期 (秒)", "Batch report count": "批量上报条数",
    "Cache data offline": "离线缓存数据", "Disabled": "禁用", "Enabled": "启用",
    "Activation": "激活方式", "Activation method": "激活方式", "Always online": "永久在线",
    "SMS activation": "短信激活", "Phone call activation": "电话激活",
    "Data activation": "数据激活", "Mixed activation": "混合激活", "I/O activation": "I/O 激活",
    "Online password": "上线密码", "Offline password": "下线密码",
    "Activation serial port": "激活串口", "Activation data format": "激活数据格式",
    "ASCII text": "ASCII 文本", "Hexadecimal": "十六进制",
    "I/O activation method": "I/O 激活方式", "Activate by I/O input": "I/O 输入激活",
    "Centre controls I/O": "中心控制 I/O", "I/O 1 control": "I/O 1 控制",
    "I/O 2 control": "I/O 2 控制", "I/O 3 control": "I/O 3 控制",
    "SMS activation password": "短信激活密码", "Control phone number": "控制电话号码",
    "SMS activation number": "短信激活号码", "I/O 1 mode": "I/O 1 模式",
    "I/O 2 mode": "I/O 2 模式", "Normal I/O": "普通 I/O", "Activation input": "激活输入",
    "Activation output": "激活输出", "Diagnostics": "调试", "Debug level": "调试级别",
    "Errors": "错误", "Information": "信息", "Everything": "全部",
    "Debug output port": "调试输出端口", "Clear serial buffer": "清空串口缓存",
    "Serial port 1": "串口 1", "Serial port 2": "串口 2",
    "0 Serial port 1": "0 串口 1", "1 Serial port 2": "1 串口 2",
    # Servers
    "Servers": "服务器", "Number of servers": "服务器数量", "Main server address": "主服务器地址",
    "Backup server address": "备份服务器地址", "Server 2 address": "服务器 2 地址",
    "Server 3 address": "服务器 3 地址", "Server 4 address": "服务器 4 地址",
    "Server 5 address": "服务器 5 地址",
    "Main server with one backup server": "主服务器和一台备份服务器",
    "Reconnection": "重连", "Return to main server": "回切主服务器",
    "Connect retries": "连接重试次数", "Wait after failed connect (s)": "连接失败后等待 (秒)",
    "Max. TCP frame length": "TCP 最大帧长", "Max. resends": "最大重发次数",
    "Resend wait (s)": "重发等待 (秒)",
    # Serial ports
    "Data framing": "数据格式", "Frame gap (ms)": "分帧间隔 (毫秒)", "Bound to centre": "绑定中心",
    "None": "无", "Centre 1": "中心 1", "Centre 2": "中心 2", "Centre 3": "中心 3",
    "Centre 4": "中心 4", "Centre 5": "中心 5", "All centres": "全部中心",
    "A port the device does not have is hidden after the device has been read.":
        "读取设备后，设备没有的端口将被隐藏。",
    # I/O
    "Not used": "未使用", "Digital input": "数字输入", "Digital output": "数字输出",
    "Centre mapping": "中心映射", "Analog input": "模拟输入", "Protocol": "协议",
    "Built-in": "内置", "Report via": "上报接口", "SMS number": "短信号码",
    "Reporting": "上报方式", "On query": "查询时上报", "Active report": "主动上报",
    "Report interval (s)": "上报间隔 (秒)", "Query command": "查询命令",
    "Data format": "数据格式", "Hex": "十六进制", "Output reply": "输出应答",
    "High-level message": "高电平信息", "Low-level message": "低电平信息",
    "Mapped to centre": "映射到中心", "Analog input type": "模拟输入类型",
    "Voltage": "电压", "Current": "电流", "Upper threshold": "上限阈值",
    "Lower threshold": "下限阈值", "Modbus slave address": "Modbus 从站地址",
    # Wireless
    "Cellular network": "蜂窝网络", "APN": "APN", "Dial number": "拨号号码",
    "User name": "用户名", "Password": "密码", "PPP authentication": "PPP 认证方式",
    "Network mode": "网络模式", "Automatic": "自动", "2G only": "仅 2G", "3G only": "仅 3G",
    "4G only": "仅 4G", "Network in use": "当前网络",
    "Asks which network the device has registered on.": "查询设备当前注册的网络。",
    "Authentication": "认证方式", "Dial retries": "拨号重试次数", "Wait after failed dial (s)": "拨号失败后等待 (秒)",
    "Primary DNS": "首选 DNS", "Secondary DNS": "备用 DNS", "SMS centre number": "短信中心号码",
    # Global
    "Link check": "链路检测", "LCP echo": "LCP 回显", "Echo interval (s)": "回显间隔 (秒)",
    "Echo failures allowed": "回显允许失败次数", "ICMP ping": "ICMP 探测",
    "Ping address": "探测地址", "Ping interval (s)": "探测间隔 (秒)",
    "Ping failures allowed": "探测允许失败次数", "Failure handling": "故障处理",
    "Action after failure": "故障后动作", "Redial": "重新拨号", "Restart device": "重启设备",
    "Wait before action (s)": "动作前等待 (秒)",
    # Management
    "Management platform": "管理平台", "Connect to platform": "连接管理平台",
    "Device ID on platform": "平台设备 ID", "Platform address": "平台地址",
    "Platform port": "平台端口", "Configuration by SMS": "短信配置",
    "Configure by SMS": "短信配置功能", "SMS password": "短信密码",
    "Administrator number": "管理员号码",
    # LoRa, ZigBee, GPS
    "LoRa module": "LoRa 模块", "Frequency (MHz)": "频率 (MHz)", "Air rate level": "空中速率等级",
    "Transmit power (dBm)": "发射功率 (dBm)", "Target address": "目标地址", "Module ID": "模块 ID",
    "Node type": "节点类型", "Node": "节点", "Gateway": "网关", "PPT value": "PPT 值",
    "Data routes": "数据通道", "ZigBee module": "ZigBee 模块", "Transparent": "透明传输",
    "Fixed address": "定点传输", "Broadcast": "广播", "RF channel": "射频信道",
    "Network ID": "网络 ID", "Network ID (PAN)": "网络 ID (PAN)", "Coordinator": "协调器",
    "Router": "路由器", "End device": "终端设备", "GPS module": "GPS 模块",
    "Report to GPS server": "上报 GPS 服务器", "Report to serial port": "上报串口",
    "GPS server address": "GPS 服务器地址", "GPS server port": "GPS 服务器端口",
    "Equipment ID": "设备编号", "NMEA sentences": "NMEA 语句", "Report count": "上报次数",
    "LoRa to serial": "LoRa 到串口", "Serial to LoRa": "串口到 LoRa",
    "LoRa to network": "LoRa 到网络", "Network to LoRa": "网络到 LoRa",
    "ZigBee to serial": "ZigBee 到串口", "Serial to ZigBee": "串口到 ZigBee",
    "ZigBee to network": "ZigBee 到网络", "Network to ZigBee": "网络到 ZigBee",
    "GPS to serial": "GPS 到串口", "Serial to GPS": "串口到 GPS",
    "Network to serial": "网络到串口", "Serial to network": "串口到网络",
    "GPS to network": "GPS 到网络", "Network to GPS": "网络到 GPS",
    "Click to switch: LoRa to serial": "点击切换：LoRa 到串口",
    "Click to switch: Serial to LoRa": "点击切换：串口到 LoRa",
    "Click to switch: LoRa to network": "点击切换：LoRa 到网络",
    "Click to switch: Network to LoRa": "点击切换：网络到 LoRa",
    "Click to switch: ZigBee to serial": "点击切换：ZigBee 到串口",
    "Click to switch: Serial to ZigBee": "点击切换：串口到 ZigBee",
    "Click to switch: ZigBee to network": "点击切换：ZigBee 到网络",
    "Click to switch: Network to ZigBee": "点击切换：网络到 ZigBee",
    "Click to switch: GPS to serial": "点击切换：GPS 到串口",
    "Click to switch: Serial to GPS": "点击切换：串口到 GPS",
    "Click to switch: Network to serial": "点击切换：网络到串口",
    "Click to switch: Serial to network": "点击切换：串口到网络",
    "Click to switch: GPS to network": "点击切换：GPS 到网络",
    "Click to switch: Network to GPS": "点击切换：网络到 GPS",
    # Modbus
    "Collection": "采集", "Collection interval (s)": "采集间隔 (秒)",
    "Response timeout (ms)": "响应超时 (毫秒)", "Retries": "重试次数", "Sensors": "传感器",
    "No.": "序号", "Active": "启用", "Slave": "从站", "Function": "功能码",
    "Register": "寄存器", "Count": "数量", "Data type": "数据类型", "Decimals": "小数位",
    "Data name": "数据名称", "Change": "变化量",
    "0 Int16": "0 Int16", "1 UInt16": "1 UInt16", "2 Int32": "2 Int32", "3 UInt32": "3 UInt32",
    "4 Float": "4 浮点数",
    "A row is sent to the device only when it is switched on or already known to the device.":
        "只有已启用或设备中已有的行才会写入设备。",
    # Operation page
    "Device commands": "设备命令", "List commands": "命令列表", "Show listing in log": "在日志中显示配置",
    "Sends AT+LIST": "发送 AT+LIST", "Sends AT+SHOW": "发送 AT+SHOW",
    "Sends AT+FINDNETMODE": "发送 AT+FINDNETMODE",
    "Shows the commands the device accepts in the log.": "在日志中显示设备支持的命令。",
    "Shows the configuration listing in the log without changing the pages.":
        "在日志中显示配置清单，不改变页面内容。",
    "The device must be in setting mode. Each answer appears in the operation log.":
        "设备必须处于配置模式。每条应答都显示在操作日志中。",
}

LANGUAGE_INI = [
    ("; 中文界面的提示文字。程序按节和键查找每条文字。", None),
    ("; 每条文字写在一行内，不超过 199 个字节。", None),
    ("", None),
    ("[WinMain]", None),
    ("WorkThread", "无法启动工作线程，设备操作不可用。请重新启动程序。"),
    ("NoSkin", "无法从皮肤文件夹读取窗口布局 skin.xml。请重新安装程序。"),
    ("NoLogView", "皮肤中没有操作日志控件 (richedit)，程序无法使用此皮肤运行。"),
    ("CrashKept", "程序上次运行时意外结束，已保存一份供技术支持使用的报告："),
    ("", None),
    ("[ComSend]", None),
    ("send", "发送"),
    ("", None),
    ("[WorkerJobThreadProc]", None),
    ("SaveSuccess", "参数已写入设备。"),
    ("SaveError", "设备拒绝了该参数值。"),
    ("FactorySuccess", "已恢复出厂设置，正在重新读取配置..."),
    ("FactoryError", "设备拒绝恢复出厂设置。"),
    ("OutTime", "设备未在规定时间内应答。请检查连接线、串口设置以及设备是否处于配置模式。"),
    ("LateReply", "迟到的应答（在超时之后收到，未做任何处理）："),
    ("SendError", "命令未能发送："),
    ("SendNotOpen", "串口未打开。"),
    ("SendLineError", "线路报告接收错误（干扰，或波特率、格式与设备不一致），已丢弃收到的数据。"),
    ("", None),
    ("[OnStartCom]", None),
    ("Open", "打开串口"),
    ("Close", "关闭串口"),
    ("OpenNotice", "串口已打开。请给设备上电；设备已在运行时请点击“登录”。"),
    ("CloseNotice", "串口已关闭。"),
    ("OpenError", "无法打开串口。"),
    ("BaudError", "波特率不是正整数。请选择波特率后重新打开串口。"),
    ("InUse", "该串口正被其他程序占用。请关闭该程序后重新打开串口。"),
    ("NotPresent", "本机没有这个串口。请检查连接线或选择其他串口。"),
    ("Disconnected", "已断开。请重新插入串口适配器，选择串口后再打开。"),
    ("AutoBaud", "正在查找波特率：监听设备的上电提示（请现在给设备上电），期间不发送任何数据。"),
    ("AutoBaudFound", "已找到波特率："),
    ("AutoBaudNone", "未找到波特率：设备在任何波特率下都没有上电提示（未发送任何数据）。请在以“自动”打开串口时给设备上电。"),
    ("", None),
    ("[ScanSerialPorts]", None),
    ("NoPorts", "本机没有找到串口。请连接设备的串口线后重新启动程序。"),
    ("InUse", "（已被占用）"),
    ("NetworkItem", "网络端口..."),
    ("", None),
    ("[NetworkPort]", None),
    ("Refused", "请按 tcp://主机:端口 或 rfc2217://主机:端口 的格式填写串口服务器的地址。"),
    ("", None),
    ("[SetDeviceState]", None),
    ("szLoginOn", "已进入配置模式"),
    ("szLoginOff", "未进入配置模式"),
    ("", None),
    ("[Notify]", None),
    ("IpNotice", "服务器地址中含有空格，请删除地址中的所有空格。"),
    ("ServerCount", "该设备至少需要一个服务器，服务器数量已设为 1。"),
    ("FactoryConfirm", "确定要恢复设备的出厂设置吗？设备的全部配置将被默认值替换。"),
    ("", None),
    ("[SaveToFile]", None),
    ("OpenError", "无法创建配置文件。请选择其他文件夹或文件名。"),
    ("Saved", "设备配置已保存到"),
    ("", None),
    ("[onLoadFrommFile]", None),
    ("ReadError", "无法读取配置文件，或文件不完整（被截断），或其中没有完整的（或有多于一份）设备配置。未做任何修改。"),
    ("Loaded", "页面显示的是该文件；正在读取设备配置以作比较："),
    ("NotRead", "设备没有送回其配置，未写入任何参数。页面显示的是文件内容；写入之前请先读取设备配置。"),
    ("", None),
    ("[CollectChangedParameters]", None),
    ("ReadFirst", "未写入任何参数：请先读取设备配置，再修改页面并写入。"),
    ("BadValue", "未写入：参数值中含有换行符或零字节。参数："),
    ("BadSensorValue", "未写入：该传感器行的字段中含有逗号或换行符。行："),
    ("RuleBroken", "未写入，参数值不符合规则："),
    ("SensorRow", "传感器"),
    ("", None),
    ("[LogMenu]", None),
    ("Copy", "复制(&C)"),
    ("Clear", "清空(&L)"),
    ("SelectAll", "全选(&A)"),
    ("SaveLog", "保存日志(&S)..."),
    ("TimeStamps", "时间戳(&T)"),
    ("DataFolder", "打开数据文件夹(&D)"),
    ("DataFolderIs", "程序的数据保存在"),
    ("Diagnostics", "保存诊断信息(&G)..."),
    ("DiagnosticsSaved", "供技术支持使用的诊断信息（已隐藏密码和电话号码）已保存到"),
    ("Saved", "日志已保存到"),
    ("SaveError", "无法保存日志到"),
    ("", None),
    ("[ValueRule]", None),
    ("NotAPort", "不是端口号（0 到 65535）"),
    ("NotAnAddress", "不是 IP 地址（四个不大于 255 的数）或主机名"),
    ("NotAPhone", "不是电话号码（数字，可带前导 +）"),
    ("TooLong", "超过设备允许的长度"),
    ("BadCharacter", "含有换行符或其他控制字符"),
    ("", None),
    ("[WritePlan]", None),
    ("Title", "写入计划：修改过的参数"),
    ("FileTitle", "写入计划：文件与设备的差异"),
    ("UndoTitle", "撤销上次写入：恢复到"),
    ("CompareTitle", "比较："),
    ("Count", "将发送 %2 行中的 %1 行"),
    ("Close", "关闭"),
    ("Ok", "正常"),
    ("NotApplied", "不应用：在设备的其他设置下未使用，或页面无法显示该值"),
    ("Written", "已写入，正在校验..."),
    ("Verified", "已校验"),
    ("Refused", "被拒绝"),
    ("NotAnswered", "无应答"),
    ("Mismatch", "不一致"),
    ("NotVerified", "未校验"),
    ("NotSent", "未发送"),
    ("Summary", "个已写入并校验"),
    ("NothingToWrite", "没有需要写入的参数：页面显示的是设备的值。"),
    ("SameAsFile", "设备中已是文件中的值，无需写入。"),
    ("Cancelled", "已关闭写入计划，未写入任何参数。"),
    ("NoWindow", "无法显示写入计划窗口 (WritePlan.xml)，未写入任何参数。"),
    ("Snapshot", "写入前的配置已保存为"),
    ("SnapshotError", "无法保存写入前的配置（撤销上次写入将无法使用）："),
    ("NoSnapshot", "在以下文件夹中没有找到该设备写入前保存的配置："),
    ("NotWritten", "未写入任何参数。"),
    ("SnapshotCut", "已跳过一个不完整的快照："),
    ("Undoing", "撤销上次写入，恢复到"),
    ("PortClosed", "串口已关闭：未发送任何内容。"),
    ("NotInSettingMode", "设备不在配置模式：未发送任何内容。请点击“登录”（或重新给设备上电）后再写入。"),
    ("LeftDuringWrite", "写入过程中设备退出了配置模式：尚未发送的行没有发送。"),
    ("CompareTwoFiles", "尚未读取设备：请选择两个 .cfg 文件相互比较。"),
    ("CompareSame", "文件中的值与设备相同，没有差异。"),
    ("Compared", "已与设备比较："),
    ("ComparedFiles", "已比较文件："),
    ("Differences", "处差异"),
    ("DeviceHeader", "设备中的值"),
    ("FileHeader", "文件中的值"),
    ("CompareHint", "会自行变化的值（信号、版本、时钟）不参与比较。不写入任何参数。"),
    ("Revert", "恢复为设备中的值(&R)"),
    ("UnsavedChanges", "页面上有 %1 处修改尚未写入设备。文件将保存读取到的设备配置。是否先写入这些修改？"),
    ("", None),
    ("[Accessible]", None),
    ("Press", "按下"), ("Check", "选中"), ("Uncheck", "取消选中"), ("Select", "选择"),
    ("Open", "打开"), ("Close", "关闭"), ("Switch", "切换"), ("Alt", "Alt"),
    ("", None),
    ("[Mnemonic]", None),
    ("Open", "O"), ("Login", "L"), ("Load", "R"), ("Save", "W"), ("LoadFromFile", "F"),
    ("SaveToFile", "S"), ("RevertAll", "V"), ("UndoWrite", "U"), ("CompareFile", "C"),
    ("quit", "Q"), ("Station", "P"),
    ("", None),
    ("[Station]", None),
    ("Title", "生产工位"),
    ("Waiting", "等待设备：请连接设备并上电"),
    ("Reading", "正在进入配置模式并读取"),
    ("Writing", "正在写入 %1 / %2"),
    ("Verifying", "正在校验"),
    ("Verified", "已校验"),
    ("Failed", "失败"),
    ("Unknown", "未知设备"),
    ("WouldChange", "将会修改"),
    ("Unchanged", "无需修改"),
    ("Counts", "完成 %1   失败 %2   剩余 %3"),
    ("Idle", "未开始"),
    ("NeedFiles", "请选择模板、设备清单和报告文件。"),
    ("NeedPorts", "请至少勾选一个串口（或输入一个网络端口）。"),
    ("Running", "运行中：请在每个串口上连接一台设备并上电。"),
    ("Stopping", "正在停止：先完成正在配置的设备。"),
    ("Ended", "已结束。"),
    ("ReportBroken", "无法写入报告，生产线已停止。"),
    ("", None),
    ("[StationReason]", None),
    ("NotRead", "未能读取配置"),
    ("NotVerified", "未校验"),
    ("NoAnswer", "设备未及时应答"),
    ("PortClosed", "串口已关闭"),
    ("NoListing", "设备对 AT+SHOW 的应答不是配置列表"),
    ("RowTaken", "已拒绝：%1 的行已写入或正在写入"),
    ("NoPages", "无法读取皮肤 %1 的页面：未写入任何内容"),
    ("LeftSettingMode", "设备退出了配置模式且未能再次进入：%1"),
    ("NoSnapshot", "无法在 %1 中保存写入前的配置"),
    ("NotInDevice", "写入后设备中没有：%1"),
    ("NoSettingMode", "设备未进入配置模式%1"),
    ("UnknownUnit", "未知设备：清单中没有 %1"),
    ("LineFailed", "线路故障：%1"),
    ("NotApplied", "未应用：%1"),
    ("BreaksRule", "%1 不符合规则"),
    ("RowNotAnswered", "%1 无应答"),
    ("RowNotVerified", "%1 未校验"),
    ("RowMismatch", "%1 不一致"),
    ("RowRefused", "%1 被拒绝"),
    ("RowNotSent", "%1 未发送"),
    ("", None),
    ("[SwitchLanguage]", None),
    ("WriteError", "无法写入 config.ini，界面语言未改变。"),
    ("StartError", "无法重新启动程序，界面语言未改变："),
    ("", None),
    ("[InitValue]", None),
    ("Date", "%Y年%m月%d日"),
    ("Text", "未找到 Help.txt。请打开串口，给设备上电，然后点击“读取配置”。"),
    ("", None),
    ("[ModeTabItemChange]", None),
    ("ServerTitle1", "主服务器和一台备份服务器"),
    ("ServerTitle2", "多个服务器，同时连接"),
    ("Server's Label1", "主服务器地址"),
    ("Server's Label2", "服务器 1 地址"),
    ("", None),
    ("[DIO workmode]", None),
    ("Text1", T["Not used"]),
    ("Text2", T["Digital input"]),
    ("Text3", T["Digital output"]),
    ("Text4", T["Centre mapping"]),
    ("Text5", T["Analog input"]),
    ("", None),
    ("[Protocolmodel]", None),
    ("Text", T["Custom"]),
]

# The help text of the Chinese skin (written in GBK, as its Language.ini).
HELP_ZH = """DTU 配置工具 - 快速帮助

连接
1. 把设备连接到本机的串口（RS232 线或 USB 转串口适配器）。
2. 在顶部栏中选择串口、波特率（通常为 115200，或“自动”）和格式（通常为 8N1）。
3. 点击“打开串口”，然后给设备上电。工具会自动应答设备的上电提示。设备就绪后，“设备”旁会显示“已进入配置模式”。
4. 如果设备已在运行，请点击“登录”，无需断电重启。

读取与写入
- “读取配置”把设备的全部配置读到各页面上。修改任何参数之前，请先读取。
- 参数组会随工作模式、激活方式、服务器数量和 I/O 的用途显示或隐藏。把鼠标停在参数上可以看到它对应的设备命令。
- 修改过的参数左边会有一条标记，每个页面标签会显示修改的数量。红色表示设备无法接受的值，把鼠标停在上面可以看到原因。右键点击有标记的参数可恢复为设备中的值，或点击“全部恢复”。
- “写入配置”会显示写入计划：列出将要发送的每个参数及其设备中的值和新值。取消勾选不需要的行，然后点击“写入”。写入后会重新读取设备，每个参数都会标明已校验、被拒绝或未生效。
- “撤销上次写入”写回上次写入前保存的配置。“比较文件...”列出 .cfg 文件将会改变的参数，不写入任何参数。
- “保存到文件...”把设备配置保存为 .cfg 文件。“导入文件...”把 .cfg 文件显示在页面上，并列出它与设备差异的写入计划。
- “恢复出厂”恢复出厂设置并重新读取配置。

诊断
- “信号强度”显示信号质量（CSQ）：10 到 31 可用，99 表示无信号。
- “SIM 卡状态”显示 SIM 卡是否就绪。“固件版本”显示固件版本。
- “设备日志”把设备自己的日志文件读到操作日志中。右键点击日志可以保存日志或添加时间戳。
- “同步时钟”按本机时间设置设备时钟。
- 点击“无线网络”页面上的“当前网络”参数，可以查询设备找到的网络。

结束
- “退出配置”使设备退出配置模式，恢复正常工作。
- “关闭串口”释放串口。

故障排除
- “设备未在规定时间内应答”：请检查连接线、串口、波特率以及设备是否仍处于配置模式。设备在一段时间没有收到命令后会自行退出配置模式。
- 无法打开串口：请关闭正在使用该串口的其他程序，或选择其他串口。
- 服务器地址中不能含有空格。
"""

ATTRIBUTE = re.compile(r'(\s(?:text|tooltip|tipvalue)=")([^"]*)(")')
FONT_NAME = re.compile(r'(<Font\b[^>]*\sname=")([^"]*)(")')


def unescape(text):
    return (text.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", '"')
            .replace("&amp;", "&"))


def escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;"))


def translate_file(text):
    """The Chinese version of one English skin file's text."""
    out = []
    combo_name = ""
    for line in text.split("\n"):
        combo = re.search(r'<Combo\s+name="([^"]*)"', line)
        if combo:
            combo_name = combo.group(1)
        is_item = "<ListLabelElement" in line

        def replace(match):
            value = unescape(match.group(2))
            if is_item and KEEP_ITEMS.match(combo_name):
                # Device values stay ("PROT" ... "MQTT"; the custom work mode is named as
                # Language.ini names it), and so does the "None" the I/O tab check looks for.
                if combo_name == "Protocolmodel" and value != "Custom":
                    return match.group(0)
                if combo_name != "Protocolmodel" and value == "None":
                    return match.group(0)
            return match.group(1) + escape(T.get(value, value)) + match.group(3)

        line = ATTRIBUTE.sub(replace, line)
        line = FONT_NAME.sub(lambda m: m.group(1) + FONTS.get(m.group(2), m.group(2)) + m.group(3),
                             line)
        if "</Combo>" in line:
            combo_name = ""
        out.append(line)
    text = "\n".join(out)
    # The language combo shows the skin's own language.
    text = text.replace('<ListLabelElement text="English" height="22" selected="true" />',
                        '<ListLabelElement text="English" height="22" />')
    text = text.replace('<ListLabelElement text="中文" height="22" />',
                        '<ListLabelElement text="中文" height="22" selected="true" />')
    text = fit_tabs(text)
    # The comment at the top of a file says which skin it is.
    return text.replace("English skin", "Chinese skin")


TAB = re.compile(r'(<HorizontalLayout name="(\w+)Tab" width=")(\d+)(" height="38">\s*'
                 r'<Option name="\2" text="([^"]*)" width=")(\d+)(")'
                 r'(?:([^>]*/>\s*<Label name="\2Changes" float="true" pos=")(\d+),12,(\d+)(,26"))?')


def fit_tabs(text):
    """The page tabs as wide as their Chinese words need, so that the strip is evenly spaced
    (the English widths would leave wide gaps around the shorter Chinese words)."""
    def width(words):
        return 26 + sum(14 if ord(c) > 0x2E80 else 8 for c in words)

    def fit(m):
        w = width(unescape(m.group(5)))
        out = m.group(1) + str(w) + m.group(4) + str(w) + m.group(7)
        if m.group(8):
            out += m.group(8) + str(w - 16) + ",12," + str(w - 2) + m.group(11)
        return out
    return TAB.sub(fit, text)


def language_ini():
    lines = []
    for key, value in LANGUAGE_INI:
        lines.append(key if value is None else key + "=" + value)
    return ("\r\n".join(lines) + "\r\n").encode("gbk")


def expected_files():
    files = {}
    for name in sorted(os.listdir(EN)):
        path = os.path.join(EN, name)
        with open(path, "rb") as f:
            data = f.read()
        if name.endswith(".xml"):
            files[name] = translate_file(data.decode("utf-8")).encode("utf-8")
        elif name == "Language.ini":
            files[name] = language_ini()
        elif name == "Help.txt":
            files[name] = HELP_ZH.replace("\n", "\r\n").encode("gbk")
        else:
            files[name] = data
    return files


def untranslated(files):
    """English texts of the Chinese skin that the table has no translation for."""
    missing = set()
    for name, data in files.items():
        if not name.endswith(".xml"):
            continue
        for match in ATTRIBUTE.finditer(data.decode("utf-8")):
            value = unescape(match.group(2))
            if re.search("[a-z]{3}", value) and value not in T.values() and \
                    value != "None" and not re.match(r"^(At|AT|at)\+", value):
                missing.add(value)
    return missing


def main():
    files = expected_files()
    if "--check" in sys.argv:
        status = 0
        for name, data in files.items():
            path = os.path.join(ZH, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                print("make_zh_skin: %s is not what the English skin gives" % name)
                status = 1
        for name in os.listdir(ZH) if os.path.isdir(ZH) else []:
            if name not in files:
                print("make_zh_skin: %s has no English counterpart" % name)
                status = 1
        for value in sorted(untranslated(files)):
            print("make_zh_skin: no translation for %r" % value)
        return status
    for value in sorted(untranslated(files)):
        print("make_zh_skin: no translation for %r" % value)
    if os.path.isdir(ZH):
        shutil.rmtree(ZH)
    os.makedirs(ZH)
    for name, data in files.items():
        with open(os.path.join(ZH, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
