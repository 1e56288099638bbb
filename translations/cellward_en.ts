<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Brand</name>
    <message>
        <source>多通道电池测试系统</source>
        <translation>Multi-channel Battery Test System</translation>
    </message>
</context>
<context>
    <name>Cell</name>
    <message>
        <source>电芯标称容量应为大于 0 的数 (Ah): %1</source>
        <translation>The cell's nominal capacity must be a number above 0 (Ah): %1</translation>
    </message>
    <message>
        <source>电芯编号应为 1 到 %1 个字符: %2</source>
        <translation>The cell ID must have 1 to %1 characters: %2</translation>
    </message>
    <message>
        <source>电芯编号不能含控制字符</source>
        <translation>The cell ID may not contain control characters</translation>
    </message>
    <message>
        <source>电芯 %1</source>
        <translation>Cell %1</translation>
    </message>
    <message>
        <source>电芯 %1, 标称 %2 Ah</source>
        <translation>Cell %1, nominal %2 Ah</translation>
    </message>
    <message>
        <source>电芯编号, 可加标称容量 (Ah), 如 B2412-007:2.5; 不填则不记电芯</source>
        <translation>Cell ID, optionally with its nominal capacity (Ah), e.g. B2412-007:2.5; leave empty for no cell</translation>
    </message>
    <message>
        <source>电芯</source>
        <translation>Cell</translation>
    </message>
</context>
<context>
    <name>Continue</name>
    <message>
        <source>通道%1的测试未继续：单元未应答</source>
        <translation>Channel %1: test not continued, its unit did not answer</translation>
    </message>
    <message>
        <source>通道%1的测试未继续：单元型号不同</source>
        <translation>Channel %1: test not continued, the unit is another model</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>保存数据-设备%1</source>
        <translation>Save data - device %1</translation>
    </message>
    <message>
        <source> 通道%1</source>
        <translation> channel %1</translation>
    </message>
</context>
<context>
    <name>Headless</name>
    <message>
        <source>通道%1停止未确认</source>
        <translation>Channel %1: stop not confirmed by the unit</translation>
    </message>
    <message>
        <source>停止未确认：%1</source>
        <translation>Stops not confirmed: %1</translation>
    </message>
    <message>
        <source>实验室库: %1 行待发, 下次启动时发送</source>
        <translation>Lab database: %1 rows waiting, sent at the next start</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>数据保存失败 %1</source>
        <translation>Data not saved: %1</translation>
    </message>
    <message>
        <source>启动设备%1</source>
        <translation>Start device %1</translation>
    </message>
    <message>
        <source>启动通道%1</source>
        <translation>Start channel %1</translation>
    </message>
    <message>
        <source>启动选中通道</source>
        <translation>Start selected channels</translation>
    </message>
    <message>
        <source>继续设备%1</source>
        <translation>Continue device %1</translation>
    </message>
    <message>
        <source>继续通道%1</source>
        <translation>Continue channel %1</translation>
    </message>
    <message>
        <source>继续选中通道</source>
        <translation>Continue selected channels</translation>
    </message>
    <message>
        <source>停止设备%1</source>
        <translation>Stop device %1</translation>
    </message>
    <message>
        <source>停止通道%1</source>
        <translation>Stop channel %1</translation>
    </message>
    <message>
        <source>停止选中通道</source>
        <translation>Stop selected channels</translation>
    </message>
    <message>
        <source>启动通道%1出错</source>
        <translation>Start channel %1 refused: voltage error</translation>
    </message>
    <message>
        <source>继续通道%1出错</source>
        <translation>Continue channel %1 refused: voltage error</translation>
    </message>
    <message>
        <source>通道%1电压出错</source>
        <translation>Channel %1 stopped: voltage error</translation>
    </message>
    <message>
        <source>通道%1电流出错</source>
        <translation>Channel %1 stopped: current error</translation>
    </message>
    <message>
        <source>备份写入失败 %1, 数据暂存在内存中</source>
        <translation>Cannot write the backup %1; the data are kept in memory</translation>
    </message>
    <message>
        <source>通道%1在断开期间停止</source>
        <translation>Channel %1 stopped while the port was lost</translation>
    </message>
