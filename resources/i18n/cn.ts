<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name></name>
    <message>
        <source>Advanced Login</source>
        <translation>高级登录</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Please enter password</source>
        <translation>请输入密码</translation>
    </message>
    <message>
        <source>Password is incorrect</source>
        <translation>密码不正确</translation>
    </message>
</context>
<context>
    <name>messagebox</name>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>是</translation>
    </message>
    <message>
        <source>No</source>
        <translation>否</translation>
    </message>
    <message>
        <source>Prompt</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Notice</source>
        <translation>注意</translation>
    </message>
    <message>
        <source>No device detected!</source>
        <translation>未检测到设备！</translation>
    </message>
    <message>
        <source>Fail to connect device!</source>
        <translation>连接设备失败！</translation>
    </message>
    <message>
        <source>Device not connected</source>
        <translation>未连接设备</translation>
    </message>
    <message>
        <source>Recall device mode failed</source>
        <translation>调用设备场景失败</translation>
    </message>
    <message>
        <source>Initialization interface resource failure</source>
        <translation>初始化界面资源失败</translation>
    </message>
    <message>
        <source>Do not choose to come out of the scene!</source>
        <translation>未选择要导出的场景！</translation>
    </message>
    <message>
        <source>Exporting the scene successfully</source>
        <translation>导出场景成功</translation>
    </message>
    <message>
        <source>Failed to export effect to file</source>
        <translation>导出场景失败</translation>
    </message>
    <message>
        <source>A scenario with the same name already exists,Do you want to continue importing?</source>
        <translation>已经存在相同名称的场景，是否继续导入？</translation>
    </message>
    <message>
        <source>Car audio effect file</source>
        <translation>车载场景文件</translation>
    </message>
    <message>
        <source>Please select one or more vehicle scene files</source>
        <translation>请选择一个或多个车载场景文件</translation>
    </message>
    <message>
        <source>Name cannot be empty</source>
        <translation>名称不能为空</translation>
    </message>
    <message>
        <source>A scene with the same name already exists</source>
        <translation>已经存在相同名称的场景。</translation>
    </message>
    <message>
        <source>No selection of the scene to delete!</source>
        <translation>未选择要删除的场景！</translation>
    </message>
    <message>
        <source>Whether you want to delete the selected scene?</source>
        <translation>是否要删除所选的场景？</translation>
    </message>
    <message>
        <source>Unselected scene!</source>
        <translation>未选择场景！</translation>
    </message>
    <message>
        <source>Call the computer scene successfully!</source>
        <translation>调用电脑场景成功！</translation>
    </message>
    <message>
        <source>Recall PC mode failed</source>
        <translation>调用电脑场景失败</translation>
    </message>
    <message>
        <source>A scene that does not choose to replace!</source>
        <translation>未选择要替换的场景！</translation>
    </message>
    <message>
        <source>Do you want to replace the selected device mode?</source>
        <translation>是否要替换所选的设备场景？</translation>
    </message>
    <message>
        <source>Save successfully</source>
        <translation>保存成功</translation>
    </message>
    <message>
        <source>Save failed</source>
        <translation>保存失败</translation>
    </message>
    <message>
        <source>Sending data to device...</source>
        <translation>正在向设备发送数据...</translation>
    </message>
    <message>
        <source>%d scene file reads failed:%s
</source>
        <translation>%d个场景文件读取失败：%s
</translation>
    </message>
    <message>
        <source>%d scene file add failures:%s
</source>
        <translation>%d个场景文件添加失败：%s
</translation>
    </message>
    <message>
        <source>%d scenes have already existed：%s</source>
        <translation>%d个场景已经存在：%s</translation>
    </message>
    <message>
        <source>%d scene files imported successfully.
</source>
        <translation>%d个场景文件导入成功。
</translation>
    </message>
    <message>
        <source>The settings file could not be written: this change is kept only until the program ends.</source>
        <translation>无法写入设置文件：此更改只保留到程序退出。</translation>
    </message>
    <message>
        <source>The settings file could not be read completely. The settings that could be read are in use; the damaged file was kept as:
%1</source>
        <translation>设置文件无法完整读取。已使用能读取的设置；损坏的文件已另存为：
%1</translation>
    </message>
    <message>
        <source>The settings file cannot be read:
%1
It is left as it is: settings changed now are kept only until the program ends.</source>
        <translation>无法读取设置文件：
%1
该文件将保持原样：现在更改的设置只保留到程序退出。</translation>
    </message>
    <message>
        <source>The box plays a different tuning from %1 shown here.

Send %1 to the box, or take the box&apos;s tuning into %1? After taking, Undo brings %1 back. %2 stays as it is.</source>
        <translation>设备中的调音与此处显示的%1不同。

将%1发送到设备，还是把设备的调音取入%1？取入后，撤销可恢复%1。%2保持不变。</translation>
    </message>
    <message>
        <source>Send to the box</source>
        <translation>发送到设备</translation>
    </message>
    <message>
        <source>Take the box&apos;s tuning</source>
        <translation>取设备的调音</translation>
    </message>
    <message>
        <source>The scene holds values outside what the box may be given (allowed in brackets), so it was neither loaded nor sent:</source>
        <translation>该场景的参数超出设备允许的范围（括号内为允许值），因此既未载入也未发送：</translation>
    </message>
    <message>
        <source> and %1 more</source>
        <translation>，另有%1项</translation>
    </message>
    <message>
        <source>Another program is changing the settings file:
%1
So that its change is kept, settings changed now are kept only until the program ends.</source>
        <translation>另一个程序正在修改设置文件：
%1
为保留它的修改，现在更改的设置只保留到程序退出。</translation>
    </message>
    <message>
        <source>The car for the emulated microphone cannot be used:
%1</source>
        <translation>模拟麦克风所在的车辆无法使用：
%1</translation>
    </message>
    <message>
        <source>%1 is not the memory of an emulated box, or it is damaged.</source>
        <translation>%1 不是模拟设备的存储文件，或已损坏。</translation>
    </message>
    <message>
        <source>The emulated box's memory cannot be read:
%1

%2

The file is left as it is.</source>
        <translation>无法读取模拟设备的存储文件：
%1

%2

该文件保持原样。</translation>
    </message>
    <message>
        <source>The emulated box's memory is in use by another program:
%1

Close that program, or give this one a file of its own.</source>
        <translation>模拟设备的存储文件正被另一个程序使用：
%1

请关闭那个程序，或为本程序指定另一个文件。</translation>
    </message>
    <message>
        <source>The emulated box's memory cannot be locked:
%1

%2</source>
        <translation>无法锁定模拟设备的存储文件：
%1

%2</translation>
    </message>
</context>
<context>
    <name>editmenu</name>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Cut</source>
        <translation>剪切</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>复制</translation>
    </message>
    <message>
        <source>Paste</source>
        <translation>粘贴</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>全选</translation>
    </message>
</context>
<context>
    <name>main_menu</name>
    <message>
        <source>My Preset</source>
        <translation>我的场景</translation>
    </message>
    <message>
        <source>Import filters...</source>
        <translation>导入滤波器...</translation>
    </message>
    <message>
        <source>Export filters...</source>
        <translation>导出滤波器...</translation>
    </message>
    <message>
        <source>Measurement...</source>
        <translation>测量曲线...</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Copy A to B</source>
        <translation>复制 A 到 B</translation>
    </message>
    <message>
        <source>Copy B to A</source>
        <translation>复制 B 到 A</translation>
    </message>