</context>
<context>
    <name>Lab</name>
    <message>
        <source>尚未连接</source>
        <translation>not connected yet</translation>
    </message>
    <message>
        <source>实验室库: 已连接</source>
        <translation>Lab database: connected</translation>
    </message>
    <message>
        <source>实验室库: 未连接, 积压 %1 条</source>
        <translation>Lab database: not connected, %1 rows waiting</translation>
    </message>
    <message>
        <source>实验室库: 发送出错, 积压 %1 条, 已搁置 %2 条</source>
        <translation>Lab database: sending fails, %1 rows waiting, %2 set aside</translation>
    </message>
    <message>
        <source>实验室库: 已连接, 已搁置 %1 条</source>
        <translation>Lab database: connected, %1 rows set aside</translation>
    </message>
</context>
<context>
    <name>Message</name>
    <message>
        <source>程序文件夹无法创建或写入，请用 --home 指定一个可写的文件夹。</source>
        <translation>The program folder cannot be created or written. Give a writable folder with --home.</translation>
    </message>
    <message>
        <source>设置数据有误！</source>
        <translation>Invalid value!</translation>
    </message>
    <message>
        <source>低电压设置超出范围</source>
        <translation>Low voltage point out of range</translation>
    </message>
    <message>
        <source>高电压设置超出范围</source>
        <translation>High voltage point out of range</translation>
    </message>
    <message>
        <source>小电流设置超出范围</source>
        <translation>Low current point out of range</translation>
    </message>
    <message>
        <source>大电流设置超出范围</source>
        <translation>High current point out of range</translation>
    </message>
    <message>
        <source>设备%1:连接中...</source>
        <translation>Device %1: connecting...</translation>
    </message>
    <message>
        <source>错误的端口！</source>
        <translation>Wrong port!</translation>
    </message>
    <message>
        <source>请先停止运行!</source>
        <translation>Stop all running channels first!</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>%1正在运行，不能设置</source>
        <translation>%1 is running and cannot be set</translation>
    </message>
    <message>
        <source>设备%1 %2</source>
        <translation>Device %1: %2</translation>
    </message>
    <message>
        <source>设置超出范围</source>
        <translation>Value out of range</translation>
    </message>
    <message>
        <source>时间超出范围</source>
        <translation>Time out of range</translation>
    </message>
    <message>
        <source>电流值超出范围</source>
        <translation>Current out of range</translation>
    </message>
    <message>
        <source>电压值超出范围</source>
        <translation>Voltage out of range</translation>
    </message>
    <message>
        <source>工步%1：</source>
        <translation>Step %1: </translation>
    </message>
    <message>
        <source>格式有误</source>
        <translation>bad format</translation>
    </message>
    <message>
        <source>工步超出1～10</source>
        <translation>step not in 1 to 10</translation>
    </message>
    <message>
        <source>列超出1～5</source>
        <translation>column not in 1 to 5</translation>
    </message>
    <message>
        <source>数值有误</source>
        <translation>invalid value</translation>
    </message>
    <message>
        <source>工步文件无法读取</source>
        <translation>The step file cannot be read</translation>
    </message>
    <message>
        <source>工步文件第%1行有误：%2</source>
        <translation>Step file line %1 is invalid: %2</translation>
    </message>
    <message>
        <source>%1所有通道？</source>
        <translation>%1, all channels?</translation>
    </message>
    <message>
        <source>%1？</source>
        <translation>%1?</translation>
    </message>
    <message>
        <source>串口搜索完成</source>
        <translation>Port search finished</translation>
    </message>
    <message>
        <source>关闭软件？</source>
        <translation>Close the program?</translation>
    </message>
    <message>
        <source>请先断开设备连接！</source>
        <translation>Disconnect the devices first!</translation>
    </message>
    <message>
        <source>工步文件无法保存</source>
        <translation>The step file cannot be saved</translation>
    </message>
    <message>
        <source>设备上没有这个通道 (no such channel on the bench)</source>
        <translation>No such channel on the bench</translation>
    </message>
    <message>
        <source>无法读取工步文件 (cannot read the step file): %1</source>
        <translation>Cannot read the step file: %1</translation>
    </message>
    <message>
        <source>%1 已断开：每2秒重新打开</source>
        <translation>%1 lost: opening it again every 2 s</translation>
    </message>
    <message>
        <source>%1 已重新连接（断开%2秒）</source>
        <translation>%1 reconnected (lost for %2 s)</translation>
    </message>
    <message>
        <source>%1 已重新连接（断开%2秒），设备%3未应答</source>
        <translation>%1 reconnected (lost for %2 s); device %3 not answering</translation>
    </message>
    <message>
        <source>关闭软件？实验室库还有 %1 行待发, 下次启动时发送。</source>
        <translation>Close the program? %1 rows for the lab database are still waiting; they are sent at the next start.</translation>
    </message>
</context>
<context>
    <name>StationOptions</name>
    <message>
        <source>Run without a window: connect, print readings or run tests.</source>
        <translation>Run without a window: connect, print readings or run tests.</translation>
    </message>
    <message>
        <source>The program folder (klv.ini, Data, Log, backups).</source>
        <translation>The program folder (klv.ini, Data, Log, backups).</translation>
    </message>
    <message>
        <source>Connect at start to port COM&lt;N&gt; (1..20).</source>
        <translation>Connect at start to port COM&lt;N&gt; (1..20).</translation>
    </message>
    <message>
        <source>First device number to scan (1..6).</source>
        <translation>First device number to scan (1..6).</translation>
    </message>
    <message>
        <source>Last device number to scan (1..6).</source>
        <translation>Last device number to scan (1..6).</translation>
    </message>
    <message>
        <source>Headless: stop monitoring after S seconds.</source>
        <translation>Headless: stop monitoring after S seconds.</translation>
    </message>
    <message>
        <source>Apply this step file to --channels and start them.</source>
        <translation>Apply this step file to --channels and start them.</translation>
    </message>
    <message>
        <source>Channels for --program: all, or a list such as 1-1,1-2,2-3.</source>
        <translation>Channels for --program: all, or a list such as 1-1,1-2,2-3.</translation>
    </message>
    <message>
        <source>Continue these channels from their backups: all, or a list.</source>
        <translation>Continue these channels from their backups: all, or a list.</translation>
    </message>
    <message>
        <source>Tick &quot;自动保存&quot;: save every finished test to Data.</source>
        <translation>Tick &quot;Auto save&quot;: save every finished test to Data.</translation>
    </message>
    <message>
        <source>Write a picture of the main window to FILE.png.</source>
        <translation>Write a picture of the main window to FILE.png.</translation>
    </message>
    <message>
        <source>With --snapshot: write the picture again every S seconds.</source>
        <translation>With --snapshot: write the picture again every S seconds.</translation>
    </message>
    <message>
        <source>Write the step CSVs of FILE.dat to BASE-*.csv, then exit.</source>
        <translation>Write the step CSVs of FILE.dat to BASE-*.csv, then exit.</translation>
    </message>
    <message>
        <source>Draw a view of FILE.dat into OUT.png or OUT.bmp, then exit.</source>
        <translation>Draw a view of FILE.dat into OUT.png or OUT.bmp, then exit.</translation>
    </message>
    <message>
        <source>The language of the window: zh or en (default: klv.ini, then the system&apos;s).</source>
        <translation>The language of the window: zh or en (default: klv.ini, then the system&apos;s).</translation>
    </message>
    <message>
        <source>Show this help.</source>
        <translation>Show this help.</translation>
    </message>
    <message>
        <source>Show the version.</source>
        <translation>Show the version.</translation>
    </message>
    <message>
        <source>[Cellward] %1: the station for a bench of battery test units.</source>
        <translation>[Cellward] %1: the station for a bench of battery test units.</translation>
    </message>
    <message>
        <source>Write FILE.dat as a Battery Data Format CSV to OUT.csv, then exit.</source>
        <translation>Write FILE.dat as a Battery Data Format CSV to OUT.csv, then exit.</translation>
    </message>
    <message>
        <source>Also write every test to this lab PostgreSQL database (a libpq URI).</source>
        <translation>Also write every test to this lab PostgreSQL database (a libpq URI).</translation>
    </message>
    <message>
        <source>The bench&apos;s name in the lab database (default: host-folder).</source>
        <translation>The bench&apos;s name in the lab database (default: host-folder).</translation>
    </message>
    <message>
        <source>Write the cycle table of each FILE.dat to BASE.cycles.csv beside it, then exit.</source>
        <translation>Write the cycle table of each FILE.dat to BASE.cycles.csv beside it, then exit.</translation>
    </message>
    <message>
        <source>With --export-cycles: write the tables into this folder.</source>
        <translation>With --export-cycles: write the tables into this folder.</translation>
    </message>
    <message>
        <source>With --picture: the view to draw (default 全部-时间; 容量-循环 the capacity of every cycle).</source>
        <translation>With --picture: the view to draw, by its Chinese name: 全部-时间 (all, time; the default), 放电-时间, 放电-容量, 充电-时间, 充电-容量, 容量-次数, or 容量-循环 (the capacity of every cycle, from the cycles page).</translation>
    </message>
    <message>
        <source>The cell the tests started on LIST run on: its ID (1 to 64 characters) and, optionally, its nominal capacity in Ah, e.g. 1-1=B2412-007:2.5. Repeatable.</source>
        <translation>The cell the tests started on LIST run on: its ID (1 to 64 characters) and, optionally, its nominal capacity in Ah, e.g. 1-1=B2412-007:2.5. Repeatable.</translation>
    </message>