</context>
<context>
    <name>mainWindow</name>
    <message>
        <source>Undo</source>
        <translation>撤销</translation>
    </message>
    <message>
        <source>Redo</source>
        <translation>重做</translation>
    </message>
    <message>
        <source>Car Audio DSP Tuner</source>
        <translation>车载音频DSP调音</translation>
    </message>
    <message>
        <source>Car Audio DSP</source>
        <translation>车载音频DSP</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Config</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Memory</source>
        <translation>设备场景</translation>
    </message>
    <message>
        <source>Mix</source>
        <translation>混音</translation>
    </message>
    <message>
        <source>Connected</source>
        <translation>已连接设备</translation>
    </message>
    <message>
        <source>Not connect</source>
        <translation>未连接设备</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Delay</source>
        <translation>延时</translation>
    </message>
    <message>
        <source>Master</source>
        <translation>主音量</translation>
    </message>
    <message>
        <source>Sub</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>静音</translation>
    </message>
    <message>
        <source>Phase</source>
        <translation>反相</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>联调</translation>
    </message>
    <message>
        <source>4 Channel</source>
        <translation>4声道</translation>
    </message>
    <message>
        <source>2 Channel</source>
        <translation>2声道</translation>
    </message>
    <message>
        <source>Limiter</source>
        <translation>限幅器</translation>
    </message>
    <message>
        <source>At.Time</source>
        <translation>启动时间</translation>
    </message>
    <message>
        <source>Re.Time</source>
        <translation>释放时间</translation>
    </message>
    <message>
        <source>DBu</source>
        <translation>门限</translation>
    </message>
    <message>
        <source>NoiseGate</source>
        <translation>噪声门</translation>
    </message>
    <message>
        <source>Crossover</source>
        <translation>分频器</translation>
    </message>
    <message>
        <source>HP Type</source>
        <translation>高通类型</translation>
    </message>
    <message>
        <source>HP Freq</source>
        <translation>高通频率</translation>
    </message>
    <message>
        <source>HP Slope</source>
        <translation>高通斜率</translation>
    </message>
    <message>
        <source>LP Type</source>
        <translation>低通类型</translation>
    </message>
    <message>
        <source>LP Freq</source>
        <translation>低通频率</translation>
    </message>
    <message>
        <source>LP Slope</source>
        <translation>低通斜率</translation>
    </message>
    <message>
        <source>ResetEQ</source>
        <translation>重置EQ</translation>
    </message>
    <message>
        <source>BypassEQ</source>
        <translation>直通EQ</translation>
    </message>
    <message>
        <source>Freq</source>
        <translation>频率</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>预设</translation>
    </message>
    <message>
        <source>Sub bass</source>
        <translation>超低音</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>低音</translation>
    </message>
    <message>
        <source>Low mid</source>
        <translation>中低音</translation>
    </message>
    <message>
        <source>Mid</source>
        <translation>中音</translation>
    </message>
    <message>
        <source>Upper mid</source>
        <translation>中高音</translation>
    </message>
    <message>
        <source>Presence</source>
        <translation>临场感</translation>
    </message>
    <message>
        <source>Brilliance</source>
        <translation>明亮度</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>恢复默认</translation>
    </message>
    <message>
        <source>Device Preset</source>
        <translation>设备场景</translation>
    </message>
    <message>
        <source>My Preset</source>
        <translation>我的场景</translation>
    </message>
    <message>
        <source>Memory slot in the box</source>
        <translation>设备中的存储位置</translation>
    </message>
    <message>
        <source>Factory settings</source>
        <translation>出厂设置</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>调用</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>导入</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message>
        <source>Save Current</source>
        <translation>保存当前设置</translation>
    </message>
    <message>
        <source>Import scenario</source>
        <translation>导入场景</translation>
    </message>
    <message>
        <source>Export scene</source>
        <translation>导出场景</translation>
    </message>
    <message>
        <source>Scenes on this computer</source>
        <translation>电脑中的场景</translation>
    </message>
    <message>
        <source>Sending data to device...</source>
        <translation>正在向设备发送数据...</translation>
    </message>
    <message>
        <source>Drag the listener and the speakers to where they are in the car.</source>
        <translation>将听音位置和各扬声器拖到车内的实际位置。</translation>
    </message>
    <message>
        <source>Input 1</source>
        <translation>输入1</translation>
    </message>
    <message>
        <source>Input 2</source>
        <translation>输入2</translation>
    </message>
    <message>
        <source>Input 3</source>
        <translation>输入3</translation>
    </message>
    <message>
        <source>Input 4</source>
        <translation>输入4</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>信号</translation>
    </message>
    <message>
        <source>NPhase</source>
        <translation>正相</translation>
    </message>
    <message>
        <source>RPhase</source>
        <translation>反相</translation>
    </message>
</context>
<context>
    <name>dlg_about</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Version</source>
        <translation>版本</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Car Audio DSP Tuner</source>
        <translation>车载音频DSP调音</translation>
    </message>
    <message>
        <source>Tunes the car-audio signal processor live from this computer: equaliser, crossovers, delays, levels and the input mix.</source>
        <translation>在这台电脑上实时调校车载音频处理器：均衡、分频、延时、电平和输入混音。</translation>
    </message>
</context>
<context>
    <name>filter_files</name>
    <message>
        <source>Import filters</source>
        <translation>导入滤波器</translation>
    </message>
    <message>
        <source>Export filters</source>
        <translation>导出滤波器</translation>
    </message>
    <message>
        <source>Text files</source>
        <translation>文本文件</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>所有文件</translation>
    </message>
    <message>
        <source>REW filter settings</source>
        <translation>REW 滤波器设置</translation>
    </message>
    <message>
        <source>Equalizer APO configuration</source>
        <translation>Equalizer APO 配置</translation>
    </message>
    <message>
        <source>The file could not be read:
%1</source>
        <translation>无法读取该文件：
%1</translation>
    </message>
    <message>
        <source>The file is too large for a filter set:
%1</source>
        <translation>该文件太大，不是滤波器设置文件：
%1</translation>
    </message>
    <message>
        <source>The file is empty:
%1</source>
        <translation>该文件是空的：
%1</translation>
    </message>
    <message>
        <source>The file holds no filters. The first line that is not a filter:</source>
        <translation>该文件中没有滤波器。第一个不是滤波器的行：</translation>
    </message>
    <message>
        <source>The file is not a filter set that can be read. The first line that could not be read:</source>
        <translation>该文件不是可读取的滤波器设置。第一个无法读取的行：</translation>
    </message>
    <message>
        <source>Line %1: %2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>Line %1: %2 (%3)</source>
        <translation>第 %1 行：%2（%3）</translation>
    </message>
    <message>
        <source>Nothing was changed.</source>
        <translation>未做任何更改。</translation>
    </message>
    <message>
        <source>The file has %1 peaking filters, but a channel has only %2 bands. Nothing was changed.</source>
        <translation>该文件有 %1 个峰值滤波器，但一个通道只有 %2 个频段。未做任何更改。</translation>
    </message>
    <message>
        <source>The file holds no filter the box can take. Nothing was changed.</source>
        <translation>该文件中没有设备可以使用的滤波器。未做任何更改。</translation>
    </message>
    <message>
        <source>The file sets a preamp of %1 dB. Change the level of %2 by it (in whole dB)?</source>
        <translation>该文件设置了 %1 dB 的前级增益。是否按此调整 %2 的音量（取整 dB）？</translation>
    </message>
    <message>
        <source>Bands imported into %1: %2. The other bands are flat.</source>
        <translation>导入到 %1 的频段：%2 个。其余频段为平直。</translation>
    </message>
    <message>
        <source>Linked channels follow: %1.</source>
        <translation>联调的通道同步更改：%1。</translation>
    </message>
    <message>
        <source>High-pass (line %1): %2, %3, %4 Hz</source>
        <translation>高通（第 %1 行）：%2，%3，%4 Hz</translation>
    </message>
    <message>
        <source>Low-pass (line %1): %2, %3, %4 Hz</source>
        <translation>低通（第 %1 行）：%2，%3，%4 Hz</translation>
    </message>
    <message>
        <source>Preamp %1 dB: applied, the level changed by %2 dB.</source>
        <translation>前级增益 %1 dB：已应用，音量改变了 %2 dB。</translation>
    </message>
    <message>
        <source>Preamp %1 dB: not applied.</source>
        <translation>前级增益 %1 dB：未应用。</translation>
    </message>
    <message>
        <source>Not imported:</source>
        <translation>未导入：</translation>
    </message>
    <message>
        <source>switched off in the file</source>
        <translation>文件中已关闭</translation>
    </message>
    <message>
        <source>the box has no such filter</source>
        <translation>设备没有这种滤波器</translation>
    </message>
    <message>
        <source>the box has one high-pass and one low-pass; the first one was used</source>
        <translation>设备只有一个高通和一个低通；已使用第一个</translation>
    </message>
    <message>
        <source>Changed to what the box can hold:</source>
        <translation>已改为设备可以保存的值：</translation>
    </message>
    <message>
        <source>frequency %1 Hz held as %2 Hz</source>
        <translation>频率 %1 Hz 保存为 %2 Hz</translation>
    </message>
    <message>
        <source>gain %1 dB held as %2 dB</source>
        <translation>增益 %1 dB 保存为 %2 dB</translation>
    </message>
    <message>
        <source>Q %1 held as %2</source>
        <translation>Q %1 保存为 %2</translation>
    </message>
    <message>
        <source>a low shelf</source>
        <translation>低架滤波器</translation>
    </message>
    <message>
        <source>a high shelf</source>
        <translation>高架滤波器</translation>
    </message>
    <message>
        <source>a graphic EQ curve</source>
        <translation>图示均衡曲线</translation>
    </message>
    <message>
        <source>%1, approximated by 1 band</source>
        <translation>%1，用 1 个频段近似</translation>
    </message>
    <message>
        <source>%1, approximated by %2 bands</source>
        <translation>%1，用 %2 个频段近似</translation>
    </message>
    <message>
        <source>The box has no shelf or graphic EQ filter; bands fitted to the file's curve stand in, within %1 dB of it:</source>
        <translation>设备没有架式滤波器或图示均衡器；改用按文件曲线拟合的频段代替，偏差在 %1 dB 以内：</translation>
    </message>
    <message>
        <source>The box has no shelf or graphic EQ filter; bands fitted to the file's curve stand in, within %1 dB RMS of it:</source>
        <translation>设备没有架式滤波器或图示均衡器；改用按文件曲线拟合的频段代替，均方根偏差在 %1 dB 以内：</translation>
    </message>
    <message>
        <source>The shelf on line %1 describes no filter: a shelf needs Fc, a gain and a positive Q or a slope its gain allows.</source>
        <translation>第 %1 行的架式滤波器不构成滤波器：架式滤波器需要 Fc、增益，以及正的 Q 值或其增益允许的斜率。</translation>
    </message>
    <message>
        <source>Bands the peaking filters leave free: %1, too few to follow these shelves and curves within %2 dB (the closest came to %3 dB):</source>
        <translation>峰值滤波器剩下的空闲频段：%1 个，不足以在 %2 dB 以内跟随以下架式滤波器和曲线（最接近时相差 %3 dB）：</translation>
    </message>
    <message>
        <source>Remove filters from the file or import it in parts.</source>
        <translation>请从文件中删除一些滤波器，或分几次导入。</translation>
    </message>
    <message>
        <source>... and %1 more</source>
        <translation>……另外还有 %1 行</translation>
    </message>
    <message>
        <source>Filters exported:
%1</source>
        <translation>滤波器已导出：
%1</translation>
    </message>
    <message>
        <source>The filter file could not be written:
%1</source>
        <translation>无法写入滤波器文件：
%1</translation>
    </message>
    <message>
        <source>Line %1 of %2: %3 (%4)</source>
        <translation>%2 第 %1 行：%3（%4）</translation>
    </message>
    <message>
        <source>a configuration line; the box has nothing for it</source>
        <translation>配置行；设备没有对应的功能</translation>
    </message>
    <message>
        <source>the included file was not read: %1</source>
        <translation>未读取所包含的文件：%1</translation>
    </message>
    <message>
        <source>the included file is missing: %1</source>
        <translation>所包含的文件不存在：%1</translation>
    </message>
    <message>
        <source>the included file cannot be read: %1</source>
        <translation>无法读取所包含的文件：%1</translation>
    </message>
    <message>
        <source>the included file is not text: %1</source>
        <translation>所包含的文件不是文本：%1</translation>
    </message>
    <message>
        <source>the included file is too large for a filter set: %1</source>
        <translation>所包含的文件太大，不是滤波器组：%1</translation>
    </message>
    <message>
        <source>the file includes itself: %1</source>
        <translation>文件包含了它自身：%1</translation>
    </message>
    <message>
        <source>more than %1 levels of included files</source>
        <translation>包含文件超过 %1 层</translation>
    </message>
    <message>
        <source>more than %1 included files</source>
        <translation>包含文件超过 %1 个</translation>
    </message>
    <message>
        <source>a path on the computer that wrote the file; put the file beside this one and include it by name: %1</source>
        <translation>这是写入该文件的电脑上的路径；请把文件放在本文件旁边，并只用文件名包含它：%1</translation>
    </message>
    <message>
        <source>no crossover type of the box comes close to it (%1 dB apart)</source>
        <translation>设备没有与之接近的分频类型（相差 %1 dB）</translation>
    </message>
    <message>
        <source>not a filter line, after the filter lines began</source>
        <translation>不是滤波器行，出现在滤波器行之后</translation>
    </message>
    <message>
        <source>a filter line without the colon after its number</source>
        <translation>滤波器行的编号后缺少冒号</translation>
    </message>
    <message>
        <source>ON or OFF is missing after the filter&apos;s number</source>
        <translation>滤波器编号后缺少 ON 或 OFF</translation>
    </message>
    <message>
        <source>a value the filter needs is missing</source>
        <translation>缺少滤波器所需的数值</translation>
    </message>
    <message>
        <source>a field this kind of filter does not have</source>
        <translation>此类滤波器没有这个字段</translation>
    </message>
    <message>
        <source>a number that cannot be read</source>
        <translation>无法读取的数字</translation>
    </message>
    <message>
        <source>the preamp is not a number of dB</source>
        <translation>前级增益不是以 dB 表示的数字</translation>
    </message>
    <message>
        <source>the Channel: line names no channel</source>
        <translation>Channel: 行没有指明通道</translation>
    </message>
    <message>
        <source>File: %1</source>
        <translation>文件：%1</translation>
    </message>
    <message>
        <source>Switch off or remove the filters that matter least in the measurement program and export again.</source>
        <translation>请在测量软件中关闭或删除最不重要的滤波器，然后重新导出。</translation>
    </message>
    <message>
        <source>It was read as %1 text.</source>
        <translation>已按 %1 文本读取。</translation>
    </message>
    <message>
        <source>Export the filters from the measurement program again, as text.</source>
        <translation>请从测量软件重新以文本格式导出滤波器。</translation>
    </message>
    <message>
        <source>A filter set is a small text file: choose the one the measurement program exported.</source>
        <translation>滤波器组是很小的文本文件：请选择测量软件导出的文件。</translation>
    </message>
    <message>
        <source>The file is not text but binary data:
%1</source>
        <translation>该文件不是文本，而是二进制数据：
%1</translation>
    </message>
    <message>
        <source>Choose REW filter settings, an Equalizer APO configuration or an AutoEQ ParametricEQ.txt.</source>
        <translation>请选择 REW 滤波器设置、Equalizer APO 配置或 AutoEQ 的 ParametricEQ.txt。</translation>
    </message>
    <message>
        <source>Correct that line in a text editor, or export the filters again.</source>
        <translation>请在文本编辑器中改正该行，或重新导出滤波器。</translation>
    </message>
    <message>
        <source>The file&apos;s filters are in the files it includes, and none of them could be read. Nothing was changed.</source>
        <translation>该文件的滤波器在它所包含的文件中，但这些文件都无法读取。未做任何更改。</translation>
    </message>
    <message>
        <source>The file has %1 filters; REW up to V5.19 holds %2 in its Generic equaliser and leaves the rest out.</source>
        <translation>该文件有 %1 个滤波器；REW V5.19 及更早版本的 Generic 均衡器只能容纳 %2 个，其余的会被舍弃。</translation>
    </message>