</context>
<context>
    <name>Table</name>
    <message>
        <source>通道</source>
        <translation>Channel</translation>
    </message>
    <message>
        <source>工步</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>容量(Ah)</source>
        <translation>Capacity (Ah)</translation>
    </message>
    <message>
        <source>全部-时间</source>
        <translation>All vs. time</translation>
    </message>
    <message>
        <source>放电-时间</source>
        <translation>Discharge vs. time</translation>
    </message>
    <message>
        <source>放电-容量</source>
        <translation>Discharge vs. capacity</translation>
    </message>
    <message>
        <source>充电-时间</source>
        <translation>Charge vs. time</translation>
    </message>
    <message>
        <source>充电-容量</source>
        <translation>Charge vs. capacity</translation>
    </message>
    <message>
        <source>容量-次数</source>
        <translation>Capacity vs. cycle</translation>
    </message>
    <message>
        <source>循环</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>能量(Wh)</source>
        <translation>Energy (Wh)</translation>
    </message>
    <message>
        <source>时间(S)</source>
        <translation>Time (s)</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Voltage</translation>
    </message>
    <message>
        <source>电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Discharge</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>运行模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>设定电流</source>
        <translation>Set current</translation>
    </message>
    <message>
        <source>设定电压</source>
        <translation>Set voltage</translation>
    </message>
    <message>
        <source>终止电流</source>
        <translation>End current</translation>
    </message>
    <message>
        <source>时间/次</source>
        <translation>Time/count</translation>
    </message>
    <message>
        <source>全部</source>
        <translation>All</translation>
    </message>
    <message>
        <source>设备%1: %2 (%3V/%4A)</source>
        <translation>Device %1: %2 (%3 V/%4 A)</translation>
    </message>
    <message>
        <source>设备%1</source>
        <translation>Device %1</translation>
    </message>
    <message>
        <source>工步%1</source>
        <translation>Step %1</translation>
    </message>
    <message>
        <source>恒流放</source>
        <translation>CC discharge</translation>
    </message>
    <message>
        <source>恒压充</source>
        <translation>CV charge</translation>
    </message>
    <message>
        <source>搁置</source>
        <translation>Rest</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Loop count</translation>
    </message>
    <message>
        <source>次</source>
        <translation>times</translation>
    </message>
    <message>
        <source>终止时间</source>
        <translation>Time limit</translation>
    </message>
    <message>
        <source>分</source>
        <translation>min</translation>
    </message>
    <message>
        <source>测试</source>
        <translation>Testing</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stopped</translation>
    </message>
    <message>
        <source>电压(V)</source>
        <translation>Voltage (V)</translation>
    </message>
    <message>
        <source>电流(A)</source>
        <translation>Current (A)</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>State</translation>
    </message>
    <message>
        <source>未知%1</source>
        <translation>Unknown %1</translation>
    </message>
    <message>
        <source>开始时间(S)</source>
        <translation>Start Time / s</translation>
    </message>
    <message>
        <source>结束时间(S)</source>
        <translation>End Time / s</translation>
    </message>
    <message>
        <source>充电容量(Ah)</source>
        <translation>Charging Capacity / Ah</translation>
    </message>
    <message>
        <source>放电容量(Ah)</source>
        <translation>Discharging Capacity / Ah</translation>
    </message>
    <message>
        <source>充电能量(Wh)</source>
        <translation>Charging Energy / Wh</translation>
    </message>
    <message>
        <source>放电能量(Wh)</source>
        <translation>Discharging Energy / Wh</translation>
    </message>
    <message>
        <source>库仑效率(%)</source>
        <translation>Coulombic Efficiency / %</translation>
    </message>
    <message>
        <source>能量效率(%)</source>
        <translation>Energy Efficiency / %</translation>
    </message>
    <message>
        <source>平均充电电压(V)</source>
        <translation>Mean Charging Voltage / V</translation>
    </message>
    <message>
        <source>平均放电电压(V)</source>
        <translation>Mean Discharging Voltage / V</translation>
    </message>
    <message>
        <source>最高电压(V)</source>
        <translation>Maximum Voltage / V</translation>
    </message>
    <message>
        <source>最低电压(V)</source>
        <translation>Minimum Voltage / V</translation>
    </message>
    <message>
        <source>容量保持率(%)</source>
        <translation>Discharge Capacity Retention / %</translation>
    </message>
    <message>
        <source>累计容量(Ah)</source>
        <translation>Cumulative Throughput / Ah</translation>
    </message>
    <message>
        <source>充电容量</source>
        <translation>Charge capacity</translation>
    </message>
    <message>
        <source>放电容量</source>
        <translation>Discharge capacity</translation>
    </message>
    <message>
        <source>库仑效率</source>
        <translation>Coulombic efficiency</translation>
    </message>
    <message>
        <source>dQ/dV 循环%1 %2</source>
        <translation>dQ/dV, cycle %1, %2</translation>
    </message>
    <message>
        <source>容量-循环</source>
        <translation>Capacity per cycle</translation>
    </message>
    <message>
        <source>循环序号</source>
        <translation>Cycle Count / 1</translation>
    </message>