</context>
<context>
    <name>filter_section</name>
    <message>
        <source>Import filters</source>
        <translation>导入滤波器</translation>
    </message>
    <message>
        <source>The file holds filters for several channels. Import the filters of:</source>
        <translation>该文件包含多个通道的滤波器。导入以下通道的滤波器：</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>measurement</name>
    <message>
        <source>The measurement's level is set over %1..%2 Hz only, as much of the reference range as it and the target cover.</source>
        <translation>测量曲线的电平只按 %1..%2 Hz 设定，即参考范围中测量曲线和目标曲线都覆盖的部分。</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>测量曲线</translation>
    </message>
    <message>
        <source>Measured</source>
        <translation>实测</translation>
    </message>
    <message>
        <source>Predicted</source>
        <translation>预测</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>（无）</translation>
    </message>
    <message>
        <source>None</source>
        <translation>无</translation>
    </message>
    <message>
        <source>1/48 octave</source>
        <translation>1/48 倍频程</translation>
    </message>
    <message>
        <source>1/24 octave</source>
        <translation>1/24 倍频程</translation>
    </message>
    <message>
        <source>1/12 octave</source>
        <translation>1/12 倍频程</translation>
    </message>
    <message>
        <source>1/6 octave</source>
        <translation>1/6 倍频程</translation>
    </message>
    <message>
        <source>1/3 octave</source>
        <translation>1/3 倍频程</translation>
    </message>
    <message>
        <source>Flat</source>
        <translation>平直</translation>
    </message>
    <message>
        <source>House curve</source>
        <translation>车内目标曲线</translation>
    </message>
    <message>
        <source>Target file</source>
        <translation>目标文件</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>测量文件</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>所有文件</translation>
    </message>
    <message>
        <source>Load measurement</source>
        <translation>载入测量曲线</translation>
    </message>
    <message>
        <source>Load target</source>
        <translation>载入目标曲线</translation>
    </message>
    <message>
        <source>Reference range</source>
        <translation>参考范围</translation>
    </message>
    <message>
        <source>The measurement file could not be read; it is read again at the next start.</source>
        <translation>无法读取测量文件；下次启动时将再次读取。</translation>
    </message>
    <message>
        <source>The target file could not be read; it is read again at the next start.</source>
        <translation>无法读取目标文件；下次启动时将再次读取。</translation>
    </message>
    <message>
        <source>The measurement has no level inside the reference range: its level is not moved.</source>
        <translation>测量曲线在参考范围内没有数据：其电平未被调整。</translation>
    </message>
    <message>
        <source>The file is too large for a measurement.</source>
        <translation>文件太大，不是测量曲线。</translation>
    </message>
    <message>
        <source>The file holds no measured points.</source>
        <translation>文件中没有测量点。</translation>
    </message>
    <message>
        <source>The line is not a frequency and a level.</source>
        <translation>该行不是频率和电平。</translation>
    </message>
    <message>
        <source>The line holds a number that is not finite.</source>
        <translation>该行包含无效的数值。</translation>
    </message>
    <message>
        <source>The level is beyond what a measurement can hold.</source>
        <translation>电平超出测量曲线可容纳的范围。</translation>
    </message>
    <message>
        <source>The frequency is not above 0 Hz.</source>
        <translation>频率未大于 0 Hz。</translation>
    </message>
    <message>
        <source>The frequency is not above the one of the line before.</source>
        <translation>频率未大于上一行的频率。</translation>
    </message>
    <message>
        <source>The file holds a single point; a curve needs two.</source>
        <translation>文件只有一个点；曲线至少需要两个点。</translation>
    </message>
    <message>
        <source>The file holds more points than a measurement can have.</source>
        <translation>文件中的点数超过测量曲线的上限。</translation>
    </message>
    <message>
        <source>The file is not there:
%1</source>
        <translation>文件不存在：
%1</translation>
    </message>
    <message>
        <source>The file could not be read:
%1</source>
        <translation>无法读取文件：
%1</translation>
    </message>
    <message>
        <source>The file is not a measurement:
%1

%2</source>
        <translation>该文件不是测量曲线：
%1

%2</translation>
    </message>
    <message>
        <source>Line %1: %2</source>
        <translation>第 %1 行：%2</translation>
    </message>
    <message>
        <source>Nothing was changed.</source>
        <translation>未做任何更改。</translation>
    </message>
    <message>
        <source>These measurement files could not be read. Their settings are kept and work again once the files are back:
%1</source>
        <translation>无法读取以下测量文件。其设置已保留，文件恢复后即可再次使用：
%1</translation>
    </message>
    <message>
        <source>The reference range runs from a lower to a higher frequency, both within 20 to 20000 Hz.</source>
        <translation>参考范围须从较低频率到较高频率，且均在 20 至 20000 Hz 之内。</translation>
    </message>
    <message>
        <source>The house curve takes a bass lift of %1 to %2 dB at %3 to %4 Hz, and a treble tilt of %5 to %6 dB per decade from %7 to %8 Hz.</source>
        <translation>车内目标曲线的低音提升为 %1 至 %2 dB，转折频率 %3 至 %4 Hz；高音倾斜为每十倍频 %5 至 %6 dB，起始频率 %7 至 %8 Hz。</translation>
    </message>
    <message>
        <source>The file is not text: its bytes fit no text encoding.</source>
        <translation>该文件不是文本：其字节不符合任何文本编码。</translation>
    </message>
    <message>
        <source>The line's numbers have a decimal point where the file's numbers have decimal commas, or the reverse.</source>
        <translation>该行数字的小数点与文件中其他数字不同：小数点与小数逗号混用。</translation>
    </message>
    <message>
        <source>The line holds more than three numbers, and no header line names the columns.</source>
        <translation>该行有三个以上的数字，且没有标题行说明各列。</translation>
    </message>
    <message>
        <source>The file has no such level column.</source>
        <translation>文件中没有该电平列。</translation>
    </message>
    <message>
        <source>Its level columns: %1</source>
        <translation>文件中的电平列：%1</translation>
    </message>
    <message>
        <source>The file was read as %1.</source>
        <translation>文件已按 %1 编码读取。</translation>
    </message>
    <message>
        <source>Column %1</source>
        <translation>第 %1 列</translation>
    </message>
    <message>
        <source>The measurement file was read as %1.</source>
        <translation>测量文件已按 %1 编码读取。</translation>
    </message>
    <message>
        <source>The target file was read as %1.</source>
        <translation>目标文件已按 %1 编码读取。</translation>
    </message>
    <message>
        <source>The measurement's data end at line %1 (%2); the lines from there on are not read.</source>
        <translation>测量文件的数据在第 %1 行（%2）结束；自该行起的内容未读取。</translation>
    </message>
    <message>
        <source>The target's data end at line %1 (%2); the lines from there on are not read.</source>
        <translation>目标文件的数据在第 %1 行（%2）结束；自该行起的内容未读取。</translation>
    </message>
    <message>
        <source>Level column</source>
        <translation>电平列</translation>
    </message>
    <message>
        <source>Flat (speaker alone)</source>
        <translation>平直（仅扬声器）</translation>
    </message>
    <message>
        <source>Its crossovers</source>
        <translation>其分频器</translation>
    </message>
    <message>
        <source>Its EQ and crossovers</source>
        <translation>其均衡和分频器</translation>
    </message>
    <message>
        <source>config.ini has no readable [Measurement] %1 line, the settings %2&apos;s measurement was taken through: the measurement is kept and taken as measured flat. Choose &quot;Measured with&quot; in the measurement panel again; the channel&apos;s settings then count as those it was taken through.</source>
        <translation>config.ini 中没有可读取的 [Measurement] %1 行（%2 的测量所经过的设置）：测量已保留，按平直测量处理。请在测量面板中重新选择“测量时启用”；届时该通道的当前设置将视为测量时所经过的设置。</translation>
    </message>
    <message>
        <source>The prediction takes out %1's crossovers as they were when the measurement was loaded.</source>
        <translation>预测已扣除 %1 在载入测量时的分频器。</translation>
    </message>
    <message>
        <source>The prediction takes out %1's EQ and crossovers as they were when the measurement was loaded.</source>
        <translation>预测已扣除 %1 在载入测量时的均衡和分频器。</translation>
    </message>
    <message>
        <source>Sum %1</source>
        <translation>总和 %1</translation>
    </message>
    <message>
        <source>Load its impulse response in the tune window to draw it in the sum.</source>
        <translation>请在整车调音窗口中载入它的脉冲响应，才能将它计入总和。</translation>
    </message>
</context>
<context>
    <name>measurement_dialog</name>
    <message>
        <source>Measure...</source>
        <translation>测量...</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>测量曲线</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Measurement file</source>
        <translation>测量文件</translation>
    </message>
    <message>
        <source>Load...</source>
        <translation>载入...</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Smoothing</source>
        <translation>平滑</translation>
    </message>
    <message>
        <source>Reference range (Hz)</source>
        <translation>参考范围 (Hz)</translation>
    </message>
    <message>
        <source>to</source>
        <translation>至</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>File...</source>
        <translation>文件...</translation>
    </message>
    <message>
        <source>Bass lift (dB)</source>
        <translation>低音提升 (dB)</translation>
    </message>
    <message>
        <source>corner (Hz)</source>
        <translation>转折 (Hz)</translation>
    </message>
    <message>
        <source>Treble tilt (dB/decade)</source>
        <translation>高音倾斜 (dB/十倍频)</translation>
    </message>
    <message>
        <source>from (Hz)</source>
        <translation>起始 (Hz)</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>Measured</source>
        <translation>实测</translation>
    </message>
    <message>
        <source>Predicted</source>
        <translation>预测</translation>
    </message>
    <message>
        <source>Auto EQ...</source>
        <translation>自动均衡...</translation>
    </message>
    <message>
        <source>Align from impulse responses...</source>
        <translation>按脉冲响应对齐...</translation>
    </message>
    <message>
        <source>Level column</source>
        <translation>电平列</translation>
    </message>
    <message>
        <source>Measured with</source>
        <translation>测量时启用</translation>
    </message>
    <message>
        <source>Tune car...</source>
        <translation>整车调音...</translation>
    </message>
    <message>
        <source>Sum</source>
        <translation>总和</translation>
    </message>
</context>
<context>
    <name>steps</name>
    <message>
        <source>Change</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Undo: %1</source>
        <translation>撤销：%1</translation>
    </message>
    <message>
        <source>Redo: %1</source>
        <translation>重做：%1</translation>
    </message>
    <message>
        <source>Nothing to undo</source>
        <translation>没有可撤销的操作</translation>
    </message>
    <message>
        <source>Nothing to redo</source>
        <translation>没有可重做的操作</translation>
    </message>
    <message>
        <source>Tuning %1</source>
        <translation>调音 %1</translation>
    </message>
    <message>
        <source>Switch to tuning %1 (Ctrl+B)</source>
        <translation>切换到调音 %1 (Ctrl+B)</translation>
    </message>
    <message>
        <source>Master level</source>
        <translation>主音量</translation>
    </message>
    <message>
        <source>Sub level</source>
        <translation>低音音量</translation>
    </message>
    <message>
        <source>%1 level</source>
        <translation>%1 音量</translation>
    </message>
    <message>
        <source>%1 delay</source>
        <translation>%1 延时</translation>
    </message>
    <message>
        <source>%1 high-pass frequency</source>
        <translation>%1 高通频率</translation>
    </message>
    <message>
        <source>%1 low-pass frequency</source>
        <translation>%1 低通频率</translation>
    </message>
    <message>
        <source>%1 high-pass type</source>
        <translation>%1 高通类型</translation>
    </message>
    <message>
        <source>%1 high-pass slope</source>
        <translation>%1 高通斜率</translation>
    </message>
    <message>
        <source>%1 low-pass type</source>
        <translation>%1 低通类型</translation>
    </message>
    <message>
        <source>%1 low-pass slope</source>
        <translation>%1 低通斜率</translation>
    </message>
    <message>
        <source>%1 threshold</source>
        <translation>%1 阈值</translation>
    </message>
    <message>
        <source>%1 attack</source>
        <translation>%1 启动时间</translation>
    </message>
    <message>
        <source>%1 release</source>
        <translation>%1 释放时间</translation>
    </message>
    <message>
        <source>Noise gate</source>
        <translation>噪声门</translation>
    </message>
    <message>
        <source>%1 band %2 frequency</source>
        <translation>%1 第%2段频率</translation>
    </message>
    <message>
        <source>%1 band %2 Q</source>
        <translation>%1 第%2段Q值</translation>
    </message>
    <message>
        <source>%1 band %2 gain</source>
        <translation>%1 第%2段增益</translation>
    </message>
    <message>
        <source>%1 band %2</source>
        <translation>%1 第%2段</translation>
    </message>
    <message>
        <source>%1 band %2 off</source>
        <translation>%1 关闭第%2段</translation>
    </message>
    <message>
        <source>%1 band %2 on</source>
        <translation>%1 打开第%2段</translation>
    </message>
    <message>
        <source>Link %1</source>
        <translation>联调 %1</translation>
    </message>
    <message>
        <source>Unlink %1</source>
        <translation>取消联调 %1</translation>
    </message>
    <message>
        <source>Mute all</source>
        <translation>全部静音</translation>
    </message>
    <message>
        <source>Unmute all</source>
        <translation>取消全部静音</translation>
    </message>
    <message>
        <source>%1 phase</source>
        <translation>%1 反相</translation>
    </message>
    <message>
        <source>%1 mute</source>
        <translation>%1 静音</translation>
    </message>
    <message>
        <source>BypassEQ %1</source>
        <translation>直通EQ %1</translation>
    </message>
    <message>
        <source>ResetEQ %1</source>
        <translation>重置EQ %1</translation>
    </message>
    <message>
        <source>Load scene %1</source>
        <translation>调用场景 %1</translation>
    </message>
    <message>
        <source>Recall USER-%1</source>
        <translation>调用 USER-%1</translation>
    </message>
    <message>
        <source>Recall factory settings</source>
        <translation>调用出厂设置</translation>
    </message>
    <message>
        <source>Import filters %1</source>
        <translation>导入滤波器 %1</translation>
    </message>
    <message>
        <source>Delays from the car map</source>
        <translation>车图延时</translation>
    </message>
    <message>
        <source>%1 input %2 level</source>
        <translation>%1 输入%2 电平</translation>
    </message>
    <message>
        <source>%1 input %2 off</source>
        <translation>%1 关闭输入%2</translation>
    </message>
    <message>
        <source>%1 input %2 on</source>
        <translation>%1 打开输入%2</translation>
    </message>
    <message>
        <source>Copy A to B</source>
        <translation>复制 A 到 B</translation>
    </message>
    <message>
        <source>Copy B to A</source>
        <translation>复制 B 到 A</translation>
    </message>
    <message>
        <source>Auto EQ %1</source>
        <translation>自动均衡 %1</translation>
    </message>
    <message>
        <source>Delays from impulse responses</source>
        <translation>按脉冲响应设置延时</translation>
    </message>
    <message>
        <source>Tuning from the box</source>
        <translation>取自设备的调音</translation>
    </message>
    <message>
        <source>Tune car</source>
        <translation>整车调音</translation>
    </message>
</context>
<context>
    <name>autoeq_dialog</name>
    <message>
        <source>Auto EQ</source>
        <translation>自动均衡</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>Fit range (Hz)</source>
        <translation>拟合范围 (Hz)</translation>
    </message>
    <message>
        <source>to</source>
        <translation>至</translation>
    </message>
    <message>
        <source>Maximum boost (dB)</source>
        <translation>最大提升 (dB)</translation>
    </message>
    <message>
        <source>Bands at most</source>
        <translation>最多频段数</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>放弃</translation>
    </message>
    <message>
        <source>Apply level</source>
        <translation>应用电平</translation>
    </message>