</context>
<context>
    <name>Tile</name>
    <message>
        <source>充电</source>
        <translation>Chg</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Dsg</translation>
    </message>
    <message>
        <source>搁置</source>
        <translation>Rest</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>通讯</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>电压</source>
        <translation>Volt</translation>
    </message>
    <message>
        <source>出错</source>
        <translation>Err</translation>
    </message>
    <message>
        <source>停止未确认</source>
        <translation>Stop unconfirmed</translation>
    </message>
    <message>
        <source>端口断开</source>
        <translation>Port lost</translation>
    </message>
    <message>
        <source>设备未应答</source>
        <translation>No answer</translation>
    </message>
</context>
<context>
    <name>klv::AboutDialog</name>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>版本: V%1.%2.%3</source>
        <translation>Version: V%1.%2.%3</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>klv::CalibrationDialog</name>
    <message>
        <source>参数校准</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>基准校准--设备%1 通道%2</source>
        <translation>Reference calibration - device %1 channel %2</translation>
    </message>
    <message>
        <source>校准V&amp;L</source>
        <translation>Calibrate V&amp;L</translation>
    </message>
    <message>
        <source>校准&amp;VH</source>
        <translation>Calibrate &amp;VH</translation>
    </message>
    <message>
        <source>校准&amp;CL</source>
        <translation>Calibrate &amp;CL</translation>
    </message>
    <message>
        <source>校准C&amp;H</source>
        <translation>Calibrate C&amp;H</translation>
    </message>
</context>
<context>
    <name>klv::CapacityQueryWidget</name>
    <message>
        <source>起始设备</source>
        <translation>First device</translation>
    </message>
    <message>
        <source>终止设备</source>
        <translation>Last device</translation>
    </message>
    <message>
        <source>起始循环</source>
        <translation>First loop</translation>
    </message>
    <message>
        <source>终止循环</source>
        <translation>Last loop</translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
</context>
<context>
    <name>klv::ConnectProgress</name>
    <message>
        <source>连接设备</source>
        <translation>Connect devices</translation>
    </message>
</context>
<context>
    <name>klv::CyclePageWidget</name>
    <message>
        <source>循环表</source>
        <translation>Cycle table</translation>
    </message>
    <message>
        <source>容量-循环曲线</source>
        <translation>Capacity per cycle plot</translation>
    </message>
    <message>
        <source>dQ/dV 曲线</source>
        <translation>dQ/dV plot</translation>
    </message>
    <message>
        <source>dQ/dV 的循环</source>
        <translation>Cycle of the dQ/dV plot</translation>
    </message>
    <message>
        <source>dQ/dV 的充电或放电</source>
        <translation>Charge or discharge of the dQ/dV plot</translation>
    </message>
    <message>
        <source>充电</source>
        <translation>Charge</translation>
    </message>
    <message>
        <source>放电</source>
        <translation>Discharge</translation>
    </message>
    <message>
        <source>循环号(&amp;N)</source>
        <translation>Cycle &amp;number</translation>
    </message>
    <message>
        <source>充放电(&amp;D)</source>
        <translation>Charge or &amp;discharge</translation>
    </message>
    <message>
        <source>保存循环表</source>
        <translation>Save cycle table</translation>
    </message>
    <message>
        <source>保存容量曲线</source>
        <translation>Save capacity plot</translation>
    </message>
    <message>
        <source>保存dQ/dV曲线</source>
        <translation>Save dQ/dV plot</translation>
    </message>
</context>
<context>
    <name>klv::DataViewerWindow</name>
    <message>
        <source>曲线数据</source>
        <translation>Curve data</translation>
    </message>
    <message>
        <source>曲线</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>打开数据</source>
        <translation>Open data</translation>
    </message>
    <message>
        <source>保存单步</source>
        <translation>Save steps</translation>
    </message>
    <message>
        <source>保存曲线</source>
        <translation>Save curves</translation>
    </message>
    <message>
        <source>显示标识</source>
        <translation>Show labels</translation>
    </message>
    <message>
        <source>修改标题</source>
        <translation>Change title</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>View</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>正在打开 %1 …</source>
        <translation>Opening %1 …</translation>
    </message>
    <message>
        <source>%1 个数据点，%2 个工步结果</source>
        <translation>%1 data points, %2 step results</translation>
    </message>
    <message>
        <source>保存单步数据</source>
        <translation>Save step data</translation>
    </message>
    <message>
        <source>已保存 %1 个单步文件</source>
        <translation>Saved %1 step files</translation>
    </message>
    <message>
        <source>请输入新的标题</source>
        <translation>Enter the new title</translation>
    </message>
    <message>
        <source>曲线标题</source>
        <translation>Curve title</translation>
    </message>
    <message>
        <source>保存BDF</source>
        <translation>Save BDF</translation>
    </message>
    <message>
        <source>已保存 BDF 文件</source>
        <translation>BDF file saved</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>曲线(&amp;C)</source>
        <translation>&amp;Curves</translation>
    </message>
    <message>
        <source>无法写入 %1</source>
        <translation>Cannot write %1</translation>
    </message>
    <message>
        <source>页面</source>
        <translation>Pages</translation>
    </message>
    <message>
        <source>曲线(&amp;V)</source>
        <translation>Cur&amp;ves</translation>
    </message>
    <message>
        <source>循环(&amp;Y)</source>
        <translation>C&amp;ycles</translation>
    </message>
    <message>
        <source>保存循环表</source>
        <translation>Save cycle table</translation>
    </message>
    <message>
        <source>已保存 %1</source>
        <translation>Saved %1</translation>
    </message>