</context>
<context>
    <name>autoeq</name>
    <message>
        <source>Measured as the speaker alone</source>
        <translation>测量的是单独的扬声器</translation>
    </message>
    <message>
        <source>Measured through its crossovers</source>
        <translation>测量时经过其分频器</translation>
    </message>
    <message>
        <source>Measured through its EQ and crossovers</source>
        <translation>测量时经过其均衡和分频器</translation>
    </message>
    <message>
        <source>every frequency</source>
        <translation>所有频率</translation>
    </message>
    <message>
        <source>%1..%2 Hz</source>
        <translation>%1..%2 Hz</translation>
    </message>
    <message>
        <source>The measurement covers %1 and the target %2: they share less than an octave of the fit range, too little to fit.</source>
        <translation>测量曲线覆盖 %1，目标曲线覆盖 %2：两者在拟合范围内的重叠不足一个倍频程，无法拟合。</translation>
    </message>
    <message>
        <source>Only %1 of the fit range is fitted: the measurement covers %2 and the target %3.</source>
        <translation>只拟合了拟合范围中的 %1：测量曲线覆盖 %2，目标曲线覆盖 %3。</translation>
    </message>
    <message>
        <source>GEQ mode: only the gains move.</source>
        <translation>GEQ 模式：只调整增益。</translation>
    </message>
    <message>
        <source>PEQ mode: frequency, gain and Q move.</source>
        <translation>PEQ 模式：调整频率、增益和 Q 值。</translation>
    </message>
    <message>
        <source>The fit range takes two frequencies from 20 to 20000 Hz, the lower one first, or none for the channel&apos;s own band.</source>
        <translation>拟合范围需要两个 20 至 20000 Hz 之间的频率，较低的在前；留空则使用该通道自身的频段。</translation>
    </message>
    <message>
        <source>The maximum boost takes 0 to %1 dB.</source>
        <translation>最大提升可设为 0 至 %1 dB。</translation>
    </message>
    <message>
        <source>The number of bands takes 1 to %1.</source>
        <translation>频段数可设为 1 至 %1。</translation>
    </message>
    <message>
        <source>Auto EQ</source>
        <translation>自动均衡</translation>
    </message>
    <message>
        <source>Fitting...</source>
        <translation>正在拟合...</translation>
    </message>
    <message>
        <source>Measured</source>
        <translation>实测</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>The measurement has no level inside the fit range: nothing to fit.</source>
        <translation>测量曲线在拟合范围内没有电平：无法拟合。</translation>
    </message>
    <message>
        <source>With Auto EQ</source>
        <translation>自动均衡后</translation>
    </message>
    <message>
        <source>%1 of %2 bands used. Error against the target from %3 to %4 Hz, smoothed to 1/6 octave: %5 dB now, %6 dB with these bands.</source>
        <translation>使用了 %2 个频段中的 %1 个。%3 至 %4 Hz 范围内与目标的误差（1/6 倍频程平滑）：当前 %5 dB，使用这些频段后 %6 dB。</translation>
    </message>
    <message>
        <source>Load a measurement of %1 first.</source>
        <translation>请先载入 %1 的测量曲线。</translation>
    </message>
    <message>
        <source>The measurement has no level inside the reference range, so it cannot be set against the target. Choose a reference range where it was measured.</source>
        <translation>测量曲线在参考范围内没有电平，无法与目标对齐。请选择有测量数据的参考范围。</translation>
    </message>
    <message>
        <source>the high-pass corner</source>
        <translation>高通转折频率</translation>
    </message>
    <message>
        <source>the low-pass corner</source>
        <translation>低通转折频率</translation>
    </message>
    <message>
        <source>the speaker&apos;s own roll-off</source>
        <translation>扬声器自身的滚降点</translation>
    </message>
    <message>
        <source>the end of the measurement</source>
        <translation>测量曲线的端点</translation>
    </message>
    <message>
        <source>as typed</source>
        <translation>按输入的值</translation>
    </message>
    <message>
        <source>auto</source>
        <translation>自动</translation>
    </message>
    <message>
        <source>Measured, with the crossovers</source>
        <translation>测量曲线（含分频器）</translation>
    </message>
    <message>
        <source>Target, with the crossovers</source>
        <translation>目标曲线（含分频器）</translation>
    </message>
    <message>
        <source>Range %1: from %2 to %3. Level set over %4.</source>
        <translation>范围 %1：从%2到%3。电平按 %4 对齐。</translation>
    </message>
    <message>
        <source>Suggested level trim %1 dB (volume step %2), against its level over %3.</source>
        <translation>建议电平调整 %1 dB（音量步进 %2），相对于其在 %3 的电平。</translation>
    </message>
    <message>
        <source>No level trim: its reference %1 lies outside its band.</source>
        <translation>无电平调整：其参考范围 %1 在其频带之外。</translation>
    </message>
    <message>
        <source>No change proposed: the fitted bands would reach %1 dB, no better than the %2 dB the channel has now.</source>
        <translation>不建议更改：拟合的频段只能达到 %1 dB，不比该通道现在的 %2 dB 更好。</translation>
    </message>
</context>
<context>
    <name>align_dialog</name>
    <message>
        <source>Align from impulse responses</source>
        <translation>按脉冲响应对齐</translation>
    </message>
    <message>
        <source>One impulse response per channel, each measured at the listening position with the same timing reference.</source>
        <translation>每个通道一个脉冲响应，均在聆听位置以同一时间基准测量。</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>通道</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Arrival (ms)</source>
        <translation>到达 (ms)</translation>
    </message>
    <message>
        <source>Delay (ms)</source>
        <translation>延时 (ms)</translation>
    </message>
    <message>
        <source>Polarity</source>
        <translation>极性</translation>
    </message>
    <message>
        <source>File...</source>
        <translation>文件...</translation>
    </message>
    <message>
        <source>Apply delays</source>
        <translation>应用延时</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>align</name>
    <message>
        <source>It is not a sound file this program can read.</source>
        <translation>这不是本程序能读取的声音文件。</translation>
    </message>
    <message>
        <source>It holds more than one channel. Export each channel's impulse response on its own.</source>
        <translation>文件包含多个声道。请将每个通道的脉冲响应单独导出。</translation>
    </message>
    <message>
        <source>Its sample rate is not 44.1, 48 or 96 kHz.</source>
        <translation>采样率不是 44.1、48 或 96 kHz。</translation>
    </message>
    <message>
        <source>It holds no samples.</source>
        <translation>文件中没有采样。</translation>
    </message>
    <message>
        <source>It is longer than an impulse response (10 s at most).</source>
        <translation>文件长于脉冲响应（最长 10 秒）。</translation>
    </message>
    <message>
        <source>It holds samples that are not numbers.</source>
        <translation>文件包含非数值的采样。</translation>
    </message>
    <message>
        <source>Impulse response for CH%1</source>
        <translation>CH%1 的脉冲响应</translation>
    </message>
    <message>
        <source>Impulse responses</source>
        <translation>脉冲响应</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>所有文件</translation>
    </message>
    <message>
        <source>%1 was not taken.</source>
        <translation>未采用 %1。</translation>
    </message>
    <message>
        <source>%1 is silent: there is no direct sound to time.</source>
        <translation>%1 是静音的：没有可计时的直达声。</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>（无）</translation>
    </message>
    <message>
        <source>inverted?</source>
        <translation>反相？</translation>
    </message>
    <message>
        <source>too short</source>
        <translation>太短</translation>
    </message>
    <message>
        <source>no lead-in</source>
        <translation>无前导</translation>
    </message>
    <message>
        <source>no clear peak</source>
        <translation>无明显峰值</translation>
    </message>
    <message>
        <source>no decay</source>
        <translation>无衰减</translation>
    </message>
    <message>
        <source>It ends less than %1 ms after its direct sound, too soon to see the response die away.</source>
        <translation>文件在直达声之后不到 %1 ms 就结束了，看不到响应衰减。</translation>
    </message>
    <message>
        <source>Its direct sound comes within %1 ms of the start: the file was cut there or measured without a timing reference.</source>
        <translation>直达声出现在文件开头 %1 ms 之内：文件在此处被截断，或测量时没有时间基准。</translation>
    </message>
    <message>
        <source>No peak stands %1 dB clear of the rest; it looks like noise, music, a sweep or DC.</source>
        <translation>没有比其余部分高出 %1 dB 的峰值；看起来像噪声、音乐、扫频或直流。</translation>
    </message>
    <message>
        <source>Something within %1 dB of the direct sound comes more than %2 ms after it; it looks like more than one impulse, or noise.</source>
        <translation>直达声之后超过 %2 ms 仍有与其相差不到 %1 dB 的声音；看起来像不止一个脉冲，或是噪声。</translation>
    </message>
    <message>
        <source>CH%1: %2 does not look like an impulse response. %3 Clear it or choose another file.</source>
        <translation>CH%1：%2 看起来不是脉冲响应。%3 请清除它或选择其他文件。</translation>
    </message>
    <message>
        <source>Choose the impulse responses of at least two channels.</source>
        <translation>请至少为两个通道选择脉冲响应。</translation>
    </message>
    <message>
        <source>The arrivals lie %1 ms apart; the box delays a channel by 20 ms at most. The delays cannot be applied.</source>
        <translation>各通道到达时间相差 %1 ms；设备每个通道最多延时 20 ms。无法应用这些延时。</translation>
    </message>
    <message>
        <source>The latest channel gets no delay. A channel marked inverted? swings the other way from the rest: check its wiring or its Phase button.</source>
        <translation>最晚到达的通道不加延时。标为“反相？”的通道与其他通道方向相反：请检查其接线或相位按钮。</translation>
    </message>
    <message>
        <source>The latest channel gets no delay; the others wait for it.</source>
        <translation>最晚到达的通道不加延时；其他通道等待它。</translation>
    </message>
</context>
<context>
    <name>files</name>
    <message>
        <source>It is not a regular file (a folder).</source>
        <translation>它不是普通文件（是文件夹）。</translation>
    </message>
    <message>
        <source>It is not a regular file (a FIFO).</source>
        <translation>它不是普通文件（是命名管道 FIFO）。</translation>
    </message>
    <message>
        <source>It is not a regular file (a device).</source>
        <translation>它不是普通文件（是设备）。</translation>
    </message>
    <message>
        <source>It is not a regular file (a socket).</source>
        <translation>它不是普通文件（是套接字）。</translation>
    </message>
    <message>
        <source>It is not a regular file.</source>
        <translation>它不是普通文件。</translation>
    </message>
    <message>
        <source>It is not there.</source>
        <translation>文件不存在。</translation>
    </message>
    <message>
        <source>The system says: %1</source>
        <translation>系统提示：%1</translation>
    </message>
    <message>
        <source>It is far larger than a file of its kind.</source>
        <translation>文件远大于此类文件应有的大小。</translation>
    </message>
</context>
<context>
    <name>tune_car_dialog</name>
    <message>
        <source>Tune the car</source>
        <translation>整车调音</translation>
    </message>
    <message>
        <source>One impulse response per channel, each measured at the listening position with the same timing reference. The crossovers stay as they are set; delays, polarity, levels and EQ are proposed.</source>
        <translation>每个声道一个脉冲响应，均在聆听位置以同一计时基准测得。分频保持现有设置；将建议延时、极性、电平和均衡。</translation>
    </message>
    <message>
        <source>Channel</source>
        <translation>声道</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Side</source>
        <translation>左右</translation>
    </message>
    <message>
        <source>Delay (ms)</source>
        <translation>延时 (ms)</translation>
    </message>
    <message>
        <source>Polarity</source>
        <translation>极性</translation>
    </message>
    <message>
        <source>Level (dB)</source>
        <translation>电平 (dB)</translation>
    </message>
    <message>
        <source>Bands</source>
        <translation>频段</translation>
    </message>
    <message>
        <source>File...</source>
        <translation>文件...</translation>
    </message>
    <message>
        <source>Measured with</source>
        <translation>测量时经过</translation>
    </message>
    <message>
        <source>Tune</source>
        <translation>调音</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
</context>
<context>
    <name>tunecar</name>
    <message>
        <source>Either</source>
        <translation>不限</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>左</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>右</translation>
    </message>
    <message>
        <source>Flat (speakers alone)</source>
        <translation>平直（仅扬声器）</translation>
    </message>
    <message>
        <source>Their crossovers</source>
        <translation>各自的分频</translation>
    </message>
    <message>
        <source>All their settings</source>
        <translation>各自的全部设置</translation>
    </message>
    <message>
        <source>Target: %1</source>
        <translation>目标：%1</translation>
    </message>
    <message>
        <source>Impulse response for CH%1</source>
        <translation>CH%1 的脉冲响应</translation>
    </message>
    <message>
        <source>Impulse responses</source>
        <translation>脉冲响应</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>所有文件</translation>
    </message>
    <message>
        <source>%1 was not taken.</source>
        <translation>未采用 %1。</translation>
    </message>
    <message>
        <source>%1 was not taken: it does not look like an impulse response measured with a timing reference.</source>
        <translation>未采用 %1：它不像以计时基准测得的脉冲响应。</translation>
    </message>
    <message>
        <source>Tuning...</source>
        <translation>正在调音...</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>（无）</translation>
    </message>
    <message>
        <source>Press Tune to see what the car would sound like tuned.</source>
        <translation>按“调音”查看调音后整车的效果。</translation>
    </message>
    <message>
        <source>Choose the impulse responses of at least two channels.</source>
        <translation>请至少选择两个声道的脉冲响应。</translation>
    </message>
    <message>
        <source>The car cannot be tuned: %1</source>
        <translation>无法为整车调音：%1</translation>
    </message>
    <message>
        <source>A channel is given twice.</source>
        <translation>有声道重复给出。</translation>
    </message>
    <message>
        <source>Two channels that meet have no crossover frequency in their settings.</source>
        <translation>两个相接的声道在设置中没有分频频率。</translation>
    </message>
    <message>
        <source>The channels&apos; sound arrives further apart than the box&apos;s 20 ms of delay can make up.</source>
        <translation>各声道声音到达的时间差超过了设备 20 ms 延时所能补偿的范围。</translation>
    </message>
    <message>
        <source>inverted</source>
        <translation>反相</translation>
    </message>
    <message>
        <source>normal</source>
        <translation>正常</translation>
    </message>
    <message>
        <source>%1 + %2 for the sum</source>
        <translation>%1 + %2 用于总和</translation>
    </message>
    <message>
        <source>Sum now</source>
        <translation>当前总和</translation>
    </message>
    <message>
        <source>Target</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>Sum tuned</source>
        <translation>调音后总和</translation>
    </message>
    <message>
        <source>%1 to %2 at %3 Hz: worst loss against the perfect sum %4 dB now, %5 dB tuned.</source>
        <translation>%1 至 %2，%3 Hz：相对理想总和的最大损失，当前 %4 dB，调音后 %5 dB。</translation>
    </message>
    <message>
        <source>Every response peaks at the same level: they were normalised when exported, so no level is changed.</source>
        <translation>所有响应的峰值相同：导出时已归一化，因此不改变电平。</translation>
    </message>
    <message>
        <source>The sum against the target from 20 to 20000 Hz, smoothed to 1/6 octave: %1 dB RMS now, %2 dB tuned.</source>
        <translation>总和与目标在 20 至 20000 Hz 间（1/6 倍频程平滑）的均方根误差：当前 %1 dB，调音后 %2 dB。</translation>
    </message>
    <message>
        <source>house curve, %1 dB at %2 Hz, %3 dB/decade</source>
        <translation>目标曲线，%2 Hz 处 %1 dB，每十倍频 %3 dB</translation>
    </message>
    <message>
        <source>That is no nearer the target than the car is now: nothing is proposed.</source>
        <translation>这并不比整车现状更接近目标：不作任何建议。</translation>
    </message>
    <message>
        <source>target file %1</source>
        <translation>目标文件 %1</translation>
    </message>
    <message>
        <source>The target set on the measurement panel for the channel shown.</source>
        <translation>测量面板上为当前声道设置的目标。</translation>
    </message>
    <message>
        <source>flat</source>
        <translation>平直</translation>
    </message>