</context>
<context>
    <name>klv::DetailPage</name>
    <message>
        <source>循环表</source>
        <translation>Cycle table</translation>
    </message>
</context>
<context>
    <name>klv::DisplayDialog</name>
    <message>
        <source>显示设置</source>
        <translation>Display settings</translation>
    </message>
    <message>
        <source>网格：</source>
        <translation>Grid:</translation>
    </message>
    <message>
        <source>背景：</source>
        <translation>Background:</translation>
    </message>
    <message>
        <source>坐标：</source>
        <translation>Axes:</translation>
    </message>
    <message>
        <source>电压：</source>
        <translation>Voltage:</translation>
    </message>
    <message>
        <source>电流：</source>
        <translation>Current:</translation>
    </message>
    <message>
        <source>实线</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>虚线</source>
        <translation>Dashed</translation>
    </message>
    <message>
        <source>主轴：</source>
        <translation>Major grid:</translation>
    </message>
    <message>
        <source>副轴：</source>
        <translation>Minor grid:</translation>
    </message>
    <message>
        <source>线宽：</source>
        <translation>Line width:</translation>
    </message>
    <message>
        <source>曲线标识</source>
        <translation>Curve labels</translation>
    </message>
    <message>
        <source>曲线线条</source>
        <translation>Curve lines</translation>
    </message>
    <message>
        <source>曲线右侧显示</source>
        <translation>Right of the curves</translation>
    </message>
    <message>
        <source>曲线颜色</source>
        <translation>Curve colours</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>klv::OverviewPage</name>
    <message>
        <source>图形显示</source>
        <translation>Graph view</translation>
    </message>
    <message>
        <source>列表显示</source>
        <translation>List view</translation>
    </message>
    <message>
        <source>容量筛选</source>
        <translation>Capacity screening</translation>
    </message>
    <message>
        <source>数据报表</source>
        <translation>Data report</translation>
    </message>
    <message>
        <source>设备列表</source>
        <translation>Devices</translation>
    </message>
    <message>
        <source>历史记录</source>
        <translation>History</translation>
    </message>
    <message>
        <source>电压:</source>
        <translation>Voltage:</translation>
    </message>
    <message>
        <source>电流:</source>
        <translation>Current:</translation>
    </message>
    <message>
        <source>容量:</source>
        <translation>Capacity:</translation>
    </message>
    <message>
        <source>能量:</source>
        <translation>Energy:</translation>
    </message>
    <message>
        <source>选择颜色</source>
        <translation>Choose colour</translation>
    </message>
</context>
<context>
    <name>klv::PortDialog</name>
    <message>
        <source>连接设备</source>
        <translation>Connect devices</translation>
    </message>
    <message>
        <source>串口：</source>
        <translation>Serial port:</translation>
    </message>
    <message>
        <source>起始设备：</source>
        <translation>First device:</translation>
    </message>
    <message>
        <source>结束设备：</source>
        <translation>Last device:</translation>
    </message>
    <message>
        <source>搜索串口</source>
        <translation>Search ports</translation>
    </message>