</context>
<context>
    <name>measure</name>
    <message>
        <source>Open a measurement session</source>
        <translation>打开测量会话</translation>
    </message>
    <message>
        <source>Measurement sessions</source>
        <translation>测量会话</translation>
    </message>
    <message>
        <source>%1 holds no measurement session this program can open.</source>
        <translation>%1 中没有本程序能打开的测量会话。</translation>
    </message>
    <message>
        <source>Opened the session of %1: %2 channels, timing %3.</source>
        <translation>已打开 %1 的会话：%2 个声道，计时：%3。</translation>
    </message>
    <message>
        <source>Every channel is measured at position %1 of %2.</source>
        <translation>所有声道已在第 %1 个位置测量（共 %2 个）。</translation>
    </message>
    <message>
        <source>Move the microphone to position %1 of %2, a hand&apos;s width from the last, and measure there?</source>
        <translation>将麦克风移到第 %1 个位置（共 %2 个），距上一个位置约一掌宽，并在那里测量吗？</translation>
    </message>
    <message>
        <source>Channel %1</source>
        <translation>声道 %1</translation>
    </message>
    <message>
        <source>Loopback on input %1</source>
        <translation>输入 %1 上的回环</translation>
    </message>
    <message>
        <source>Chirp through CH%1</source>
        <translation>经 CH%1 的啁啾声</translation>
    </message>
    <message>
        <source>Microphone calibration file</source>
        <translation>麦克风校准文件</translation>
    </message>
    <message>
        <source>Calibration files</source>
        <translation>校准文件</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>所有文件</translation>
    </message>
    <message>
        <source>%1 is not a microphone calibration file: %2.</source>
        <translation>%1 不是麦克风校准文件：%2。</translation>
    </message>
    <message>
        <source>Type the sweep&apos;s range in Hz: from 10 Hz, below its top, up to 24000 Hz.</source>
        <translation>请输入扫频范围（Hz）：下限不低于 10 Hz 且低于上限，上限不高于 24000 Hz。</translation>
    </message>
    <message>
        <source>Type a sweep length of 0.5 to 10 s.</source>
        <translation>请输入 0.5 到 10 秒的扫频时长。</translation>
    </message>
    <message>
        <source>Type the sweep&apos;s level in dBFS, -60 to %1.</source>
        <translation>请输入扫频电平（dBFS），-60 到 %1。</translation>
    </message>
    <message>
        <source>Tick the channels to measure.</source>
        <translation>请勾选要测量的声道。</translation>
    </message>
    <message>
        <source>%1 plays none of the box&apos;s inputs (its mixer is all 0), so it would measure silence.</source>
        <translation>%1 不播放处理器的任何输入（其混音全为 0），测到的只会是静音。</translation>
    </message>
    <message>
        <source>%1 without a high-pass: a tweeter swept without one can be destroyed. Sweep them anyway, as woofers or subs?</source>
        <translation>%1 没有高通：没有高通时扫频可能损坏高音单元。仍按低音或超低音扫频吗？</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Nothing was measured.</source>
        <translation>未进行测量。</translation>
    </message>
    <message>
        <source>There is no sound output or input to measure with. Is the sound server running?</source>
        <translation>没有可用于测量的声音输出或输入。声音服务器在运行吗？</translation>
    </message>
    <message>
        <source>%1 has one channel, so no loopback: choose a chirp through a tweeter or a mid as the timing.</source>
        <translation>%1 只有一个声道，无法回环：请选择经高音或中音单元的啁啾声作为计时。</translation>
    </message>
    <message>
        <source>The sweep plays on output channel 1 or 2, into the box&apos;s input of that number; a chirp needs the other one too.</source>
        <translation>扫频在输出声道 1 或 2 上播放，进入处理器同号的输入；啁啾声还需要另一个声道。</translation>
    </message>
    <message>
        <source>The microphone and the loopback need two different channels of %1.</source>
        <translation>麦克风和回环需要 %1 的两个不同声道。</translation>
    </message>
    <message>
        <source>The folder %1 cannot be made.</source>
        <translation>无法创建文件夹 %1。</translation>
    </message>
    <message>
        <source>Quiet test through %1...</source>
        <translation>经 %1 进行低音量测试……</translation>
    </message>
    <message>
        <source>Measuring %1...</source>
        <translation>正在测量 %1……</translation>
    </message>
    <message>
        <source>SNR %1 dB, arrival %2 ms</source>
        <translation>信噪比 %1 dB，到达 %2 ms</translation>
    </message>
    <message>
        <source>%1 measured</source>
        <translation>%1 实测</translation>
    </message>
    <message>
        <source>%1 channels measured at %2 dBFS. Timing: %3. Each is now its channel&apos;s measurement in the editor.</source>
        <translation>已在 %2 dBFS 测量 %1 个声道。计时：%3。每个测量现已成为编辑器中该声道的测量。</translation>
    </message>
    <message>
        <source>Cancelled. The box&apos;s mutes and mixer are as they were.</source>
        <translation>已取消。处理器的静音和混音保持原样。</translation>
    </message>
    <message>
        <source>The box did not take %1&apos;s solo; the measurement stopped.</source>
        <translation>处理器未接受 %1 的独奏，测量已停止。</translation>
    </message>
    <message>
        <source>The microphone did not hear the quiet test through %1. Is it connected, at the seat, and is the input&apos;s gain up?</source>
        <translation>麦克风未听到经 %1 的低音量测试。麦克风是否已连接、位于座位处，输入增益是否已调高？</translation>
    </message>
    <message>
        <source>%1 could not be written; the measurement stopped.</source>
        <translation>无法写入 %1，测量已停止。</translation>
    </message>
    <message>
        <source>%1: the output or the microphone went away (%2). Plug it in and measure again.</source>
        <translation>%1：输出或麦克风已断开（%2）。请插上后重新测量。</translation>
    </message>
    <message>
        <source>%1: the take failed: %2</source>
        <translation>%1：录制失败：%2</translation>
    </message>
    <message>
        <source>%1: the microphone clipped. Lower the level or the input&apos;s gain and measure again.</source>
        <translation>%1：麦克风削波。请降低电平或输入增益后重新测量。</translation>
    </message>
    <message>
        <source>%1: the loopback clipped. Lower the level and measure again.</source>
        <translation>%1：回环削波。请降低电平后重新测量。</translation>
    </message>
    <message>
        <source>%1: the loopback heard nothing. Connect the output&apos;s channel to the loopback&apos;s input, or choose a chirp as the timing.</source>
        <translation>%1：回环未收到信号。请将输出声道连接到回环输入，或选择啁啾声作为计时。</translation>
    </message>
    <message>
        <source>%1: the chirp was not heard before the sweep. Choose a tweeter or a mid for the timing.</source>
        <translation>%1：扫频前未听到啁啾声。请选择高音或中音单元作为计时。</translation>
    </message>
    <message>
        <source>%1: the chirp was heard before the sweep but not after it. Keep the microphone still and the car quiet, and measure again.</source>
        <translation>%1：扫频前听到了啁啾声，扫频后却没有。请保持麦克风不动、车内安静，然后重新测量。</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>（无）</translation>
    </message>
    <message>
        <source>Kept in %1</source>
        <translation>保存在 %1</translation>
    </message>
    <message>
        <source>No sound devices are found. Plug in the microphone&apos;s interface.</source>
        <translation>未找到声音设备。请插上麦克风的声卡。</translation>
    </message>
    <message>
        <source>Each channel ticked is soloed on the box and swept, through its settings as they are.</source>
        <translation>每个勾选的声道在处理器上单独播放并扫频，经过其当前设置。</translation>
    </message>
</context>
<context>
    <name>measure_dialog</name>
    <message>
        <source>Open a session...</source>
        <translation>打开会话...</translation>
    </message>
    <message>
        <source>Positions</source>
        <translation>位置数</translation>
    </message>
    <message>
        <source>Measure</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Output</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>Microphone</source>
        <translation>麦克风</translation>
    </message>
    <message>
        <source>Timing</source>
        <translation>计时</translation>
    </message>
    <message>
        <source>Calibration</source>
        <translation>校准</translation>
    </message>
    <message>
        <source>File...</source>
        <translation>文件...</translation>
    </message>
    <message>
        <source>Sweep</source>
        <translation>扫频</translation>
    </message>
    <message>
        <source>to</source>
        <translation>至</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>s</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Level</source>
        <translation>电平</translation>
    </message>
    <message>
        <source>dBFS</source>
        <translation>dBFS</translation>
    </message>
    <message>
        <source>Sweeps</source>
        <translation>扫频次数</translation>
    </message>
    <message>
        <source>Channels to measure</source>
        <translation>要测量的声道</translation>
    </message>
    <message>
        <source>Input level</source>
        <translation>输入电平</translation>
    </message>
    <message>
        <source>All</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Measure channels</source>
        <translation>测量声道</translation>
    </message>
    <message>
        <source>Measure again</source>
        <translation>重新测量</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Response</source>
        <translation>响应</translation>
    </message>
    <message>
        <source>Impulse response</source>
        <translation>脉冲响应</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
</context>
</TS>