</context>
<context>
    <name>klv::ReportDialog</name>
    <message>
        <source>数据报表</source>
        <translation>Data report</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>保存数据</source>
        <translation>Save data</translation>
    </message>
</context>
<context>
    <name>klv::ScreeningDialog</name>
    <message>
        <source>容量刷选</source>
        <translation>Capacity screening</translation>
    </message>
    <message>
        <source>最小容量(Ah)</source>
        <translation>Minimum capacity (Ah)</translation>
    </message>
    <message>
        <source>最大容量(Ah)</source>
        <translation>Maximum capacity (Ah)</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>klv::StationMenus</name>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>工具(&amp;T)</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>连接设备</source>
        <translation>Connect devices</translation>
    </message>
    <message>
        <source>显示设置</source>
        <translation>Display settings</translation>
    </message>
    <message>
        <source>数据分析</source>
        <translation>Data analysis</translation>
    </message>
    <message>
        <source>自动保存</source>
        <translation>Auto save</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>控制</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Step program</translation>
    </message>
    <message>
        <source>通道启动</source>
        <translation>Start channel</translation>
    </message>
    <message>
        <source>通道停止</source>
        <translation>Stop channel</translation>
    </message>
    <message>
        <source>通道继续</source>
        <translation>Continue channel</translation>
    </message>
    <message>
        <source>通道保存</source>
        <translation>Save channel</translation>
    </message>
    <message>
        <source>设备启动</source>
        <translation>Start device</translation>
    </message>
    <message>
        <source>设备停止</source>
        <translation>Stop device</translation>
    </message>
    <message>
        <source>设备继续</source>
        <translation>Continue device</translation>
    </message>
    <message>
        <source>设备保存</source>
        <translation>Save device</translation>
    </message>
    <message>
        <source>多个启动</source>
        <translation>Start selected</translation>
    </message>
    <message>
        <source>多个停止</source>
        <translation>Stop selected</translation>
    </message>
    <message>
        <source>多个继续</source>
        <translation>Continue selected</translation>
    </message>
    <message>
        <source>基准校准</source>
        <translation>Reference calibration</translation>
    </message>
    <message>
        <source>断开设备</source>
        <translation>Disconnect devices</translation>
    </message>
</context>
<context>
    <name>klv::StationWindow</name>
    <message>
        <source>COM%1: 没有设备应答</source>
        <translation>COM%1: no device answers</translation>
    </message>
    <message>
        <source>未连接</source>
        <translation>Not connected</translation>
    </message>
    <message>
        <source>COM%1  ·  %2 台设备</source>
        <translation>COM%1  ·  %2 devices</translation>
    </message>
    <message>
        <source>  ·  %1 台无应答</source>
        <translation>  ·  %1 silent</translation>
    </message>
    <message>
        <source>COM%1 已断开，正在重新连接</source>
        <translation>COM%1 lost, reconnecting</translation>
    </message>
</context>
<context>
    <name>klv::StepChooserDialog</name>
    <message>
        <source>工步选择</source>
        <translation>Choose steps</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>klv::StepEditorDialog</name>
    <message>
        <source>保存设置</source>
        <translation>Save step program</translation>
    </message>
    <message>
        <source>打开设置</source>
        <translation>Open step program</translation>
    </message>
    <message>
        <source>参数设置</source>
        <translation>Step program</translation>
    </message>
    <message>
        <source>工步：</source>
        <translation>Step:</translation>
    </message>
    <message>
        <source>模式：</source>
        <translation>Mode:</translation>
    </message>
    <message>
        <source>电流：</source>
        <translation>Current:</translation>
    </message>
    <message>
        <source>电压：</source>
        <translation>Voltage:</translation>
    </message>
    <message>
        <source>终止电流：</source>
        <translation>End current:</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>设定</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
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
        <source>起始工步：</source>
        <translation>First step:</translation>
    </message>
    <message>
        <source>设置通道：</source>
        <translation>Apply to:</translation>
    </message>
    <message>
        <source>：</source>
        <translation>:</translation>
    </message>
</context>
</TS>
